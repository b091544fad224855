#include "tests/support/SmallFileSystem.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

namespace klang::test {

SmallFileSystem::SmallFileSystem(const QString& folder, int kilobytes)
    : m_folder(folder)
{
    QDir().mkpath(folder);
    QProcess mount;
    // Without root, a runner with password-less sudo mounts it for us, owned by us.
    QStringList argumente{QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                          QStringLiteral("size=%1k,mode=0755,uid=%2,gid=%3").arg(kilobytes).arg(::geteuid()).arg(::getegid()),
                          QStringLiteral("klangtest"), folder};
    if (::geteuid() != 0)
        argumente = QStringList{QStringLiteral("sudo"), QStringLiteral("-n")} + argumente;
    mount.start(argumente.takeFirst(), argumente);
    m_mounted = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
    if (!m_mounted)
        qWarning("cannot mount a small file system on %s: %s", qPrintable(folder),
                 mount.readAllStandardError().constData());
}

SmallFileSystem::~SmallFileSystem()
{
    if (m_mounted) {
        if (::geteuid() == 0)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_folder});
        else
            QProcess::execute(QStringLiteral("sudo"), {QStringLiteral("-n"), QStringLiteral("umount"), QStringLiteral("-l"), m_folder});
    }
}

void SmallFileSystem::fill()
{
    const QByteArray path = QFile::encodeName(m_folder + QStringLiteral("/.fuellung"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const QByteArray block(4096, 'x');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    // The last partial block as well.
    while (::write(fd, block.constData(), 1) > 0) {
    }
    ::close(fd);
}

} // namespace klang::test
