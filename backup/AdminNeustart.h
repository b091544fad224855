#pragma once

// Restarting with administrator rights: the running copy starts an elevated copy through
// pkexec and stays until that copy reports that it runs (pkexec may be refused or cancelled:
// then the first copy says so and goes on). The elevated copy reports over a local socket
// whose name it is given, then waits until the first one has ended before it takes the
// single-instance lock, so it does not end itself as a "second start".

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace backup {

// The argument that makes a copy wait for the process with the given id to end.
inline const QString WarteAufArgument = QStringLiteral("--warte-auf");
// The argument that names the local socket on which a copy reports that it has started.
inline const QString MeldeStartArgument = QStringLiteral("--melde-start");
// What the elevated copy sends on that socket.
inline const QByteArray GestartetNachricht = QByteArrayLiteral("gestartet\n");

// The arguments for pkexec: "env" with the variables the elevated copy needs to reach the
// user's display and settings, the executable, MeldeStartArgument and the socket's name
// (when one is given), then WarteAufArgument and the id.
QStringList pkexecArgumente(const QString& programm, qint64 pid, const QProcessEnvironment& umgebung,
                            const QString& meldeName = QString());

// The socket name after MeldeStartArgument, or "" when the arguments name none.
QString meldeStartName(const QStringList& argumente);

// Tells the copy listening on the named socket that this copy has started (waits at most
// two seconds; false when nobody listens).
bool startMelden(const QString& meldeName);

// The process id after WarteAufArgument, or 0 when the arguments name none.
qint64 warteAufPid(const QStringList& argumente);

// True while a process with this id exists.
bool prozessLaeuft(qint64 pid);

} // namespace backup
