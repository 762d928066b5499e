// kestrova init-station: makes a station directory from the station template that ships with the
// programs, and kestrova workstation: starts the workstation in a station directory.
#include "app/common/Wiring.h"
#include "app/kestrova/Command.h"
#include "core/station/InstalledLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <unistd.h>

namespace kestrova::cli {

namespace {

const QString InitUsage = QStringLiteral("DIR [--demo]");
const QString WorkstationUsage = QStringLiteral("[DIR]");

enum InitExit { Made = 0, NotMade = 1, BadUsage = 2 };

// The station template: PREFIX/share/kestrova/station for an installed program; in a build tree
// the station-template directory the build fills beside bin/ (KESTROVA_STATION_TEMPLATE overrides
// both). A file the template lacks is taken from the program's own directory, where the build puts
// the blank database and the image-set template.
QStringList TemplateDirs() {
    QStringList dirs;
    const QByteArray env = qgetenv("KESTROVA_STATION_TEMPLATE");
    if (!env.isEmpty()) dirs << QDir(QString::fromLocal8Bit(env)).absolutePath() + QLatin1Char('/');
    const QString installed = InstalledStationTemplateDir();
    if (!installed.isEmpty()) dirs << installed;
    const QString appDir = QCoreApplication::applicationDirPath();
    dirs << QDir::cleanPath(appDir + QStringLiteral("/../station-template")) + QLatin1Char('/');
    dirs << appDir + QLatin1Char('/');
    return dirs;
}

QString FindTemplate(const QString& relative) {
    for (const QString& dir : TemplateDirs()) {
        if (QFileInfo(dir + relative).exists()) return dir + relative;
    }
    return {};
}

// The directories a station uses: the setup file's (scan, problems, decoded, remote, store,
// local, backup medium) and the program directory's own.
const QStringList StationDirs = {
    QStringLiteral("scan"),           QStringLiteral("problems"),        QStringLiteral("decoded"),
    QStringLiteral("remote"),         QStringLiteral("store"),           QStringLiteral("local"),
    QStringLiteral("local/ZipFiles"), QStringLiteral("media"),           QStringLiteral("logs"),
    QStringLiteral("ImageDatabase"),  QStringLiteral("certificates/MY"),
};

// Copies from the template unless the station already has the file; false with a message when a
// copy fails.
bool CopyIn(const QString& source, const QString& target) {
    if (QFileInfo::exists(target)) return true;
    if (QFile::copy(source, target)) {
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        return true;
    }
    Err(QStringLiteral("kestrova init-station: cannot copy %1 to %2").arg(source, target));
    return false;
}

int InitStation(const QStringList& args) {
    QString dirArg;
    bool demo = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--demo")) {
            demo = true;
        } else if (dirArg.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            dirArg = a;
        } else {
            dirArg.clear();
            break;
        }
    }
    if (dirArg.isEmpty()) {
        Err(QStringLiteral("usage: kestrova init-station ") + InitUsage);
        return BadUsage;
    }
    const QString station = QDir::cleanPath(QDir(dirArg).absolutePath());
    // The path goes into the setup file, whose fields are separated by "|" and whose reader refuses
    // control characters in a directory.
    for (const QChar c : station) {
        if (c.unicode() < 0x20 || c == QLatin1Char('|') || c.unicode() == 0x7f) {
            Err(QStringLiteral("kestrova init-station: a station directory cannot hold \"|\" or a control character"));
            return NotMade;
        }
    }
    const QString setupPath = station + QLatin1Char('/') + SetupFileName;
    if (QFileInfo::exists(setupPath)) {
        Err(QStringLiteral("kestrova init-station: %1 is already a station (it has %2); nothing was changed")
                .arg(station, SetupFileName));
        return NotMade;
    }
    const QString setupTemplate = FindTemplate(QStringLiteral("kestrova.inf.in"));
    if (setupTemplate.isEmpty()) {
        Err(QStringLiteral("kestrova init-station: the station template was not found (looked in %1)")
                .arg(TemplateDirs().join(QStringLiteral(", "))));
        return NotMade;
    }

    QDir root;
    for (const QString& d : StationDirs) {
        if (!root.mkpath(station + QLatin1Char('/') + d)) {
            Err(QStringLiteral("kestrova init-station: cannot make %1/%2").arg(station, d));
            return NotMade;
        }
    }
    const QString scannerConf =
        FindTemplate(demo ? QStringLiteral("scanner-demo.conf") : QStringLiteral("scanner.conf"));
    const QString blank = FindTemplate(QStringLiteral("ImageDatabase/KestrovaImageDataBlank.mdb"));
    const QString imageSet = FindTemplate(QStringLiteral("qvimageset.tif"));
    if (scannerConf.isEmpty() || blank.isEmpty() || imageSet.isEmpty()) {
        Err(QStringLiteral("kestrova init-station: the station template is incomplete (scanner.conf, the blank "
                           "database or qvimageset.tif is missing)"));
        return NotMade;
    }
    bool ok = CopyIn(scannerConf, station + QStringLiteral("/scanner.conf")) &&
              CopyIn(blank, station + QStringLiteral("/ImageDatabase/KestrovaImageDataBlank.mdb")) &&
              CopyIn(imageSet, station + QStringLiteral("/qvimageset.tif"));
    const QString profiles = FindTemplate(QStringLiteral("profiles"));
    if (!profiles.isEmpty()) {
        for (const QFileInfo& f : QDir(profiles).entryInfoList({QStringLiteral("*.stp")}, QDir::Files, QDir::Name))
            ok = ok && CopyIn(f.filePath(), station + QLatin1Char('/') + f.fileName());
    }
    if (demo) {
        ok = ok && root.mkpath(station + QStringLiteral("/feeder"));
        const QString forms = FindTemplate(QStringLiteral("sample-forms"));
        if (!forms.isEmpty()) {
            for (const QFileInfo& f : QDir(forms).entryInfoList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
                ok = ok && CopyIn(f.filePath(), station + QStringLiteral("/feeder/") + f.fileName());
        }
    }
    if (!ok) return NotMade;

    // The setup file comes last: a station directory with a setup file is complete, so a run that
    // stopped part-way can simply be run again.
    QFile in(setupTemplate);
    if (!in.open(QIODevice::ReadOnly)) {
        Err(QStringLiteral("kestrova init-station: cannot read ") + setupTemplate);
        return NotMade;
    }
    QByteArray text = in.readAll();
    text.replace("\r\n", "\n");
    text.replace("@STATION@", station.toUtf8());
    text.replace("\n", "\r\n");
    QSaveFile out(setupPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        Err(QStringLiteral("kestrova init-station: cannot write ") + setupPath);
        return NotMade;
    }
    Out(QStringLiteral("Station ready in %1").arg(station));
    Out(QStringLiteral("  setup file:   %1 (directories below the station; edit the documents and the backup "
                       "destination)")
            .arg(setupPath));
    Out(QStringLiteral("  scanner:      %1/scanner.conf (%2)")
            .arg(station, demo ? QStringLiteral("folder feeder with the sample forms in feeder/")
                               : QStringLiteral("SANE, first scanner found")));
    Out(QStringLiteral("  workstation:  kestrova workstation %1").arg(station));
    Out(QStringLiteral("  store cycle:  systemctl enable --now kestrova-store@$(systemd-escape --path %1)")
            .arg(station));
    return Made;
}

int Workstation(const QStringList& args) {
    if (args.size() > 1) {
        Err(QStringLiteral("usage: kestrova workstation ") + WorkstationUsage);
        return BadUsage;
    }
    QString dir = args.isEmpty() ? QString::fromLocal8Bit(qgetenv("KESTROVA_STATION")) : args.front();
    if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/kestrova-station");
    dir = QDir(dir).absolutePath();
    if (!QFileInfo(dir + QLatin1Char('/') + SetupFileName).isFile()) {
        Err(QStringLiteral("kestrova workstation: %1 is not a station (no %2); make one with kestrova init-station %1")
                .arg(dir, SetupFileName));
        return BadUsage;
    }
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/KestrovaNT");
    if (!QDir::setCurrent(dir)) {
        Err(QStringLiteral("kestrova workstation: cannot change to ") + dir);
        return BadUsage;
    }
    qputenv("KESTROVA_PROGRAM_DIR", QFile::encodeName(dir));
    const QByteArray path = QFile::encodeName(program);
    char* const argv[] = {const_cast<char*>(path.constData()), nullptr};
    ::execv(path.constData(), argv);
    Err(QStringLiteral("kestrova workstation: cannot start ") + program);
    return NotMade;
}

const CommandRegistration initRegistration{
    {QStringLiteral("init-station"), InitUsage,
     QStringLiteral("Make a station in DIR: the setup file (every directory below DIR), scanner.conf (SANE; with "
                    "--demo the folder feeder, filled with the sample request forms), the blank image database, "
                    "the barcode profiles, the image-set template and the directories. Refuses a directory that "
                    "already has a setup file."),
     InitStation}};

const CommandRegistration workstationRegistration{
    {QStringLiteral("workstation"), WorkstationUsage,
     QStringLiteral("Start the workstation KestrovaNT in the station DIR (default: $KESTROVA_STATION, else "
                    "~/kestrova-station), with DIR as its program directory."),
     Workstation}};

} // namespace
} // namespace kestrova::cli
