#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace kestrova::test {

void ScriptedPrompter::expectMessage(const QString& caption, MessageResult answer) {
    m_script.push_back({false, caption, answer, std::nullopt});
}

void ScriptedPrompter::expectInput(const QString& caption, std::optional<QString> answer) {
    m_script.push_back({true, caption, MessageResult::Ok, std::move(answer)});
}

MessageResult ScriptedPrompter::message(const QString& caption, const QString& text, MessageIcon icon, MessageButtons) {
    m_shown.push_back({caption, text, icon, QString()});
    if (!m_script.empty() && !m_script.front().input && m_script.front().caption == caption) {
        const MessageResult r = m_script.front().answer;
        m_script.pop_front();
        return r;
    }
    if (m_allowAny) return MessageResult::Ok;
    ADD_FAILURE() << "Unexpected message box \"" << caption.toStdString() << "\": " << text.toStdString();
    return MessageResult::Cancel;
}

std::optional<QString> ScriptedPrompter::inputBox(const QString& caption, const QString& prompt,
                                                  const QString& defaultText) {
    m_shown.push_back({caption, prompt, MessageIcon::Question, defaultText});
    if (!m_script.empty() && m_script.front().input && m_script.front().caption == caption) {
        std::optional<QString> r;
        r.swap(m_script.front().text);
        m_script.pop_front();
        return r;
    }
    ADD_FAILURE() << "Unexpected input box \"" << caption.toStdString() << "\": " << prompt.toStdString();
    return std::nullopt;
}

} // namespace kestrova::test
