#pragma once

#include "core/ports/Scanner.h"

#include <QStringList>
#include <memory>

namespace kestrova::test {

// A scanner that scans nothing: it records every call in order in a shared effects list (which a
// test may also write to, to see the order of other effects), answers from what the test set,
// and ends a batch only when the test calls finishBatch() or failBatch().
class FakeScanner : public Scanner {
public:
    explicit FakeScanner(std::shared_ptr<QStringList> effects = std::make_shared<QStringList>())
        : m_effects(std::move(effects)) {}

    QStringList& effects() { return *m_effects; }
    std::shared_ptr<QStringList> effectsPtr() const { return m_effects; }

    // Answers of the next calls.
    Status startAnswer = Status::success();
    Status selectAnswer = Status::success();
    Status closeAnswer = Status::success();
    QList<ScannerDeviceInfo> devices{
        {QStringLiteral("fake:0"), QStringLiteral("Fake"), QStringLiteral("ADF"), QStringLiteral("sheetfed scanner")}};

    // What the last startScan was given.
    ScanSettings lastSettings;
    int startCount = 0;

    QString description() const override { return QStringLiteral("fake scanner"); }
    Status listDevices(QList<ScannerDeviceInfo>& out) override {
        out = devices;
        return Status::success();
    }
    QString currentDevice() const override { return m_device; }
    Status chooseDevice(const QString& name) override {
        m_device = name;
        m_effects->append(QStringLiteral("chooseDevice ") + name);
        return Status::success();
    }
    Status startScan(const ScanSettings& settings) override {
        lastSettings = settings;
        ++startCount;
        m_effects->append(QStringLiteral("startScan ScanTo=%1 ShowSetupBeforeScan=%2")
                              .arg(settings.ScanTo)
                              .arg(settings.ShowSetupBeforeScan ? QStringLiteral("true") : QStringLiteral("false")));
        m_scanning = startAnswer && !startAnswer.cancelled();
        return startAnswer;
    }
    Status closeScanner() override {
        m_effects->append(QStringLiteral("closeScanner"));
        return closeAnswer;
    }
    Status selectSource() override {
        m_effects->append(QStringLiteral("selectSource"));
        return selectAnswer;
    }
    bool isScanning() const override { return m_scanning; }

    // Ends the running batch as a scanner would.
    void finishBatch() {
        m_scanning = false;
        emit scanDone();
    }
    void failBatch(const QString& message) {
        m_scanning = false;
        emit scanFailed(message);
    }
    void notice(const QString& message) { emit scanNotice(message); }

private:
    std::shared_ptr<QStringList> m_effects;
    QString m_device = QStringLiteral("fake:0");
    bool m_scanning = false;
};

} // namespace kestrova::test
