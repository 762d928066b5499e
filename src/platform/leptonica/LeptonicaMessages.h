#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace kestrova::leptonica {

// While a capture is alive, the messages Leptonica and libtiff would print to standard error on
// this thread are kept in it instead. Messages on a thread without a capture are dropped, so the
// libraries never write to the terminal.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    // The most telling error caught: the first from libtiff, else the first from Leptonica;
    // empty when none was caught.
    QString detail() const;

    // message, followed by ": " and the detail when there is one.
    QString describe(const QString& message) const;

    void addLeptonica(const char* text);
    void addTiff(const char* module, const QString& text, bool isError);
    void addCodec(const QString& text);

private:
    MessageCapture* m_outer;
    QStringList m_leptonicaErrors;
    QStringList m_tiffErrors;
    QStringList m_codecErrors;
};

// libpng and libjpeg, called inside Leptonica, print straight to standard error. While this
// guard lives, standard error goes to a scratch file whose text is added to the thread's capture
// at the end. Guards are serialised process-wide, so keep them around single library calls.
class StandardErrorGuard {
public:
    StandardErrorGuard();
    ~StandardErrorGuard();
    StandardErrorGuard(const StandardErrorGuard&) = delete;
    StandardErrorGuard& operator=(const StandardErrorGuard&) = delete;

private:
    int m_savedFd = -1;
    FILE* m_scratch = nullptr;
};

// Installs the handlers that route the libraries' messages (idempotent, thread-safe).
void InstallMessageHandlers();

} // namespace kestrova::leptonica
