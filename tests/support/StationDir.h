#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

namespace kestrova::test {

// A station directory with the sample setup file rewritten to its own folders, and the environment
// that runs the programs in it without touching another station.
struct StationDir {
    QTemporaryDir dir;
    QString instanceKey = QStringLiteral("KestrovaNT-test-") + QUuid::createUuid().toString(QUuid::Id128);
    // The fault point (KESTROVA_FAULT_POINT, "name" or "name#N") the next runs stop at; empty for none.
    QString faultPoint;

    StationDir() {
        QFile sample(QStringLiteral(KESTROVA_SHARED_SAMPLES "/kestrova.inf"));
        if (sample.open(QIODevice::ReadOnly)) {
            QByteArray text = sample.readAll();
            text.replace("/srv/kestrova/", (dir.path() + QStringLiteral("/")).toUtf8());
            text.replace("/srv/images/", (dir.path() + QStringLiteral("/")).toUtf8());
            text.replace("/media/kestrova/DISC/", (dir.path() + QStringLiteral("/backup/")).toUtf8());
            QFile out(path(QStringLiteral("kestrova.inf")));
            if (out.open(QIODevice::WriteOnly)) out.write(text);
        }
        QDir().mkpath(path(QStringLiteral("ImageDatabase")));
        QFile::copy(QStringLiteral(KESTROVA_BIN_DIR "/ImageDatabase/KestrovaImageDataBlank.mdb"),
                    path(QStringLiteral("ImageDatabase/KestrovaImageDataBlank.mdb")));
        for (const char* d : {"scan", "problems", "decoded", "store", "local", "local/ZipFiles", "backup"})
            QDir().mkpath(path(QString::fromLatin1(d)));
    }

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    // Replaces text in the station's setup file; false when the file does not hold it.
    bool replaceInSetup(const QByteArray& from, const QByteArray& to) const {
        QFile setup(path(QStringLiteral("kestrova.inf")));
        if (!setup.open(QIODevice::ReadWrite)) return false;
        QByteArray text = setup.readAll();
        if (!text.contains(from)) return false;
        text.replace(from, to);
        return setup.resize(0) && setup.write(text) == text.size();
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KESTROVA_INSTANCE_KEY"), instanceKey);
        env.insert(QStringLiteral("KESTROVA_PROGRAM_DIR"), dir.path());
        env.remove(QStringLiteral("KESTROVA_HEADLESS"));
        env.remove(QStringLiteral("KESTROVA_FAULT_POINT"));
        if (!faultPoint.isEmpty()) env.insert(QStringLiteral("KESTROVA_FAULT_POINT"), faultPoint);
        return env;
    }
};

// What a run of the kestrova program printed and how it ended.
struct KestrovaRun {
    int exitCode = -1;
    QString out;
    QString err;
    bool killed = false; // ended by a signal (a fault point)
};

// Runs the kestrova program with args in the station's environment, in workingDir (the station
// directory when empty). A run that does not finish within timeoutMs fails the test.
inline KestrovaRun RunKestrova(const StationDir& station, const QStringList& args, const QString& workingDir = {},
                               int timeoutMs = 60000) {
    QProcess p;
    p.setWorkingDirectory(workingDir.isEmpty() ? station.dir.path() : workingDir);
    p.setProcessEnvironment(station.environment());
    p.start(QStringLiteral(KESTROVA_BIN_DIR "/kestrova"), args);
    const bool finished = p.waitForFinished(timeoutMs);
    EXPECT_TRUE(finished) << "kestrova " << args.join(QLatin1Char(' ')).toStdString();
    if (!finished) return {-1, {}, QStringLiteral("kestrova did not finish")};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()),
            p.exitStatus() == QProcess::CrashExit};
}

} // namespace kestrova::test
