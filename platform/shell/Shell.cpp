#include "platform/shell/Shell.h"

#include "platform/shell/Paths.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <unistd.h>

namespace klang {

namespace {

QStringList envDirs(const char* name, const QString& fallback)
{
    QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        value = fallback;
    QStringList dirs;
    for (const QString& d : value.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs.append(QDir::cleanPath(d));
    return dirs;
}

QString configHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString dataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

// Folders that hold .desktop files, most important first.
QStringList applicationDirs()
{
    QStringList dirs{dataHome() + QLatin1String("/applications")};
    for (const QString& d : envDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
        dirs.append(d + QLatin1String("/applications"));
    return dirs;
}

// The mimeapps.list files in the order the desktop consults them.
QStringList mimeappsFiles()
{
    QStringList files{configHome() + QLatin1String("/mimeapps.list")};
    for (const QString& d : envDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        files.append(d + QLatin1String("/mimeapps.list"));
    for (const QString& d : applicationDirs())
        files.append(d + QLatin1String("/mimeapps.list"));
    return files;
}

// Reads "key=a;b;c" entries of one group of a desktop-style INI file (QSettings would split
// at commas and mangle the ';' lists).
QStringList groupEntry(const QString& file, const QString& group, const QString& key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inGroup = false;
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == header;
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return {};
}

// A desktop file id ("org.x-viewer.desktop") may lie in a subfolder ("org/x-viewer.desktop").
QString findDesktopFile(const QString& id)
{
    for (const QString& dir : applicationDirs()) {
        const QString direct = dir + QLatin1Char('/') + id;
        if (QFileInfo(direct).isFile())
            return direct;
        QString nested = id;
        nested.replace(QLatin1Char('-'), QLatin1Char('/'));
        if (nested != id && QFileInfo(dir + QLatin1Char('/') + nested).isFile())
            return dir + QLatin1Char('/') + nested;
    }
    return {};
}

// Splits an Exec line as the desktop entry rules quote it.
QStringList splitExec(const QString& exec)
{
    QStringList args;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                current += exec.at(++i);
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            any = true;
        } else if (c.isSpace()) {
            if (any || !current.isEmpty())
                args.append(current);
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty())
        args.append(current);
    return args;
}

// The program of a desktop file's Exec line, as an absolute path when it can be found.
QString programOfDesktopFile(const QString& desktopFile)
{
    const QStringList exec = groupEntry(desktopFile, QStringLiteral("Desktop Entry"),
                                        QStringLiteral("Exec"));
    if (exec.isEmpty())
        return {};
    QStringList args = splitExec(exec.join(QLatin1Char(';')));
    // "env VAR=x program ..." starts program
    if (!args.isEmpty() && QFileInfo(args.first()).fileName() == QLatin1String("env")) {
        args.removeFirst();
        while (!args.isEmpty() && args.first().contains(QLatin1Char('=')))
            args.removeFirst();
    }
    if (args.isEmpty())
        return {};
    const QString program = args.first();
    if (QFileInfo(program).isAbsolute())
        return program;
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? program : found;
}

QString desktopFileForMime(const QString& mime)
{
    // Explicit defaults first, then added associations, then the desktop's cache.
    for (const QString& group : {QStringLiteral("Default Applications"),
                                 QStringLiteral("Added Associations")}) {
        for (const QString& file : mimeappsFiles()) {
            for (const QString& id : groupEntry(file, group, mime)) {
                const QString path = findDesktopFile(id);
                if (!path.isEmpty())
                    return path;
            }
        }
    }
    for (const QString& dir : applicationDirs()) {
        for (const QString& file : {dir + QLatin1String("/defaults.list"),
                                    dir + QLatin1String("/mimeinfo.cache")}) {
            const QString group = file.endsWith(QLatin1String("defaults.list"))
                ? QStringLiteral("Default Applications")
                : QStringLiteral("MIME Cache");
            for (const QString& id : groupEntry(file, group, mime)) {
                const QString path = findDesktopFile(id);
                if (!path.isEmpty())
                    return path;
            }
        }
    }
    return {};
}

// The desktop's own tool knows desktop-specific settings we do not read.
QString desktopFileFromXdgMime(const QString& mime)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty())
        return {};
    QProcess process;
    process.start(tool, {QStringLiteral("query"), QStringLiteral("default"), mime});
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(500);
        return {};
    }
    const QString id = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return id.isEmpty() ? QString() : findDesktopFile(id.split(QLatin1Char(';')).first());
}

bool looksLikeUrl(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && url.scheme().size() > 1; // "C:" style drive letters are no scheme
}

} // namespace

bool moveToTrash(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    // QFile::moveToTrash only ever renames; it never deletes. When it cannot set up the trash
    // it may still "succeed" by moving the file into a relative "files/" folder of the working
    // directory: such a move is undone and reported as a failure.
    QString pathInTrash;
    if (!QFile::moveToTrash(path, &pathInTrash))
        return false;
    if (pathInTrash.isEmpty() || QFileInfo(pathInTrash).isRelative()) {
        if (!pathInTrash.isEmpty())
            QFile::rename(pathInTrash, info.absoluteFilePath());
        return false;
    }
    return true;
}

QString associatedProgram(const QString& documentPath)
{
    const QFileInfo info(documentPath);
    if (!info.isFile())
        return {};
    const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(info);
    if (info.isExecutable()
        || type.inherits(QStringLiteral("application/x-executable"))
        || type.inherits(QStringLiteral("application/x-sharedlib"))
        || type.inherits(QStringLiteral("application/x-shellscript")))
        return {}; // a program opens itself
    QStringList candidates{type.name()};
    candidates += type.aliases();
    candidates += type.allAncestors();
    for (const QString& mime : candidates) {
        const QString desktop = desktopFileForMime(mime);
        if (!desktop.isEmpty())
            return programOfDesktopFile(desktop);
    }
    const QString desktop = desktopFileFromXdgMime(type.name());
    return desktop.isEmpty() ? QString() : programOfDesktopFile(desktop);
}

bool isAdmin()
{
    return ::geteuid() == 0;
}

QString shortPathName(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    return info.exists() ? path : QString();
}

bool openDocument(const QString& pathOrUrl)
{
    if (pathOrUrl.trimmed().isEmpty())
        return false;
    if (QFileInfo::exists(pathOrUrl))
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath()));
    if (looksLikeUrl(pathOrUrl))
        return QDesktopServices::openUrl(QUrl(pathOrUrl));
    if (pathOrUrl.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        return QDesktopServices::openUrl(QUrl(QLatin1String("http://") + pathOrUrl));
    return false; // neither an existing file nor an address
}

bool openUrl(const QUrl& url)
{
    if (!url.isValid())
        return false;
    if (QDesktopServices::openUrl(url))
        return true;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !opener.isEmpty() && QProcess::startDetached(opener, {QString::fromUtf8(url.toEncoded())});
}

bool startProgram(const QString& program, const QStringList& arguments, QString* error)
{
    QString resolved;
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        if (info.isFile() && ::access(QFile::encodeName(info.absoluteFilePath()).constData(), X_OK) == 0)
            resolved = info.absoluteFilePath();
    } else if (!program.isEmpty()) {
        resolved = QStandardPaths::findExecutable(program);
        if (!resolved.isEmpty() && ::access(QFile::encodeName(resolved).constData(), X_OK) != 0)
            resolved.clear();
    }
    if (resolved.isEmpty()) {
        if (error)
            *error = QStringLiteral("Das Programm \"%1\" wurde nicht gefunden.").arg(program);
        return false;
    }
    if (!QProcess::startDetached(resolved, arguments, QFileInfo(resolved).absolutePath())) {
        if (error)
            *error = QStringLiteral("Das Programm \"%1\" konnte nicht gestartet werden.").arg(program);
        return false;
    }
    if (error)
        error->clear();
    return true;
}

bool startSiblingProgram(const QString& name, const QStringList& arguments, QString* error)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) {
        if (error)
            *error = QStringLiteral("Das Programm \"%1\" wurde nicht gefunden.").arg(name);
        return false;
    }
    QString path = executableDir() + name;
    // Tests run from their own folder; the programs lie where the build put them.
    const QString binDir = qEnvironmentVariable("KLANGTRUHE_BIN_DIR");
    if (!QFileInfo(path).isFile() && !binDir.isEmpty())
        path = QDir(binDir).filePath(name);
    return startProgram(path, arguments, error);
}

} // namespace klang
