#include "platform/sane/SaneLibrary.h"

#include <mutex>

namespace kestrova::sane {

namespace {
std::mutex g_mutex;
int g_users = 0;
SANE_Status g_initStatus = SANE_STATUS_GOOD;
} // namespace

SaneLibrary::SaneLibrary() {
    std::lock_guard lock(g_mutex);
    if (g_users == 0) {
        SANE_Int version = 0;
        g_initStatus = sane_init(&version, nullptr);
    }
    ++g_users;
    m_ok = g_initStatus == SANE_STATUS_GOOD;
    if (!m_ok) m_error = QStringLiteral("SANE could not start: ") + StatusText(g_initStatus);
}

SaneLibrary::~SaneLibrary() {
    std::lock_guard lock(g_mutex);
    if (--g_users == 0 && g_initStatus == SANE_STATUS_GOOD) sane_exit();
}

QString StatusText(SANE_Status status) {
    const char* text = sane_strstatus(status);
    return text ? QString::fromUtf8(text) : QStringLiteral("SANE status %1").arg(static_cast<int>(status));
}

Status ListSaneDevices(QList<ScannerDeviceInfo>& devices) {
    devices.clear();
    const SANE_Device** list = nullptr;
    const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
    if (status != SANE_STATUS_GOOD)
        return Status::failure(QStringLiteral("Cannot list scanners: ") + StatusText(status));
    for (int i = 0; list && list[i]; ++i) {
        const SANE_Device* d = list[i];
        devices.append({QString::fromUtf8(d->name), QString::fromUtf8(d->vendor ? d->vendor : ""),
                        QString::fromUtf8(d->model ? d->model : ""), QString::fromUtf8(d->type ? d->type : "")});
    }
    return Status::success();
}

} // namespace kestrova::sane
