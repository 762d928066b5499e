#pragma once

#include "core/ports/Prompter.h"

#include <QStringList>
#include <deque>

namespace kestrova::test {

// Answers prompts from a script and fails the test on any prompt it was not told to expect.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        QString caption;
        QString text;
        MessageIcon icon;
        QString defaultText; // what an input box offered
    };

    // The next message box must have this caption (any text) and gets this answer.
    void expectMessage(const QString& caption, MessageResult answer = MessageResult::Ok);
    // The next input box must have this caption and gets this answer (nothing = cancel).
    void expectInput(const QString& caption, std::optional<QString> answer);
    // Any message box is answered with OK without being expected.
    void allowAnyMessage(bool allow = true) { m_allowAny = allow; }

    MessageResult message(const QString& caption, const QString& text, MessageIcon icon,
                          MessageButtons buttons) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt, const QString& defaultText) override;

    const std::vector<Shown>& shown() const { return m_shown; }
    bool allAnswered() const { return m_script.empty(); }

private:
    struct Step {
        bool input;
        QString caption;
        MessageResult answer;
        std::optional<QString> text;
    };
    std::deque<Step> m_script;
    std::vector<Shown> m_shown;
    bool m_allowAny = false;
};

} // namespace kestrova::test
