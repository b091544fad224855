#include "platform/settings/Settings.h"

#include "platform/settings/IniFile.h"
#include "platform/textfiles/ListBounds.h"
#include "platform/textfiles/SafeWrite.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>
#include <QtDebug>

#include <sys/stat.h>

namespace klang {

namespace {

// What identifies one state of a file on disk. Modification time alone has too coarse a
// resolution in Qt (milliseconds) to notice an edit right after our own write, so the inode
// (a QSaveFile rewrite makes a new one), size and nanosecond times are compared as well.
struct FileStamp
{
    bool exists = false;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const QString& path)
{
    FileStamp stamp;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        stamp.exists = true;
        stamp.inode = quint64(st.st_ino);
        stamp.size = qint64(st.st_size);
        stamp.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        stamp.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    }
    return stamp;
}

struct CachedFile
{
    FileStamp stamp;
    IniDocument document;
    bool cut = false; // only the file's head was read: it is not rewritten
};



QMutex g_mutex;
QHash<QString, CachedFile>& cache()
{
    static QHash<QString, CachedFile> files;
    return files;
}

// The cache is keyed by the full path, so a changed XDG_CONFIG_HOME (tests) never sees
// another folder's values.
CachedFile& load(const QString& path)
{
    CachedFile& entry = cache()[path];
    const FileStamp now = stampOf(path);
    if (now == entry.stamp)
        return entry;
    entry.stamp = now;
    entry.document = IniDocument();
    entry.cut = false;
    // An elevated copy reads the user's file with the user's rights: a planted link must not
    // show it a file only root may read.
    const AsFolderOwner owner(path);
    if (now.exists && QFileInfo(path).isFile()) {
        ReadReport gelesen;
        bool ok = false;
        QByteArray bytes = readBoundedLines(path, SettingsLimits, &gelesen, &ok);
        if (ok && gelesen.complete() && bytes.size() <= SettingsLimits.maxBytes) {
            // The whole file fits the bounds: parse its own bytes, so that lines the program
            // does not change keep their line ends (the bounded read makes every end an LF).
            QFile whole(path);
            if (whole.open(QIODevice::ReadOnly)) {
                const QByteArray raw = whole.read(SettingsLimits.maxBytes + 1);
                if (raw.size() <= SettingsLimits.maxBytes && !raw.startsWith("\xFF\xFE") && !raw.startsWith("\xFE\xFF"))
                    bytes = raw;
            }
        }
        if (ok) {
            entry.document = IniDocument::parse(bytes);
            entry.cut = !gelesen.complete();
        } else {
            qWarning("Settings: cannot read %s", qPrintable(path));
        }
    }
    return entry;
}

SettingsSaveFailedHandler& failedHandler()
{
    static SettingsSaveFailedHandler handler;
    return handler;
}

// Files whose last write failed and was reported.
QSet<QString>& failedFiles()
{
    static QSet<QString> files;
    return files;
}

// Writes the file; on failure the German reason (the file remains as it was).
bool store(const QString& path, CachedFile& entry, QString* reason)
{
    WriteResult result;
    {
        // An elevated copy makes the folder as its owner, as it writes the file.
        const AsFolderOwner owner(path);
        QDir().mkpath(QFileInfo(path).absolutePath());
        result = writeFileAtomically(path, entry.document.serialize());
    }
    if (!result) {
        qWarning("Settings: cannot write %s: %s", qPrintable(path), qPrintable(result.reason));
        *reason = result.reason;
    }
    // On failure the values stay in memory for this session; the file remains as it was.
    entry.stamp = stampOf(path);
    return result.ok;
}

// A file read only in part is not replaced by that part: its values stay in memory instead.
bool rewritable(const CachedFile& entry, QString* reason)
{
    if (entry.cut)
        *reason = QStringLiteral("Die Datei ist zu groß oder beschädigt; nur ihr Anfang wurde gelesen. "
                                 "Sie wird nicht überschrieben, damit nichts verloren geht.");
    return !entry.cut;
}

// After the lock is released: the first failure of a file is told to the handler.
void report(const QString& path, bool ok, const QString& reason)
{
    SettingsSaveFailedHandler handler;
    {
        QMutexLocker lock(&g_mutex);
        if (ok) {
            failedFiles().remove(path);
            return;
        }
        if (failedFiles().contains(path))
            return;
        failedFiles().insert(path);
        handler = failedHandler();
    }
    if (handler)
        handler(path, reason);
}

QString fileNameFor(QString app)
{
    // Folder separators in an application name must not lead out of our folder.
    app.replace(QLatin1Char('/'), QLatin1Char('_'));
    app.replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (app.isEmpty() || app == QLatin1String(".") || app == QLatin1String(".."))
        app.prepend(QLatin1Char('_'));
    return app + QLatin1String(".ini");
}

} // namespace

void setSettingsSaveFailedHandler(SettingsSaveFailedHandler handler)
{
    QMutexLocker lock(&g_mutex);
    failedHandler() = std::move(handler);
}

QString settingsFilePath(const QString& app)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QLatin1String("/Klangtruhe/") + fileNameFor(app);
}

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&g_mutex);
    return load(path).document.value(section, key, defaultValue);
}

void SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value)
{
    if (key.isEmpty())
        return;
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&g_mutex);
    CachedFile& entry = load(path);
    if (entry.stamp.exists && entry.document.contains(section, key)
        && entry.document.value(section, key) == value)
        return; // nothing changes: spare the disk
    entry.document.setValue(section, key, value);
    QString reason;
    const bool ok = rewritable(entry, &reason) && store(path, entry, &reason);
    lock.unlock();
    report(path, ok, reason);
}

void SaveSettings(const QString& app, const QString& section, const QList<QPair<QString, QString>>& values)
{
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&g_mutex);
    CachedFile& entry = load(path);
    bool changed = false;
    for (const auto& [key, value] : values) {
        if (key.isEmpty())
            continue;
        if (entry.stamp.exists && entry.document.contains(section, key) && entry.document.value(section, key) == value)
            continue;
        entry.document.setValue(section, key, value);
        changed = true;
    }
    if (!changed)
        return;
    QString reason;
    const bool ok = rewritable(entry, &reason) && store(path, entry, &reason);
    lock.unlock();
    report(path, ok, reason);
}

void DeleteSetting(const QString& app, const QString& section, const QString& key)
{
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&g_mutex);
    CachedFile& entry = load(path);
    const bool changed = key.isEmpty() ? entry.document.removeSection(section)
                                       : entry.document.remove(section, key);
    if (!changed)
        return;
    QString reason;
    const bool ok = rewritable(entry, &reason) && store(path, entry, &reason);
    lock.unlock();
    report(path, ok, reason);
}

QStringList GetAllSettingKeys(const QString& app, const QString& section)
{
    const QString path = settingsFilePath(app);
    QMutexLocker lock(&g_mutex);
    return load(path).document.keys(section);
}

} // namespace klang
