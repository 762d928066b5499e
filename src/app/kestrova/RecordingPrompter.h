#pragma once

#include "core/ports/ConsolePrompter.h"

#include <QJsonArray>
#include <QJsonObject>

namespace kestrova::cli {

// Prints every message box to standard error, as the station would show it, and keeps a copy
// for a command's JSON report.
class RecordingPrompter : public ConsolePrompter {
public:
    MessageResult message(const QString& caption, const QString& text, MessageIcon icon,
                          MessageButtons buttons) override {
        m_shown.append(QJsonObject{{QStringLiteral("caption"), caption}, {QStringLiteral("text"), text}});
        return ConsolePrompter::message(caption, text, icon, buttons);
    }
    const QJsonArray& shown() const { return m_shown; }

private:
    QJsonArray m_shown;
};

} // namespace kestrova::cli
