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
    AtomicFileWriter file(path);
    if (file.open())
        file.write(bytes);
    return file.commit();
}

AtomicFileWriter::AtomicFileWriter(const QString& path)
    : m_path(path)
    , m_owner(path)
    , m_file(path)
{
}

void AtomicFileWriter::fail(int errorNumber, QFileDevice::FileError error)
{
    if (m_result.ok)
        m_result = failed(errorNumber, error);
    if (m_file.isOpen())
        m_file.cancelWriting();
}

bool AtomicFileWriter::open()
{
    if (m_path.isEmpty()) {
        fail(ENOENT, QFileDevice::OpenError);
        return false;
    }
    if (QFileInfo(m_path).isDir()) {
        fail(EISDIR, QFileDevice::OpenError);
        return false;
    }
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly)) {
        fail(errno, m_file.error());
        return false;
    }
    return true;
}

bool AtomicFileWriter::write(QByteArrayView bytes)
{
    if (!m_result.ok || !m_file.isOpen())
        return false;
    if (bytes.isEmpty())
        return true;
    errno = 0;
    if (m_file.write(bytes.data(), bytes.size()) != bytes.size() || m_file.error() != QFileDevice::NoError) {
        fail(errno, m_file.error());
        return false;
    }
    return true;
}

void AtomicFileWriter::abandon(const QString& reason)
{
    if (m_result.ok) {
        m_result.ok = false;
        m_result.reason = reason;
    }
    if (m_file.isOpen())
        m_file.cancelWriting();
}

WriteResult AtomicFileWriter::commit()
{
    if (!m_result.ok || !m_file.isOpen())
        return m_result;
    errno = 0;
    // The bytes may still sit in Qt's buffer: a full disk shows only here.
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError) {
        fail(errno, m_file.error());
        return m_result;
    }
    errno = 0;
    if (!m_file.commit())
        m_result = failed(errno, m_file.error());
    return m_result;
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
