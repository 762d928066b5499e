#include "gui/forms/TAdminForm.h"

namespace kestrova {

TAdminForm::TAdminForm(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station) {
    setObjectName(QStringLiteral("AdminForm"));
    setWindowTitle(QStringLiteral("Adminstration"));
}

} // namespace kestrova
