#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace kestrova {

class ConvertProcess;
class Station;
class Volumes;

// The store cycle's timer and its tick: a convert pass, a status refresh and, when the backup
// destination is set up and the media process is on, a backup pass and another refresh. The
// first tick comes 10 s after start-up, then every 25 s, or 10 s after a backup pass that left
// work behind. The timer runs while Station::StoreFileTimerEnabled is set; it is off during a
// tick and on again at the end of every tick.
class StoreCycle : public QObject {
    Q_OBJECT
public:
    // Enables the timer (the flag is set at creation).
    StoreCycle(Station& station, ConvertProcess& convert, const Volumes& volumes, QObject* parent = nullptr);

    // The backup pass; returns whether it stopped with rows left (MorePending). Without it the
    // tick runs no backup pass.
    void setBackupStoredImages(std::function<bool()> pass) { m_backup = std::move(pass); }

    void StoreFileTimerTimer();

    QTimer StoreFileTimer;
    bool MorePending = false;

private:
    void followEnabledFlag();
    void runTick();

    Station& m_station;
    ConvertProcess& m_convert;
    const Volumes& m_volumes;
    std::function<bool()> m_backup;
    bool m_ticking = false;
};

} // namespace kestrova
