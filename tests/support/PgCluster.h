#pragma once

#include <QString>
#include <memory>

namespace kestrova::test {

// A throw-away PostgreSQL cluster on a free loopback port, started on first use and removed when
// the test program ends. The server refuses to run as root, so under root it runs as the
// "postgres" user of Debian's postgresql package.
class PgCluster {
public:
    // The running cluster, or nothing with the reason (no server binaries, no postgres user, ...).
    static PgCluster* instance(QString* whyNot);
    ~PgCluster();

    int port() const { return m_port; }
    // The server's log.
    QString logFile() const { return m_dir + QStringLiteral("/log"); }
    // A new empty database; its URI as the station reads it.
    QString createDatabase(QString* error);

private:
    PgCluster() = default;
    bool start(QString* whyNot);

    QString m_dir;
    QString m_binDir;
    QString m_runAs; // empty: run as ourselves
    int m_port = 0;
    int m_databases = 0;
    bool m_running = false;
};

} // namespace kestrova::test
