#pragma once

// Keeps one running instance of a program: the first start takes a lock in the runtime folder
// and listens on a local socket; a later start hands its command line to the first one and
// is told to quit. A lock left behind by a crashed instance is taken over.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;

namespace klang {

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // key names the program ("KlangtruhePlayer"); instances with the same key exclude each other.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first instance (it now listens for later starts). False when
    // another instance runs: the arguments were handed to it and this process should end.
    bool tryRun(const QStringList& arguments);

    bool isPrimary() const { return m_primary; }
    QString lockFilePath() const { return m_lockPath; }
    QString serverName() const { return m_serverName; }

signals:
    // A later start asked this instance to come to the front; args is its command line.
    void activationRequested(const QStringList& args);

private:
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);

    QString m_lockPath;
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    bool m_primary = false;
};

} // namespace klang
