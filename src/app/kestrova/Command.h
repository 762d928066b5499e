#pragma once

#include <QStringList>
#include <functional>

namespace kestrova::cli {

// One command of the kestrova front end. Each command lives in its own file and registers itself
// with a static CommandRegistration.
struct Command {
    QString name;    // e.g. "setup show"
    QString usage;   // arguments after the name
    QString summary; // one line for the help text
    std::function<int(const QStringList& args)> run;
};

std::vector<Command>& Commands();

struct CommandRegistration {
    explicit CommandRegistration(Command c) { Commands().push_back(std::move(c)); }
};

// Prints to standard output / standard error with a newline.
void Out(const QString& text);
void Err(const QString& text);

} // namespace kestrova::cli
