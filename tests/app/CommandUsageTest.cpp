// Every command listed by "kestrova --help" refuses arguments it does not know with its usage line,
// before it touches a station, and that line names the same options as the help does.
#include "support/StationDir.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QSet<QString> Options(const QString& line) {
    QSet<QString> options;
    static const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
    for (const QRegularExpressionMatch& m : option.globalMatch(line)) options.insert(m.captured());
    return options;
}

QStringList Sorted(const QSet<QString>& set) {
    QStringList list(set.begin(), set.end());
    list.sort();
    return list;
}

} // namespace

TEST(CommandUsage, EveryCommandsUsageLineMatchesTheHelp) {
    kestrova::test::StationDir station;
    QTemporaryDir empty; // no setup file: a command that reads one first fails differently
    const kestrova::test::KestrovaRun help = kestrova::test::RunKestrova(station, {"--help"}, empty.path());
    ASSERT_EQ(help.exitCode, 0);
    int commands = 0;
    for (const QString& line : help.out.split(QLatin1Char('\n'))) {
        // "  NAME WORDS USAGE": the name ends before the first argument ([, -, " or capitals).
        if (!line.startsWith(QLatin1String("  ")) || line.startsWith(QLatin1String("   ")) ||
            line.startsWith(QLatin1String("  --")))
            continue;
        QStringList name;
        for (const QString& word : line.trimmed().split(QLatin1Char(' '))) {
            if (word.isEmpty() || QStringLiteral("[-\"").contains(word[0]) || word[0].isUpper()) break;
            name << word;
        }
        SCOPED_TRACE(line.toStdString());
        ASSERT_FALSE(name.isEmpty());
        ++commands;
        const QStringList bogus(6, QStringLiteral("--no-such-option"));
        const kestrova::test::KestrovaRun run = kestrova::test::RunKestrova(station, name + bogus, empty.path());
        EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
        const QString usage = run.err.section(QLatin1Char('\n'), 0, 0);
        EXPECT_TRUE(usage.startsWith(QStringLiteral("usage: kestrova ") + name.join(QLatin1Char(' '))))
            << usage.toStdString();
        EXPECT_EQ(Sorted(Options(usage)), Sorted(Options(line)));
    }
    EXPECT_GE(commands, 20);
}
