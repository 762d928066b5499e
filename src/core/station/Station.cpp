#include "core/station/Station.h"

#include "core/station/InstalledLayout.h"

#include <QCoreApplication>
#include <QDir>

namespace kestrova {

Station::Station(Prompter& prompter, Clock& clock, QObject* parent)
    : QObject(parent), m_prompter(prompter), m_clock(clock), m_log(clock) {
    m_setup.ProgramDir = DefaultProgramDir();
    m_setup.TempDir = DefaultTempDir();
    connect(&m_task, &TaskState::changed, this, &Station::stateChanged);
}

namespace {
QString withSlash(QString dir) {
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}
} // namespace

QString DefaultProgramDir() {
    const QByteArray env = qgetenv("KESTROVA_PROGRAM_DIR");
    if (!env.isEmpty()) return withSlash(QDir(QString::fromLocal8Bit(env)).absolutePath());
    if (QCoreApplication::instance() && InstalledStationTemplateDir().isEmpty())
        return withSlash(QCoreApplication::applicationDirPath());
    return withSlash(QDir::currentPath());
}

QString InstalledStationTemplateDir() {
    if (!QCoreApplication::instance()) return {};
    const QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/kestrova/station"));
    return dir.exists() ? withSlash(dir.canonicalPath()) : QString();
}

QString DefaultTempDir() {
    return withSlash(QDir::tempPath());
}

} // namespace kestrova
