#pragma once

// Whole-file writes that either put the complete new content in place or leave the old file
// as it was, and say which happened.

#include <QByteArray>
#include <QFileDevice>
#include <QList>
#include <QString>

#include <sys/types.h>

namespace klang {

struct WriteResult
{
    bool ok = true;
    int errorNumber = 0;  // the system's error (ENOSPC, EACCES, ...) of the failed step, 0 when unknown
    QString reason;       // German, for the user ("" when ok)
    explicit operator bool() const { return ok; }
};

// Replaces the file's content atomically (temporary file and rename, QSaveFile). Every write
// is checked and the data flushed before the commit: Qt 6.4's QSaveFile::commit() reports
// success after a failed buffered write and puts an empty file in place of the old one. On
// any failure the temporary file is dropped and the old file stays whole.
// Runs with the folder owner's rights when the program runs as root (see AsFolderOwner).
WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes);

// The German reason for a failed write: from the system's error when known, else from Qt's.
QString germanWriteReason(int errorNumber, QFileDevice::FileError error = QFileDevice::WriteError);

// While it lives, file accesses of the calling thread run with the rights of the person who
// owns the folders a path lies in, when the program runs as root and they belong to someone
// else (an elevated copy writing into the user's config and data folders). A link planted
// there then leads nowhere the owner could not write anyway, and what is created belongs to
// the owner. The owner is the first folder along the path, from the root down, not owned by
// root (links are not followed for this). Nothing changes for a program that is not root.
class AsFolderOwner
{
public:
    explicit AsFolderOwner(const QString& path);
    ~AsFolderOwner();
    AsFolderOwner(const AsFolderOwner&) = delete;
    AsFolderOwner& operator=(const AsFolderOwner&) = delete;

    bool active() const { return m_active; }

    // The owner's user id for a path (0 when root owns every folder along it).
    static uid_t ownerOf(const QString& path);

private:
    bool m_active = false;
    uid_t m_oldUid = 0;
    gid_t m_oldGid = 0;
    QList<gid_t> m_groups; // the thread's supplementary groups before
};

} // namespace klang
