#pragma once

#include <QWidget>
#include <memory>

namespace kestrova {

class ConvertProcess;
class FileSecurity;
class ImageCodec;
class Station;
class StoreCycle;
class Volumes;

// The hidden store window; its timer runs the convert and backup passes.
class TFileStoreForm : public QWidget {
    Q_OBJECT
public:
    // security may be null (no file-security adapter): access lists are then left alone.
    TFileStoreForm(Station& station, const ImageCodec& codec, const Volumes& volumes, FileSecurity* security = nullptr,
                   QWidget* parent = nullptr);
    ~TFileStoreForm() override;

    void StoreFileTimerTimer();
    StoreCycle& storeCycle() { return *m_cycle; }
    ConvertProcess& convertProcess() { return *m_convert; }

protected:
    Station& m_station;

private:
    std::unique_ptr<ConvertProcess> m_convert;
    std::unique_ptr<StoreCycle> m_cycle;
};

} // namespace kestrova
