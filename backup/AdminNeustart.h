#pragma once

// Restarting with administrator rights: the running copy starts an elevated copy through
// pkexec and quits; the elevated copy waits until the first one has ended before it takes
// the single-instance lock, so it does not end itself as a "second start".

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace backup {

// The argument that makes a copy wait for the process with the given id to end.
inline const QString WarteAufArgument = QStringLiteral("--warte-auf");

// The arguments for pkexec: "env" with the variables the elevated copy needs to reach the
// user's display and settings, the executable, then WarteAufArgument and the id.
QStringList pkexecArgumente(const QString& programm, qint64 pid, const QProcessEnvironment& umgebung);

// The process id after WarteAufArgument, or 0 when the arguments name none.
qint64 warteAufPid(const QStringList& argumente);

// True while a process with this id exists.
bool prozessLaeuft(qint64 pid);

} // namespace backup
