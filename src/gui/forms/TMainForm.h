#pragma once

#include <QMainWindow>

class QListWidget;

namespace kestrova {

class Station;

// The operator's window: last scanned batch, counters, storage devices and the event log.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(Station& station, QWidget* parent = nullptr);

    // Brings the window back when a second start of the program asks for it.
    void activateFromSecondStart();

private:
    void FormCreate();

    Station& m_station;
    QListWidget* LogList = nullptr;
};

} // namespace kestrova
