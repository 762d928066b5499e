#include "gui/forms/TFileStoreForm.h"

#include "core/store/ConvertProcess.h"
#include "core/store/StoreCycle.h"

namespace kestrova {

TFileStoreForm::TFileStoreForm(Station& station, const ImageCodec& codec, const Volumes& volumes,
                               FileSecurity* security, QWidget* parent)
    : QWidget(parent), m_station(station), m_convert(std::make_unique<ConvertProcess>(station, codec, security)),
      m_cycle(std::make_unique<StoreCycle>(station, *m_convert, volumes)) {
    setObjectName(QStringLiteral("FileStoreForm"));
    setWindowTitle(QStringLiteral("File Store"));
}

TFileStoreForm::~TFileStoreForm() = default;

void TFileStoreForm::StoreFileTimerTimer() {
    m_cycle->StoreFileTimerTimer();
}

} // namespace kestrova
