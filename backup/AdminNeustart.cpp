#include "backup/AdminNeustart.h"

#include <QFileInfo>
#include <QLocalSocket>

namespace backup {

QStringList pkexecArgumente(const QString& programm, qint64 pid, const QProcessEnvironment& umgebung,
                            const QString& meldeName)
{
    // pkexec clears the environment; without these the elevated copy finds no display and
    // would read root's settings instead of the user's.
    static const QStringList weiterreichen{
        QStringLiteral("DISPLAY"), QStringLiteral("XAUTHORITY"), QStringLiteral("WAYLAND_DISPLAY"),
        QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("XDG_CONFIG_HOME"),
        QStringLiteral("XDG_DATA_HOME"), QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("LANG")};
    QStringList argumente{QStringLiteral("env")};
    for (const QString& name : weiterreichen) {
        if (umgebung.contains(name))
            argumente.append(name + QLatin1Char('=') + umgebung.value(name));
    }
    // Settings and data stay in the user's folders even when the variables were unset.
    const QString home = umgebung.value(QStringLiteral("HOME"));
    if (!home.isEmpty() && !umgebung.contains(QStringLiteral("XDG_CONFIG_HOME")))
        argumente.append(QStringLiteral("XDG_CONFIG_HOME=") + home + QStringLiteral("/.config"));
    if (!home.isEmpty() && !umgebung.contains(QStringLiteral("XDG_DATA_HOME")))
        argumente.append(QStringLiteral("XDG_DATA_HOME=") + home + QStringLiteral("/.local/share"));
    argumente << programm;
    if (!meldeName.isEmpty())
        argumente << MeldeStartArgument << meldeName;
    argumente << WarteAufArgument << QString::number(pid);
    return argumente;
}

QString meldeStartName(const QStringList& argumente)
{
    const qsizetype pos = argumente.indexOf(MeldeStartArgument);
    if (pos < 0 || pos + 1 >= argumente.size())
        return QString();
    return argumente.at(pos + 1);
}

bool startMelden(const QString& meldeName)
{
    if (meldeName.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(meldeName);
    if (!socket.waitForConnected(2000))
        return false;
    socket.write(GestartetNachricht);
    const bool ok = socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    return ok;
}

qint64 warteAufPid(const QStringList& argumente)
{
    const qsizetype pos = argumente.indexOf(WarteAufArgument);
    if (pos < 0 || pos + 1 >= argumente.size())
        return 0;
    bool ok = false;
    const qint64 pid = argumente.at(pos + 1).toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

bool prozessLaeuft(qint64 pid)
{
    return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

} // namespace backup
