#include "platform/shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace klang {

namespace {

constexpr quint32 Magic = 0x4B4C5431; // "KLT1"
constexpr qint64 MaxMessage = 1 << 20;

QString runtimeDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}

// A local socket's path must fit sockaddr_un (108 bytes with the closing zero). A longer one
// (a long TMPDIR or XDG_RUNTIME_DIR) goes into a folder of this user's own under /tmp, named
// by a hash of the long path, so every instance still finds the same socket.
QString shortSocketPath(const QString& path)
{
    constexpr qsizetype MaxSocketPath = sizeof(sockaddr_un::sun_path) - 1;
    if (QFile::encodeName(path).size() <= MaxSocketPath)
        return path;
    const QByteArray folder = "/tmp/klangtruhe-" + QByteArray::number(::getuid());
    ::mkdir(folder.constData(), 0700);
    struct stat st {};
    // Only a folder that is ours and closed to others: a planted one must not take our socket.
    if (::lstat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()
        || (st.st_mode & 077) != 0)
        return path;
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(path), QCryptographicHash::Sha1).toHex().left(20);
    return QFile::decodeName(folder + '/' + hash + ".socket");
}

QString safeKey(QString key)
{
    for (QChar& c : key)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    return key.isEmpty() ? QStringLiteral("_") : key;
}

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent)
{
    const QString base = runtimeDir() + QLatin1String("/klangtruhe-") + safeKey(key);
    m_lockPath = base + QLatin1String(".lock");
    m_serverName = shortSocketPath(base + QLatin1String(".socket"));
}

SingleInstance::~SingleInstance()
{
    if (m_server) {
        m_server->close();
        QLocalServer::removeServer(m_serverName);
    }
    if (m_lock)
        m_lock->unlock();
}

bool SingleInstance::tryRun(const QStringList& arguments)
{
    if (m_primary)
        return true;
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // A running instance holds the lock however long it runs; only a lock whose process is
    // gone (a crash) counts as stale and is taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        m_primary = true;
        QLocalServer::removeServer(m_serverName); // a socket left by a crashed instance
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
        if (!m_server->listen(m_serverName))
            qWarning("SingleInstance: cannot listen on %s: %s", qPrintable(m_serverName),
                     qPrintable(m_server->errorString()));
        return true;
    }
    m_lock.reset();

    // Another instance lives. Hand it the command line; it may just be starting, so a few
    // short attempts are made. This runs before the event loop starts.
    QByteArray message;
    {
        QDataStream out(&message, QIODevice::WriteOnly);
        out << Magic << arguments;
    }
    for (int attempt = 0; attempt < 10; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(500)) {
            socket.write(message);
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(200);
            return false;
        }
        QThread::msleep(100);
    }
    // The other instance does not answer, but it runs: a second one would still compete for
    // the same files, so this start ends as well.
    qWarning("SingleInstance: the running instance does not answer on %s", qPrintable(m_serverName));
    return false;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        // a quick client may be gone before its bytes were read: read them first
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            onReadyRead(socket);
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void SingleInstance::onReadyRead(QLocalSocket* socket)
{
    if (socket->bytesAvailable() > MaxMessage) {
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.startTransaction();
    quint32 magic = 0;
    QStringList args;
    in >> magic >> args;
    if (!in.commitTransaction())
        return; // wait for the rest
    if (magic != Magic) {
        socket->abort();
        return;
    }
    socket->disconnectFromServer();
    emit activationRequested(args);
}

} // namespace klang
