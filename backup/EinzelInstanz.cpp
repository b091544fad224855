#include "backup/EinzelInstanz.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace backup {

EinzelInstanz::EinzelInstanz(const QString& name, QObject* parent)
    : QObject(parent)
    , m_name(name + QLatin1Char('-') + QString::number(::getuid()))
{
    QString ordner = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (ordner.isEmpty())
        ordner = QDir::tempPath();
    m_lockPfad = ordner + QLatin1Char('/') + m_name + QStringLiteral(".lock");
}

EinzelInstanz::~EinzelInstanz() = default;

bool EinzelInstanz::erwerben()
{
    m_lock = std::make_unique<QLockFile>(m_lockPfad);
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        QLocalSocket socket;
        socket.connectToServer(m_name);
        socket.waitForConnected(200);
        socket.disconnectFromServer();
        m_lock.reset();
        return false;
    }
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection())
            s->deleteLater();
        Q_EMIT anderer_Start();
    });
    m_server->listen(m_name);
    return true;
}

} // namespace backup
