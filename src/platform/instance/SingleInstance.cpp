#include "platform/instance/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>

namespace kestrova {

namespace {
const QByteArray ActivateMessage = "activate\n";
}

QString SingleInstance::defaultKey() {
    const QByteArray env = qgetenv("KESTROVA_INSTANCE_KEY");
    return env.isEmpty() ? QStringLiteral("KestrovaNT") : QString::fromLocal8Bit(env);
}

SingleInstance::SingleInstance(QString key, QObject* parent)
    : QObject(parent), m_key(key.isEmpty() ? defaultKey() : std::move(key)) {}

SingleInstance::~SingleInstance() {
    release();
}

bool SingleInstance::acquire() {
    m_lock = std::make_unique<QLockFile>(QDir::tempPath() + QLatin1Char('/') + m_key + QLatin1String(".lock"));
    // Only a lock whose owner process is gone counts as stale, however old it is.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file left behind belongs to a dead instance.
    QLocalServer::removeServer(m_key);
    if (!m_server->listen(m_key))
        qWarning("KestrovaNT: activation server not available: %s", qPrintable(m_server->errorString()));
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return true;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("activate")) {
                emit activationRequested();
                socket->write("ok\n");
                socket->flush();
            }
        });
    }
}

bool SingleInstance::activateRunning(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(ActivateMessage);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    const bool answered = socket.waitForReadyRead(timeoutMs) && socket.readAll().startsWith("ok");
    socket.disconnectFromServer();
    return answered;
}

void SingleInstance::release() {
    if (m_server) {
        m_server->close();
        m_server.reset();
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

} // namespace kestrova
