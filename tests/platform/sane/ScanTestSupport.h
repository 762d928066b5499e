#pragma once

#include "core/ports/PageImage.h"
#include "core/ports/Scanner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <functional>
#include <memory>

namespace kestrova::test {

// The scanners deliver their signals through the event loop, which needs an application object.
inline void EnsureCoreApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// Runs the event loop until done() holds or timeoutMs has passed; returns done().
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    return done();
}

// What a scanner reported, in order: "done", "failed: <message>", "notice: <message>".
struct ScannerSignals {
    QStringList seen;
    QObject context; // the connections end with the watcher
    bool ended() const {
        for (const QString& s : seen) {
            if (s == QLatin1String("done") || s.startsWith(QLatin1String("failed: "))) return true;
        }
        return false;
    }
    void watch(Scanner& scanner) {
        QObject::connect(&scanner, &Scanner::scanDone, &context, [this] { seen.append(QStringLiteral("done")); });
        QObject::connect(&scanner, &Scanner::scanFailed, &context,
                         [this](const QString& m) { seen.append(QStringLiteral("failed: ") + m); });
        QObject::connect(&scanner, &Scanner::scanNotice, &context,
                         [this](const QString& m) { seen.append(QStringLiteral("notice: ") + m); });
    }
};

// The share of black pixels of a 1-bit page.
inline double BlackShare(const PageImage& page) {
    barcode::PageBitmap bitmap;
    if (!page.toPageBitmap(bitmap) || bitmap.width == 0 || bitmap.height == 0) return -1;
    long black = 0;
    for (int r = 0; r < bitmap.height; ++r) {
        for (int x = 0; x < bitmap.width; ++x) {
            if (!(bitmap.row(r)[x / 8] & (0x80 >> (x % 8)))) ++black;
        }
    }
    return static_cast<double>(black) / (static_cast<double>(bitmap.width) * bitmap.height);
}

} // namespace kestrova::test
