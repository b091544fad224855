#include "platform/shell/Paths.h"

#include "platform/textfiles/SafeWrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace klang {

namespace {

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString programmPfadOhneAnlegen()
{
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                     + QLatin1String("/Klangtruhe"));
}

} // namespace

QString programmPfad()
{
    const QString path = programmPfadOhneAnlegen();
    const AsFolderOwner owner(path); // an elevated copy makes the user's folder as the user
    QDir().mkpath(path);
    return path;
}

QString programmDatei(const QString& relativ)
{
    const QString eigene = programmPfadOhneAnlegen() + relativ;
    if (QFileInfo::exists(eigene))
        return eigene;
    const QString installiert = resourceDir() + relativ;
    if (!relativ.contains(QLatin1String("..")) && QFileInfo::exists(installiert))
        return installiert;
    return eigene;
}

bool programmOrdnerBeschreibbar()
{
    const QString folder = programmPfad();
    const AsFolderOwner owner(folder);
    QTemporaryFile probe(folder + QLatin1String(".schreibprobe-XXXXXX"));
    return probe.open();
}

QString executableDir()
{
    QString dir;
    if (QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    else
        dir = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
    return withSlash(dir);
}

QString resourceDir()
{
    const QString fromEnv = qEnvironmentVariable("KLANGTRUHE_RESOURCES");
    if (!fromEnv.isEmpty())
        return withSlash(QDir::cleanPath(fromEnv));
    const QString besideProgram = executableDir() + QLatin1String("resources/");
    if (QFileInfo(besideProgram).isDir())
        return besideProgram;
    return withSlash(QDir::cleanPath(executableDir() + QLatin1String("../share/klangtruhe")));
}

int seedProgramFolder()
{
    const QString source = resourceDir();
    const QString target = programmPfad();
    if (!QFileInfo(source).isDir()
        || QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return 0;
    int copied = 0;
    // An elevated copy seeds the user's folder as the user: no link planted there leads
    // elsewhere, and the copies belong to the user.
    const AsFolderOwner owner(target);
    QDirIterator it(source, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir sourceDir(source);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString relative = sourceDir.relativeFilePath(from);
        if (relative.startsWith(QLatin1String("../")))
            continue;
        const QString to = target + relative;
        // Whatever lies at the target already (a file the user changed, or even a folder of
        // that name) belongs to the user and stays.
        if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
            continue;
        if (!QDir().mkpath(QFileInfo(to).absolutePath()))
            continue;
        // QFile::copy writes a temporary file and renames it: an interrupted start leaves no
        // half file that a later start would take for the user's own.
        if (!QFile::copy(from, to))
            continue;
        // Installed resources may be read-only; the user's copies must be writable.
        QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::WriteOwner
                                      | QFileDevice::ReadOwner);
        ++copied;
    }
    return copied;
}

} // namespace klang
