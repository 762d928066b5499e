#include "support/PgCluster.h"

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVersionNumber>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrova::test {

namespace {

QString FindBinDir() {
    const QByteArray env = qgetenv("KESTROVA_PG_BINDIR");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QString best;
    QVersionNumber bestVersion;
    for (const QString& v : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QVersionNumber n = QVersionNumber::fromString(v);
        if (QFile::exists(root.filePath(v + QStringLiteral("/bin/pg_ctl"))) && n > bestVersion) {
            bestVersion = n;
            best = root.filePath(v + QStringLiteral("/bin"));
        }
    }
    return best;
}

int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

std::unique_ptr<PgCluster>& Slot() {
    static std::unique_ptr<PgCluster> cluster;
    return cluster;
}

} // namespace

PgCluster* PgCluster::instance(QString* whyNot) {
    static QString failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        std::unique_ptr<PgCluster> c(new PgCluster);
        if (c->start(&failure)) Slot() = std::move(c);
    }
    if (!Slot() && whyNot) *whyNot = failure;
    return Slot().get();
}

bool PgCluster::start(QString* whyNot) {
    m_binDir = FindBinDir();
    if (m_binDir.isEmpty()) {
        *whyNot = QStringLiteral("PostgreSQL server binaries not found (Debian package postgresql); "
                                 "PostgreSQL tests skipped");
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        *whyNot = QStringLiteral("Qt's PostgreSQL driver is missing (package libqt6sql6-psql)");
        return false;
    }
    char pattern[] = "/tmp/kestrova-pg-XXXXXX";
    if (!::mkdtemp(pattern)) {
        *whyNot = QStringLiteral("cannot make a directory for the cluster");
        return false;
    }
    m_dir = QString::fromLocal8Bit(pattern);
    if (::geteuid() == 0) {
        const passwd* pw = ::getpwnam("postgres");
        if (!pw || ::chown(pattern, pw->pw_uid, pw->pw_gid) != 0) {
            *whyNot = QStringLiteral("running as root without a usable \"postgres\" user");
            return false;
        }
        m_runAs = QStringLiteral("postgres");
    }
    auto run = [&](const QString& program, const QStringList& args, QString& output) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(m_dir);
        if (m_runAs.isEmpty())
            p.start(program, args);
        else
            p.start(QStringLiteral("runuser"),
                    QStringList{QStringLiteral("-u"), m_runAs, QStringLiteral("--"), program} + args);
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        output = QString::fromLocal8Bit(p.readAll());
        return ok;
    };
    QString out;
    if (!run(m_binDir + QStringLiteral("/initdb"),
             {QStringLiteral("-D"), m_dir + QStringLiteral("/data"), QStringLiteral("-A"), QStringLiteral("trust"),
              QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-E"), QStringLiteral("UTF8"),
              QStringLiteral("--locale=C"), QStringLiteral("--no-sync")},
             out)) {
        *whyNot = QStringLiteral("initdb failed: ") + out;
        return false;
    }
    for (int attempt = 0; attempt < 5 && !m_running; ++attempt) {
        m_port = FreeLoopbackPort();
        const QString options =
            QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off").arg(m_port).arg(m_dir);
        m_running = run(m_binDir + QStringLiteral("/pg_ctl"),
                        {QStringLiteral("-D"), m_dir + QStringLiteral("/data"), QStringLiteral("-l"),
                         m_dir + QStringLiteral("/log"), QStringLiteral("-w"), QStringLiteral("-o"), options,
                         QStringLiteral("start")},
                        out);
    }
    if (!m_running) *whyNot = QStringLiteral("the PostgreSQL server did not start: ") + out;
    return m_running;
}

PgCluster::~PgCluster() {
    if (m_running) {
        QStringList args{QStringLiteral("-D"), m_dir + QStringLiteral("/data"), QStringLiteral("-m"),
                         QStringLiteral("immediate"), QStringLiteral("stop")};
        QString program = m_binDir + QStringLiteral("/pg_ctl");
        if (!m_runAs.isEmpty()) {
            args = QStringList{QStringLiteral("-u"), m_runAs, QStringLiteral("--"), program} + args;
            program = QStringLiteral("runuser");
        }
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start(program, args);
        p.waitForFinished(60000);
    }
    if (!m_dir.isEmpty()) QDir(m_dir).removeRecursively();
}

QString PgCluster::createDatabase(QString* error) {
    const QString name = QStringLiteral("kestrova_test_%1").arg(++m_databases);
    const QString connection = QStringLiteral("pg-cluster-admin");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(m_port);
        db.setUserName(QStringLiteral("postgres"));
        db.setDatabaseName(QStringLiteral("postgres"));
        ok = db.open();
        if (ok) {
            QSqlQuery q(db);
            ok = q.exec(QStringLiteral("CREATE DATABASE ") + name);
            if (!ok && error) *error = q.lastError().text();
        } else if (error) {
            *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!ok) return QString();
    return QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2").arg(m_port).arg(name);
}

} // namespace kestrova::test
