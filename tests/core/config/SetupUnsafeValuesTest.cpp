#include "SetupFixture.h"

#include "core/config/SetupFile.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

using namespace kestrova;
using kestrova::test::SetupFileTest;

namespace {

const QString Errors = QStringLiteral("The Kestrova Setup File.contains errors!\nKestrovaNT will Terminate.");
const QString Critical = QStringLiteral("A Critical Directory has not been set up correctly.\nRe-run the Kestrova "
                                        "configuration program.\r\nKestrovaNT will Terminate.");
const QString Rerun = QStringLiteral("\nRe-run the Kestrova configuration program.\r\nKestrovaNT will Terminate.");

QString WithByte(const QString& before, char16_t byte, const QString& after = QStringLiteral("x")) {
    return before + QChar(byte) + after;
}

} // namespace

// Values that would let a path leave its folder or be cut short, each in a real setup file read
// through the reader: the message, the outcome, what is left of the slot and the log line.
TEST_F(SetupFileTest, ControlCharactersAndSeparatorsInPathsAndNamesAreRefused) {
    struct Case {
        const char* name;
        int code;
        QString value;
        QString message; // empty: the file is usable
        SetupOutcome outcome;
        QString logged; // part of the event log line
    };
    const QString root = t.dir.path() + QLatin1Char('/');
    const std::vector<Case> cases = {
        {"NUL in the decoded directory", 3, WithByte(root + "decoded", 0, "/../../etc"), Critical,
         SetupOutcome::EndAfterStartup, "line 3: the directory \"" + root + "decoded\\x00/../../etc/\""},
        {"tab in the scan directory", 1, WithByte(root + "scan", '\t'), Critical, SetupOutcome::EndAfterStartup,
         "line 1:"},
        {"escape in the local images directory", 6, WithByte(root + "local", 0x1b), Critical,
         SetupOutcome::EndAfterStartup, "\\x1b"},
        {"NUL in the image store", 5, WithByte(root + "store/", 0, "**"), Errors, SetupOutcome::EndNow, "line 5:"},
        {"C1 control in the remote scanner directory", 4, WithByte(root + "remote", 0x85), Errors, SetupOutcome::EndNow,
         "\\x85"},
        {"DEL in the backup destination", 7, WithByte("/media/disc", 0x7f, "?"), Errors, SetupOutcome::EndNow,
         "line 7:"},
        {"NUL in the spare slot", 9, WithByte("spare", 0), Errors, SetupOutcome::EndNow, "line 9:"},
        {"slash in the scanner identifier", 18, "S/../1", Errors, SetupOutcome::EndNow,
         "line 18: the scanner identifier \"S/../1\""},
        {"backslash in the scanner identifier", 18, "S\\1", Errors, SetupOutcome::EndNow, "scanner identifier"},
        {"dots in the scanner identifier", 18, "..", Errors, SetupOutcome::EndNow, "scanner identifier"},
        {"NUL in the scanner identifier", 18, WithByte("S", 0, "1"), Errors, SetupOutcome::EndNow, "\"S\\x001\""},
        {"slash in a document code", 201, "Bad:A/B:2069:40:", Errors, SetupOutcome::EndNow,
         "document code \"~A/B\" of \"Bad\""},
        {"parent in a document code", 201, "Bad:..:2069:40:", Errors, SetupOutcome::EndNow, "\"~..\""},
        {"backslash in a document code", 201, "Bad:A\\B:2069:40:", Errors, SetupOutcome::EndNow, "\"~A\\B\""},
        {"NUL in a document code", 201, WithByte("Bad:A", 0, "B:2069:40:"), Errors, SetupOutcome::EndNow,
         "\"~A\\x00B\""},
        // What is no part of a path stays as it was, and so do names outside ASCII.
        {"NUL in a document name", 201, WithByte("Bad", 0, "Name:HIST:2069:40:"), {}, SetupOutcome::Ok, {}},
        {"dot in the scanner identifier", 18, "S.1", {}, SetupOutcome::Ok, {}},
        {"accents in the decoded directory", 3, root + QStringLiteral("d\u00e9cod\u00e9"), {}, SetupOutcome::Ok, {}},
    };
    QDir().mkpath(root + QStringLiteral("d\u00e9cod\u00e9"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempStation fresh;
        fresh.station.editSetup().ProgramDir = station.setup().ProgramDir;
        fresh.prompter.allowAnyMessage();
        SetupFileTest::SetUp();
        set(c.code, c.value);
        const QString path = write(lines.join(QStringLiteral("\r\n")).toUtf8());
        EXPECT_EQ(ReadSetupFile(fresh.station, path), c.outcome);
        QStringList shown;
        for (const auto& m : fresh.prompter.shown()) shown << m.text;
        EXPECT_EQ(shown, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        const QStringList log = fresh.station.eventLog().lines();
        if (c.logged.isEmpty()) {
            EXPECT_TRUE(log.isEmpty()) << log.join('\n').toStdString();
            continue;
        }
        ASSERT_EQ(log.size(), 1) << log.join('\n').toStdString();
        EXPECT_TRUE(log[0].contains(c.logged)) << log[0].toStdString();
        // A refused directory is switched off: nothing can use what is left of it.
        if (c.code <= 9) {
            EXPECT_EQ(fresh.station.setup().SetupInfo.Directories[c.code], DriveDisabled);
        }
    }
}

// A Latin-1 line beside UTF-8 lines garbles none of them: each line is read in its own encoding.
TEST_F(SetupFileTest, EachLineIsReadInItsOwnEncoding) {
    const QString decoded = t.path(QStringLiteral("d\u00e9cod\u00e9s \u6587\u4ef6"));
    QDir().mkpath(decoded);
    set(3, decoded);
    remove(200);
    QByteArray bytes = lines.join(QStringLiteral("\r\n")).toUtf8();
    bytes += "\r\n200|Document|Bl\xe9 Form:B\xc9:2928:30:lab\r\n"; // Latin-1, as the old program writes
    bytes += "201|Document|Histolog\xc3\xad\x61:H\xc3\x8dST:2069:40:histology\r\n"; // UTF-8
    ASSERT_EQ(ReadSetupFile(station, write(bytes)), SetupOutcome::Ok);
    EXPECT_EQ(station.setup().SetupInfo.Directories[3], decoded + "/");
    ASSERT_EQ(station.setup().SetupInfo.DocDefs.size(), 2);
    EXPECT_EQ(station.setup().SetupInfo.DocDefs[0].DocName, QStringLiteral("Bl\u00e9 Form"));
    EXPECT_EQ(station.setup().SetupInfo.DocDefs[0].DocCode, QStringLiteral("~B\u00c9"));
    EXPECT_EQ(station.setup().SetupInfo.DocDefs[1].DocName, QStringLiteral("Histolog\u00eda"));
    EXPECT_EQ(station.setup().SetupInfo.DocDefs[1].DocCode, QStringLiteral("~H\u00cdST"));
}

// A FIFO, a device or a huge file given as the setup file is refused without being read; a file
// of exactly the largest size is read (one byte more: OversizedFileIsRefusedUnread).
TEST_F(SetupFileTest, WhatIsNoSetupFileIsRefusedUnread) {
    const QString NotAFile = QStringLiteral("The Setup File is not a plain file!") + Rerun;
    const QString TooLarge = QStringLiteral("The Setup File is larger than 1 MB!") + Rerun;

    const QString fifo = t.path("fifo.inf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = t.path("link.inf");
    ASSERT_TRUE(QFile::link(fifo, link));
    const QByteArray valid = lines.join(QStringLiteral("\n")).toUtf8() + "\n16|m|REMOTE|\n";
    QByteArray exact = lines.join(QStringLiteral("\n")).toUtf8() + "\n";
    exact += QByteArray(MaxSetupFileBytes - exact.size() - 14, 'x') + "\n16|m|REMOTE|\n";
    const QString exactPath = write(exact);
    ASSERT_EQ(QFileInfo(exactPath).size(), MaxSetupFileBytes);
    QFile sparse(t.path("sparse.inf")); // 2 GB of nothing after a valid file
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
    sparse.write(valid);
    ASSERT_TRUE(sparse.resize(qint64(2) << 30));
    sparse.close();

    struct Case {
        QString path;
        QString message; // empty: read
    };
    const std::vector<Case> cases = {
        {fifo, NotAFile},
        {link, NotAFile},
        {"/dev/zero", NotAFile},
        {"/dev/null", NotAFile},
        {t.path("sparse.inf"), TooLarge},
        {exactPath, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        t.prompter.allowAnyMessage();
        const size_t before = t.prompter.shown().size();
        const SetupOutcome outcome = ReadSetupFile(station, c.path);
        if (c.message.isEmpty()) {
            EXPECT_EQ(outcome, SetupOutcome::Ok);
            EXPECT_EQ(station.setup().SetupInfo.StationMode, ModeRemote)
                << "the last line of a file at the limit counts";
            EXPECT_EQ(t.prompter.shown().size(), before);
            continue;
        }
        EXPECT_EQ(outcome, SetupOutcome::EndNow);
        ASSERT_EQ(t.prompter.shown().size(), before + 1);
        EXPECT_EQ(t.prompter.shown().back().caption, "Invalid Setup File");
        EXPECT_EQ(t.prompter.shown().back().text, c.message);
    }
}
