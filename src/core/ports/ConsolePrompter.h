#pragma once

#include "core/ports/Prompter.h"

#include <cstdio>

namespace kestrova {

// The command line's prompter: prints every message to a stream (standard error by default) and
// answers with the default button or text. It never waits for a person.
class ConsolePrompter : public Prompter {
public:
    explicit ConsolePrompter(FILE* out = stderr) : m_out(out) {}

    MessageResult message(const QString& caption, const QString& text, MessageIcon icon,
                          MessageButtons buttons) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt, const QString& defaultText) override;

private:
    FILE* m_out;
};

} // namespace kestrova
