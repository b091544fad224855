#pragma once

// One running copy per user: a lock file decides, a local server lets a second start wake the
// first before it ends.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace backup {

class EinzelInstanz : public QObject
{
    Q_OBJECT
public:
    // name: the program's name; the lock lies in the user's runtime folder (or temp folder).
    explicit EinzelInstanz(const QString& name, QObject* parent = nullptr);
    ~EinzelInstanz() override;

    // True when this is the only copy; false when another copy holds the lock (that copy
    // is told to come to the front).
    bool erwerben();

    QString lockPfad() const { return m_lockPfad; }

Q_SIGNALS:
    void anderer_Start();

private:
    QString m_name;
    QString m_lockPfad;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};

} // namespace backup
