#include "app/kestrova/Command.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

namespace kestrova::cli {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

void Out(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void Err(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
}

namespace {

void PrintHelp() {
    Out(QStringLiteral("kestrova: the KestrovaNT station from the command line\n\n"
                       "  --version\n      Print the version and exit.\n\nCommands:"));
    auto commands = Commands();
    std::sort(commands.begin(), commands.end(), [](auto& a, auto& b) { return a.name < b.name; });
    for (const Command& c : commands) {
        const QString call = c.usage.isEmpty() ? c.name : c.name + QLatin1Char(' ') + c.usage;
        Out(QStringLiteral("  %1\n      %2").arg(call, c.summary));
    }
}

} // namespace
} // namespace kestrova::cli

int main(int argc, char** argv) {
    using namespace kestrova::cli;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrova"));
    QStringList args = app.arguments().mid(1);
    if (args.size() == 1 && args.front() == QLatin1String("--version")) {
        Out(QStringLiteral("kestrova (KestrovaNT) ") + QStringLiteral(KESTROVA_BUILD_TAG));
        return 0;
    }
    if (args.isEmpty() || args.front() == QLatin1String("--help") || args.front() == QLatin1String("help")) {
        PrintHelp();
        return args.isEmpty() ? 2 : 0;
    }
    // The longest command name that the arguments start with wins ("setup show" before "setup").
    const Command* best = nullptr;
    int bestWords = 0;
    for (const Command& c : Commands()) {
        const QStringList words = c.name.split(QLatin1Char(' '));
        if (words.size() <= args.size() && args.mid(0, words.size()) == words && words.size() > bestWords) {
            best = &c;
            bestWords = static_cast<int>(words.size());
        }
    }
    if (!best) {
        Err(QStringLiteral("kestrova: unknown command \"%1\"; try kestrova --help").arg(args.join(QLatin1Char(' '))));
        return 2;
    }
    return best->run(args.mid(bestWords));
}
