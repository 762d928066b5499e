#include "gui/forms/TImgViewForm.h"

namespace kestrova {

TImgViewForm::TImgViewForm(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station) {
    setObjectName(QStringLiteral("ImgViewForm"));
    setWindowTitle(QStringLiteral("Image Viewer"));
}

} // namespace kestrova
