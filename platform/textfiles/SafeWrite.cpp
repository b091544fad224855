#include "platform/textfiles/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <pwd.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace klang {

namespace {

WriteResult failed(int errorNumber, QFileDevice::FileError error)
{
    WriteResult result;
    result.ok = false;
    result.errorNumber = errorNumber;
    result.reason = germanWriteReason(errorNumber, error == QFileDevice::NoError ? QFileDevice::WriteError : error);
    return result;
}

} // namespace

QString germanWriteReason(int errorNumber, QFileDevice::FileError error)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Der Datenträger ist voll.");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Die Datei oder ihr Ordner ist schreibgeschützt.");
    case EISDIR:
        return QStringLiteral("An der Stelle der Datei liegt ein Ordner.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Der Ordner der Datei existiert nicht.");
    case EIO:
        return QStringLiteral("Beim Schreiben trat ein Ein-/Ausgabefehler auf.");
    default:
        break;
    }
    switch (error) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
        return QStringLiteral("Die Datei oder ihr Ordner ist schreibgeschützt.");
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError:
        return QStringLiteral("Die Datei konnte nicht geschrieben werden (Datenträger voll?).");
    case QFileDevice::RenameError:
        return QStringLiteral("Die neue Fassung der Datei konnte nicht an ihre Stelle treten.");
    default:
        return QStringLiteral("Die Datei konnte nicht geschrieben werden.");
    }
}

WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        return failed(ENOENT, QFileDevice::OpenError);
    const AsFolderOwner owner(path);
    if (QFileInfo(path).isDir())
        return failed(EISDIR, QFileDevice::OpenError);
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return failed(errno, file.error());
    errno = 0;
    bool ok = file.write(bytes) == bytes.size() && file.error() == QFileDevice::NoError;
    // The bytes may still sit in Qt's buffer: a full disk shows only here.
    ok = ok && file.flush() && file.error() == QFileDevice::NoError;
    if (!ok) {
        const int errorNumber = errno;
        const QFileDevice::FileError error = file.error();
        file.cancelWriting();
        return failed(errorNumber, error);
    }
    errno = 0;
    if (!file.commit())
        return failed(errno, file.error());
    return {};
}

uid_t AsFolderOwner::ownerOf(const QString& path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString prefix;
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        prefix += QLatin1Char('/') + part;
        struct stat st {};
        if (::lstat(QFile::encodeName(prefix).constData(), &st) != 0)
            break;
        if (st.st_uid != 0)
            return st.st_uid;
    }
    return 0;
}

AsFolderOwner::AsFolderOwner(const QString& path)
{
    if (::geteuid() != 0)
        return;
    const uid_t owner = ownerOf(path);
    if (owner == 0)
        return;
    gid_t group = 0;
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(owner, &entry, buffer, sizeof buffer, &found) == 0 && found)
        group = found->pw_gid;
    else
        group = owner; // an id without an account: its own group of the same number
    const int count = ::getgroups(0, nullptr);
    if (count < 0)
        return;
    m_groups.resize(count);
    if (::getgroups(count, m_groups.data()) != count)
        return;
    // The raw calls change only this thread's rights (the library's wrappers would change
    // every thread's, and the window's other threads must keep theirs).
    if (::syscall(SYS_setgroups, 1, &group) != 0)
        return;
    m_oldGid = gid_t(::setfsgid(group));
    m_oldUid = uid_t(::setfsuid(owner));
    m_active = true;
}

AsFolderOwner::~AsFolderOwner()
{
    if (!m_active)
        return;
    const int saved = errno;
    ::setfsuid(m_oldUid);
    ::setfsgid(m_oldGid);
    ::syscall(SYS_setgroups, m_groups.size(), m_groups.data());
    errno = saved;
}

} // namespace klang
