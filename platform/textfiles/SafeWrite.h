#pragma once

// Whole-file writes that either put the complete new content in place or leave the old file
// as it was, and say which happened.

#include <QByteArray>
#include <QFileDevice>
#include <QList>
#include <QSaveFile>
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

// writeFileAtomically for content made piece by piece (a file too big to hold in memory, copied
// through with one part replaced). open(), write() every piece, then commit(): until the commit
// the old file stays as it was, and a writer dropped without commit leaves it so. Every write is
// checked; after the first failure the others do nothing and commit() reports that failure.
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter(const QString& path);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool open();
    bool write(QByteArrayView bytes);
    // Gives up with the caller's own reason (e.g. the source could not be read).
    void abandon(const QString& reason);
    WriteResult commit();

private:
    void fail(int errorNumber, QFileDevice::FileError error);

    QString m_path;
    AsFolderOwner m_owner; // first in, last out: the file is made and dropped with its rights
    QSaveFile m_file;
    WriteResult m_result;
};

} // namespace klang
