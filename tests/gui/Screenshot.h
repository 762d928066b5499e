#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

namespace kestrova::guitest {

// With KESTROVA_SCREENSHOT_DIR set, a window is drawn at 1024 x 768 and written there as a PNG
// picture for the documentation (scripts/screenshots); otherwise nothing happens.
inline void Screenshot(QWidget& window, const char* name) {
    const QString dir = qEnvironmentVariable("KESTROVA_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    const QSize size = window.size();
    window.resize(1024, 768);
    QCoreApplication::processEvents();
    QDir().mkpath(dir);
    window.grab().save(dir + QLatin1Char('/') + QString::fromLatin1(name));
    window.resize(size);
    QCoreApplication::processEvents();
}

} // namespace kestrova::guitest
