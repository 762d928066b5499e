#pragma once

#include "core/ports/PageImage.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <thread>

namespace kestrova {

// One step of a batch source: a page, a notice that did not stop the batch, the end of the batch,
// or a fault that ended it.
struct BatchStep {
    enum Kind { Page, Notice, End, Failure };
    Kind kind = End;
    std::unique_ptr<PageImage> page; // Page
    QString text;                    // Notice and Failure: what happened

    static BatchStep ofPage(std::unique_ptr<PageImage> p) { return {Page, std::move(p), QString()}; }
    static BatchStep notice(QString t) { return {Notice, nullptr, std::move(t)}; }
    static BatchStep end() { return {}; }
    static BatchStep failure(QString t) { return {Failure, nullptr, std::move(t)}; }
};

// Where the pages of a batch come from. next() and finish() run on the batch's worker thread;
// requestStop() may be called from any thread.
class BatchSource {
public:
    virtual ~BatchSource() = default;
    virtual BatchStep next() = 0;
    // The batch is over (after the end, a fault, or a stop): release the device.
    virtual void finish() {}
    // Asks next() to end the batch as soon as it can.
    virtual void requestStop() {}
};

struct BatchResult {
    int pages = 0;         // pages written
    QString error;         // the fault that ended the batch early; empty on a clean end
    bool replaced = false; // the image-set file now holds the batch
};

// Runs one scan batch on a worker thread. Each page is written, 1 bit per pixel with CCITT group
// 4 compression, to a work file beside the image-set file; when the batch ends, on the thread
// that owns this object, the work file replaces the image-set file if it holds at least one page.
// A batch without pages leaves the image-set file as it was.
class ImageSetBatch : public QObject {
    Q_OBJECT
public:
    explicit ImageSetBatch(QObject* parent = nullptr);
    ~ImageSetBatch() override;

    // False when a batch is still running.
    bool start(const QString& imageSet, std::unique_ptr<BatchSource> source);
    void stop();
    bool running() const { return m_running; }
    // Blocks until the worker has ended (the finished signal still comes through the event loop).
    void waitForWorker();

    static QString workFileFor(const QString& imageSet) { return imageSet + QStringLiteral(".scanning"); }

signals:
    void noticed(const QString& text);
    void finished(const BatchResult& result);

private:
    void run(QString imageSet, std::shared_ptr<BatchSource> source);
    void complete(const QString& imageSet, BatchResult result);

    std::thread m_worker;
    std::shared_ptr<BatchSource> m_source;
    std::atomic<bool> m_running{false};
};

} // namespace kestrova
