#include "gui/forms/TAdminForm.h"

#include "core/station/Station.h"

namespace kestrova {

TAdminForm::TAdminForm(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station) {
    setObjectName(QStringLiteral("AdminForm"));
    setWindowTitle(QStringLiteral("Adminstration"));
}

} // namespace kestrova
