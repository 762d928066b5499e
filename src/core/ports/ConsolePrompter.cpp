#include "core/ports/ConsolePrompter.h"

namespace kestrova {

MessageResult ConsolePrompter::message(const QString& caption, const QString& text, MessageIcon,
                                       MessageButtons buttons) {
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    flat.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (caption.isEmpty())
        std::fprintf(m_out, "%s\n", qPrintable(flat));
    else
        std::fprintf(m_out, "%s: %s\n", qPrintable(caption), qPrintable(flat));
    std::fflush(m_out);
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return MessageResult::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageResult::Yes;
    }
    return MessageResult::Ok;
}

std::optional<QString> ConsolePrompter::inputBox(const QString& caption, const QString& prompt,
                                                 const QString& defaultText) {
    std::fprintf(m_out, "%s: %s [%s]\n", qPrintable(caption), qPrintable(prompt), qPrintable(defaultText));
    std::fflush(m_out);
    return defaultText;
}

} // namespace kestrova
