#include "app/kestrova/Command.h"
#include "platform/sane/SaneLibrary.h"

namespace kestrova::cli {

namespace {

int Scanners(const QStringList& args) {
    if (!args.isEmpty()) {
        Err(QStringLiteral("usage: kestrova scanners"));
        return 2;
    }
    sane::SaneLibrary library;
    if (!library.ok()) {
        Err(library.error());
        return 1;
    }
    QList<ScannerDeviceInfo> devices;
    const Status listed = sane::ListSaneDevices(devices);
    if (!listed) {
        Err(listed.error());
        return 1;
    }
    if (devices.isEmpty()) Err(QStringLiteral("No scanner found"));
    for (const ScannerDeviceInfo& device : devices) {
        Out(device.name + QLatin1Char('\t') +
            QStringList{device.vendor, device.model, device.type}.join(QLatin1Char(' ')).simplified());
    }
    return 0;
}

const CommandRegistration registration{{QStringLiteral("scanners"), QString(),
                                        QStringLiteral("List the scanners SANE finds (name, then maker and model)."),
                                        Scanners}};

} // namespace
} // namespace kestrova::cli
