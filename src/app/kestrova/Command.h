#pragma once

#include <QStringList>
#include <functional>

class QJsonObject;

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
// Prints object to standard output as indented JSON.
void PrintJson(const QJsonObject& object);

// Takes "--setup FILE" out of args into setup (the default setup file when args hold none); false
// when "--setup" has no file after it.
bool TakeSetup(QStringList& args, QString& setup);
// The arguments of a command that takes only "[--setup FILE]"; false, with usage printed on
// standard error, when they are anything else.
bool SetupOnly(const QStringList& args, const QString& usage, QString& setup);

} // namespace kestrova::cli
