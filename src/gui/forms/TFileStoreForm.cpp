#include "gui/forms/TFileStoreForm.h"

#include "core/station/Station.h"

namespace kestrova {

TFileStoreForm::TFileStoreForm(Station& station, QWidget* parent) : QWidget(parent), m_station(station) {
    setObjectName(QStringLiteral("FileStoreForm"));
    setWindowTitle(QStringLiteral("File Store"));
}

} // namespace kestrova
