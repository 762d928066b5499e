#pragma once

#include <QWidget>
#include <memory>

namespace kestrova {

class BackupProcess;
class Beeper;
class ConvertProcess;
class FileSecurity;
class ImageCodec;
class SignedImageArchive;
class Station;
class StoreCycle;
class Volumes;
class ZipFactory;
class ZipMedia;

// The hidden store window; its timer runs the convert and backup passes.
class TFileStoreForm : public QWidget {
    Q_OBJECT
public:
    // security may be null (no file-security adapter): access lists are then left alone.
    TFileStoreForm(Station& station, const ImageCodec& codec, const Volumes& volumes, const ZipFactory& zips,
                   Beeper& beeper, FileSecurity* security = nullptr, QWidget* parent = nullptr);
    ~TFileStoreForm() override;

    void StoreFileTimerTimer();
    StoreCycle& storeCycle() { return *m_cycle; }
    ConvertProcess& convertProcess() { return *m_convert; }
    BackupProcess& backupProcess() { return *m_backup; }
    const ZipMedia& zipMedia() const { return *m_zips; }
    SignedImageArchive& signedImageArchive() { return *m_archive; }

protected:
    Station& m_station;

private:
    std::unique_ptr<ConvertProcess> m_convert;
    std::unique_ptr<ZipMedia> m_zips;
    std::unique_ptr<SignedImageArchive> m_archive;
    std::unique_ptr<BackupProcess> m_backup;
    std::unique_ptr<StoreCycle> m_cycle;
};

} // namespace kestrova
