#include "core/store/StoreCycle.h"

#include "core/config/SetupInfo.h"
#include "core/ports/Volumes.h"
#include "core/station/Station.h"
#include "core/store/ConvertProcess.h"

namespace kestrova {

namespace {

constexpr int FirstInterval = 10000;
constexpr int CycleInterval = 25000;

} // namespace

StoreCycle::StoreCycle(Station& station, ConvertProcess& convert, const Volumes& volumes, QObject* parent)
    : QObject(parent), m_station(station), m_convert(convert), m_volumes(volumes) {
    StoreFileTimer.setObjectName(QStringLiteral("StoreFileTimer"));
    StoreFileTimer.setInterval(FirstInterval);
    connect(&StoreFileTimer, &QTimer::timeout, this, &StoreCycle::StoreFileTimerTimer);
    connect(&station, &Station::stateChanged, this, &StoreCycle::followEnabledFlag);
    m_station.task().setStoreFileTimerEnabled(true);
    followEnabledFlag();
}

void StoreCycle::followEnabledFlag() {
    // A tick turns the timer on again itself when it ends.
    if (m_ticking) return;
    if (m_station.task().StoreFileTimerEnabled()) {
        if (!StoreFileTimer.isActive()) StoreFileTimer.start();
    } else {
        StoreFileTimer.stop();
    }
}

void StoreCycle::StoreFileTimerTimer() {
    if (m_ticking) return;
    if (StoreFileTimer.interval() == FirstInterval) StoreFileTimer.setInterval(CycleInterval);
    m_ticking = true;
    StoreFileTimer.stop();
    m_station.task().setStoreFileTimerEnabled(false);
    // The timer comes back however the tick ends.
    struct Reenable {
        StoreCycle& cycle;
        ~Reenable() {
            cycle.m_ticking = false;
            cycle.m_station.task().setStoreFileTimerEnabled(true);
            cycle.StoreFileTimer.start();
        }
    } reenable{*this};
    runTick();
}

void StoreCycle::runTick() {
    m_station.task().setConvertStop(false);
    m_station.task().setBackupStop(false);
    m_convert.ConvertDecodedImages();
    m_station.RefreshStatus();
    if (m_station.task().BackupStop()) return;
    const QString& backupDir = m_station.setup().SetupInfo.Directories[SlotBackup];
    m_station.task().setMediaLabel(VolumeLabelOf(m_volumes, backupDir));
    if (backupDir != DriveDisabled && m_station.task().AutoProcess1() && m_backup) {
        MorePending = m_backup();
        if (MorePending) StoreFileTimer.setInterval(FirstInterval);
    }
    m_station.RefreshStatus();
}

} // namespace kestrova
