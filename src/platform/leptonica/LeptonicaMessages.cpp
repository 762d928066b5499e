#include "platform/leptonica/LeptonicaMessages.h"

#include <leptonica/allheaders.h>
#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace kestrova::leptonica {

namespace {

thread_local MessageCapture* t_capture = nullptr;

void LeptonicaHandler(const char* text) {
    if (t_capture && text) t_capture->addLeptonica(text);
}

QString Format(const char* format, va_list args) {
    char buffer[512];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    return QString::fromLocal8Bit(buffer).trimmed();
}

void TiffErrorHandler(const char* module, const char* format, va_list args) {
    if (t_capture) t_capture->addTiff(module, Format(format, args), true);
}

void TiffWarningHandler(const char*, const char*, va_list) {}

} // namespace

void InstallMessageHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        leptSetStderrHandler(LeptonicaHandler);
        TIFFSetErrorHandler(TiffErrorHandler);
        TIFFSetWarningHandler(TiffWarningHandler);
    });
}

MessageCapture::MessageCapture() : m_outer(t_capture) {
    InstallMessageHandlers();
    t_capture = this;
}

MessageCapture::~MessageCapture() {
    t_capture = m_outer;
}

void MessageCapture::addLeptonica(const char* text) {
    // Leptonica writes "Error in pixRead: pix not read\n"; info and warnings are chatter.
    const QString line = QString::fromLocal8Bit(text).trimmed();
    if (!line.startsWith(QLatin1String("Error in "))) return;
    const int colon = line.indexOf(QLatin1String(": "));
    m_leptonicaErrors << (colon > 0 ? line.mid(colon + 2) : line);
}

void MessageCapture::addTiff(const char*, const QString& text, bool isError) {
    if (isError && !text.isEmpty()) m_tiffErrors << text;
}

void MessageCapture::addCodec(const QString& text) {
    if (!text.isEmpty()) m_codecErrors << text;
}

QString MessageCapture::detail() const {
    if (!m_tiffErrors.isEmpty()) return m_tiffErrors.first();
    if (!m_codecErrors.isEmpty()) return m_codecErrors.first();
    if (!m_leptonicaErrors.isEmpty()) return m_leptonicaErrors.first();
    return QString();
}

QString MessageCapture::describe(const QString& message) const {
    const QString d = detail();
    return d.isEmpty() ? message : message + QLatin1String(": ") + d;
}

namespace {
std::mutex g_standardErrorMutex;
}

StandardErrorGuard::StandardErrorGuard() {
    g_standardErrorMutex.lock();
    std::fflush(stderr);
    m_scratch = std::tmpfile();
    if (!m_scratch) return;
    m_savedFd = ::dup(STDERR_FILENO);
    if (m_savedFd < 0 || ::dup2(::fileno(m_scratch), STDERR_FILENO) < 0) {
        if (m_savedFd >= 0) ::close(m_savedFd);
        m_savedFd = -1;
    }
}

StandardErrorGuard::~StandardErrorGuard() {
    std::fflush(stderr);
    if (m_savedFd >= 0) {
        ::dup2(m_savedFd, STDERR_FILENO);
        ::close(m_savedFd);
    }
    if (m_scratch) {
        if (m_savedFd >= 0 && t_capture) {
            // libpng prefixes "libpng error: "; libjpeg prints its message alone.
            char line[512];
            std::rewind(m_scratch);
            while (std::fgets(line, sizeof line, m_scratch)) {
                QString text = QString::fromLocal8Bit(line).trimmed();
                text.remove(QLatin1String("libpng error: "));
                t_capture->addCodec(text);
            }
        }
        std::fclose(m_scratch);
    }
    g_standardErrorMutex.unlock();
}

} // namespace kestrova::leptonica
