#include "gui/forms/TMainForm.h"

#include "core/station/Station.h"

#include <QListWidget>

namespace kestrova {

TMainForm::TMainForm(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station) {
    setObjectName(QStringLiteral("MainForm"));
    LogList = new QListWidget(this);
    LogList->setObjectName(QStringLiteral("LogList"));
    setCentralWidget(LogList);
    FormCreate();
}

void TMainForm::FormCreate() {
    m_station.ImageSetDepth = 4;
    setWindowTitle(QStringLiteral("KestrovaNT "));
    m_station.LogEvent(QStringLiteral("This is the Event Log!  Watch this space for important messages."));
}

void TMainForm::activateFromSecondStart() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

} // namespace kestrova
