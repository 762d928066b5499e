#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct CommandRun {
    int exitCode = -1;
    QByteArray out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

// Runs "kestrova setup show" in dir, with the program directory pointed at dir as well.
CommandRun SetupShow(const QString& dir, const QStringList& args = {}) {
    QProcess p;
    p.setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KESTROVA_PROGRAM_DIR"), dir);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KESTROVA_BIN_DIR "/kestrova"), QStringList{"setup", "show"} + args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray SampleWith(const QByteArray& extraLines) {
    QFile f(QStringLiteral(KESTROVA_SHARED_SAMPLES "/kestrova.inf"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll() + extraLines;
}

} // namespace

TEST(SetupShowCommand, PrintsTheSampleAsJson) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("problems");
    Write(dir.filePath("kestrova.inf"), SampleWith("15|Barcode Types|9007199254740993|\r\n"));
    const CommandRun run = SetupShow(dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QJsonObject json = run.json();
    const QJsonObject setup = json["SetupInfo"].toObject();
    EXPECT_EQ(json["outcome"].toString(), "Ok");
    EXPECT_EQ(setup["Directories"].toObject()["5"].toString(), "/srv/images/store/");
    EXPECT_EQ(setup["Directories"].toObject()["4"].toString(), "Drive Disabled");
    EXPECT_EQ(setup["DocDefs"].toArray().size(), 3);
    EXPECT_EQ(setup["DocDefs"].toArray()[0].toObject()["DocCode"].toString(), "~REQ");
    EXPECT_EQ(setup["QuadTo"].toInt(), 20);
    EXPECT_TRUE(run.out.contains("\"BarcodeTypes\": 9007199254740993")) << "64-bit masks keep every digit";
    const QJsonObject globals = json["globals"].toObject();
    EXPECT_EQ(globals["StoreMask"].toString(), "**");
    EXPECT_EQ(globals["StorageResolution"].toInt(), 250);
    EXPECT_TRUE(globals["LocalImagesFlag"].toBool());
    EXPECT_EQ(globals["ProgramDir"].toString(), dir.path() + "/");
    EXPECT_EQ(json["ui"].toObject()["ProblemFilesDirectory"].toString(), dir.filePath("problems"));
    EXPECT_EQ(globals["DeletedProblemDays"].toInt(-1), 30) << "no line 26: deleted problem pages are kept 30 days";
}

// Line 26: how many days a deleted problem page is kept; what cannot be read as days leaves 30.
TEST(SetupShowCommand, ShowsTheDaysDeletedProblemPagesAreKept) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("problems");
    const struct {
        QByteArray line;
        int days;
    } cases[] = {
        {"26|Deleted problem days|60", 60},
        {"26|Deleted problem days|0|", 0},
        {"26|Deleted problem days|-5|", 0},
        {"26|Deleted problem days|two weeks|", 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        Write(dir.filePath("kestrova.inf"), SampleWith(c.line + "\r\n"));
        const CommandRun run = SetupShow(dir.path());
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.json()["globals"].toObject()["DeletedProblemDays"].toInt(-1), c.days);
    }
}

TEST(SetupShowCommand, FailedChecksExitNonZeroWithTheStationsMessage) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("problems");
    const QString name = dir.filePath("other.inf");

    Write(name, SampleWith("15|Barcode Types|0|\r\n"));
    CommandRun run = SetupShow(dir.path(), {name});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Invalid Setup File: The Kestrova Setup File.contains errors!\nKestrovaNT will Terminate.\n");
    EXPECT_EQ(run.json()["outcome"].toString(), "EndNow");

    Write(name, SampleWith("1|Scan Directory||\r\n"));
    run = SetupShow(dir.path(), {name});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("Invalid Setup File: A Critical Directory has not been set up correctly.\n"))
        << run.err.toStdString();
    EXPECT_EQ(run.json()["outcome"].toString(), "EndAfterStartup");
    EXPECT_EQ(run.json()["messages"].toArray()[0].toObject()["text"].toString(),
              "A Critical Directory has not been set up correctly.\nRe-run the Kestrova configuration "
              "program.\r\nKestrovaNT will Terminate.");

    run = SetupShow(dir.path(), {dir.filePath("absent.inf")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err, "Invalid Setup File: The Setup File is Missing!\nRe-run the Kestrova configuration "
                       "program.\nKestrovaNT will Terminate.\n");

    run = SetupShow(dir.path()); // no kestrova.inf in the working directory
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("The Setup File is Missing!"));

    EXPECT_EQ(SetupShow(dir.path(), {name, name}).exitCode, 2);
}

// Setup files holding bytes that must not reach a path, or that are no setup file at all, each run
// through the command as an operator would.
TEST(SetupShowCommand, UnsafeAndUnreadableSetupFilesAreRefused) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("problems");
    const QString utf8Dir = dir.filePath(QStringLiteral("d\u00e9cod\u00e9"));
    const QString fifo = dir.filePath("fifo.inf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case {
        const char* name;
        QByteArray extraLines; // appended to the sample; later lines win
        int exitCode;
        const char* outcome; // empty: nothing printed on standard output
        const char* message; // start of the message on standard error
    };
    const std::vector<Case> cases = {
        {"NUL in the decoded directory", QByteArray("3|Decoded Directory|/srv/kestrova/dec\0oded/|\r\n", 48), 1,
         "EndAfterStartup", "Invalid Setup File: A Critical Directory has not been set up correctly."},
        {"separator in the scanner identifier", "18|Scanner ID|../S1|\r\n", 1, "EndNow",
         "Invalid Setup File: The Kestrova Setup File.contains errors!"},
        {"Latin-1 line beside a UTF-8 line",
         "3|Decoded Directory|" + utf8Dir.toUtf8() + "|\r\n203|Document|Bl\xe9 Form:BLE:2700:30:|\r\n", 0, "Ok", ""},
        {"a FIFO", {}, 1, "", "Invalid Setup File: The Setup File is not a plain file!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString file = fifo;
        if (!c.extraLines.isEmpty()) {
            file = dir.filePath("kestrova.inf");
            Write(file, SampleWith(c.extraLines));
        }
        const CommandRun run = SetupShow(dir.path(), {file});
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(*c.message ? run.err.startsWith(c.message) : run.err.isEmpty()) << run.err.toStdString();
        if (!*c.outcome) {
            EXPECT_TRUE(run.out.isEmpty());
            continue;
        }
        const QJsonObject json = run.json();
        EXPECT_EQ(json["outcome"].toString(), c.outcome);
        const QJsonObject setup = json["SetupInfo"].toObject();
        const QString decoded = setup["Directories"].toObject()["3"].toString();
        const QStringList log = json["log"].toVariant().toStringList();
        if (c.exitCode == 0) {
            EXPECT_EQ(decoded, utf8Dir + "/");
            EXPECT_EQ(setup["DocDefs"].toArray()[3].toObject()["DocName"].toString(), QStringLiteral("Bl\u00e9 Form"));
            EXPECT_TRUE(log.isEmpty()) << log.join('\n').toStdString();
        } else {
            EXPECT_FALSE(decoded.contains(QChar(0))) << "nothing is left of a refused directory";
            ASSERT_EQ(log.size(), 1);
            EXPECT_TRUE(log[0].contains("Setup file line")) << log[0].toStdString();
        }
    }
}
