#pragma once

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QUuid>

namespace kestrova::test {

// A station directory with the sample setup file rewritten to its own folders, and the environment
// that runs the programs in it without touching another station.
struct StationDir {
    QTemporaryDir dir;
    QString instanceKey = QStringLiteral("KestrovaNT-test-") + QUuid::createUuid().toString(QUuid::Id128);

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

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KESTROVA_INSTANCE_KEY"), instanceKey);
        env.insert(QStringLiteral("KESTROVA_PROGRAM_DIR"), dir.path());
        env.remove(QStringLiteral("KESTROVA_HEADLESS"));
        return env;
    }
};

} // namespace kestrova::test
