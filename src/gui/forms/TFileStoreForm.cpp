#include "gui/forms/TFileStoreForm.h"

#include "core/store/BackupProcess.h"
#include "core/store/ConvertProcess.h"
#include "core/store/SignBackup.h"
#include "core/store/StoreCycle.h"
#include "core/store/ZipMedia.h"

namespace kestrova {

TFileStoreForm::TFileStoreForm(Station& station, const ImageCodec& codec, const Volumes& volumes,
                               const ZipFactory& zips, Beeper& beeper, FileSecurity* security, QWidget* parent)
    : QWidget(parent), m_station(station), m_convert(std::make_unique<ConvertProcess>(station, codec, security)),
      m_zips(std::make_unique<ZipMedia>(station, zips)),
      m_archive(std::make_unique<SignedImageArchive>(station, *m_zips)),
      m_backup(std::make_unique<BackupProcess>(station, *m_zips, *m_archive, volumes, beeper)),
      m_cycle(std::make_unique<StoreCycle>(station, *m_convert, volumes)) {
    setObjectName(QStringLiteral("FileStoreForm"));
    setWindowTitle(QStringLiteral("File Store"));
    m_cycle->setBackupStoredImages([this] { return m_backup->BackupStoredImages(); });
}

TFileStoreForm::~TFileStoreForm() = default;

void TFileStoreForm::StoreFileTimerTimer() {
    m_cycle->StoreFileTimerTimer();
}

} // namespace kestrova
