#include "core/db/TImageDataModule.h"
#include "core/station/Station.h"
#include "core/station/StatusMonitor.h"

namespace kestrova {

TImageDataModule* StatusMonitor::data() const {
    return m_data ? m_data : m_station.DataModule;
}

void StatusMonitor::CountAwaitingBackup() {
    TImageDataModule* const db = data();
    if (!db) return;
    int count = 0;
    // A remote station copies images to its scan server without zipping them: a row with a zip
    // name still waits there.
    db->SetGeneralSQL(
        m_station.setup().SetupInfo.StationMode == ModeRemote
            ? QStringLiteral("select count(SeqNumber) as BKPCount from ImageData where CdwriteTime is null")
            : QStringLiteral("select count(SeqNumber) as BKPCount from ImageData where CdwriteTime is null and "
                             "ZipName is null"));
    DataQuery& query = db->FileImageDataQuery;
    if (!query.prepare()) {
        m_station.prompter().message(QString(), QStringLiteral("Database Open prepare Error -") + query.errorText());
    } else if (!query.open()) {
        m_station.prompter().message(QString(), QStringLiteral("Database Open error") + query.errorText());
    } else if (!query.isEmpty()) {
        count = query.fieldByName(QStringLiteral("BkpCount")).asInteger();
    }
    query.close();
    if (m_station.setup().SetupInfo.Directories[SlotBackup] != DriveDisabled)
        m_station.ui.CDGroupLabel = QString::number(count);
}

void StatusMonitor::CountAwaitingLIS() {
    MainWindowState& ui = m_station.ui;
    TImageDataModule* const db = data();
    if (!db || !ui.ServerGroupVisible) return;
    DataQuery& query = db->LISinfoQuery;
    if (query.isActive()) query.close();
    int count = -1;
    if (query.open()) {
        query.first();
        count = query.fieldByName(QStringLiteral("wLIS")).asInteger();
    } else {
        m_station.LogEvent(QStringLiteral("LIS Query error:") + query.errorText());
    }
    query.close();
    if (count == -1) {
        ui.SystemLabel = QStringLiteral("ERR");
        ui.SystemLabelColour = LabelColour::Red;
        return;
    }
    ui.SystemLabel = QString::number(count);
    ui.SystemLabelColour = count >= 26 ? LabelColour::Red : LabelColour::WindowText;
}

} // namespace kestrova
