#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

namespace kestrova {

// One running workstation per machine: a lock file in the temporary directory plus a local
// server. A second start finds the lock held, asks the first instance to come to the front over
// the local socket, and ends. A lock left by a crashed instance is stale and is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // key names the lock and the server; KESTROVA_INSTANCE_KEY overrides the default "KestrovaNT".
    explicit SingleInstance(QString key = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the only instance.
    bool acquire();
    // Asks the running instance to restore and activate its window. True when it answered.
    bool activateRunning(int timeoutMs = 3000);
    void release();

    QString key() const { return m_key; }
    static QString defaultKey();

signals:
    void activationRequested();

private:
    void onNewConnection();

    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace kestrova
