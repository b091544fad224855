#include "tests/support/ReadOnlyFolder.h"

#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

namespace klang::test {

namespace {

bool run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString& folder)
    : m_folder(folder)
{
    if (::geteuid() == 0) {
        m_bound = run(QStringLiteral("mount"), {QStringLiteral("--bind"), folder, folder});
        if (m_bound && !run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), folder}))
            qWarning("cannot make %s read-only", qPrintable(folder));
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    release();
}

void ReadOnlyFolder::release()
{
    if (m_released)
        return;
    m_released = true;
    if (m_bound)
        run(QStringLiteral("umount"), {QStringLiteral("-l"), m_folder});
    QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool ReadOnlyFolder::effective() const
{
    const QByteArray probe = QFile::encodeName(m_folder + QStringLiteral("/.schreibprobe"));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    ::close(fd);
    ::unlink(probe.constData());
    return false;
}

} // namespace klang::test
