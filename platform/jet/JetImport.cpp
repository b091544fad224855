// The conversion of a Jet file into a new SQLite file: its steps and the target file.

#include "platform/jet/JetImport.h"

#include "platform/jet/JetImportValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QLocale>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sqlite3.h>
#include <unistd.h>

#include <mdbtools.h>

namespace klang::jet {

namespace {

constexpr int kProgressEvery = 512;   // rows between two progress reports
constexpr quint32 kSystemObject = 0x80000000; // MSysObjects.Flags of the system's own objects
constexpr quint32 kObjectPage = 0x00FFFFFF;    // an object id's part that is its definition page

QString quoteName(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

struct MdbCloser
{
    MdbHandle* mdb = nullptr;
    ~MdbCloser()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

struct TableCloser
{
    MdbTableDef* table = nullptr;
    ~TableCloser()
    {
        if (table)
            mdb_free_tabledef(table);
    }
};

struct SqliteCloser
{
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    void finish()
    {
        if (stmt)
            sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    ~SqliteCloser()
    {
        finish();
        if (db)
            sqlite3_close_v2(db);
    }
};

// A failure to write the new file, in the conversion's own words: SQLite's texts are English
// and speak of changes to a database the user never made.
DbError writeError(sqlite3* db)
{
    const int code = db ? sqlite3_errcode(db) : SQLITE_CANTOPEN;
    const QString none = QStringLiteral(" Es wurde keine neue Datei angelegt.");
    switch (code & 0xFF) {
    case SQLITE_FULL:
        return DbError{errors::kDiskFull, QStringLiteral("Auf dem Datenträger ist nicht genug Platz für die neue "
                                                         "Datei.") + none};
    case SQLITE_IOERR:
        return DbError{errors::kDiskError, QStringLiteral("Die neue Datei kann nicht geschrieben werden "
                                                          "(Datenträger- oder Netzwerkfehler).") + none};
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
        return DbError{errors::kCannotOpen, QStringLiteral("Die neue Datei kann nicht geschrieben werden "
                                                           "(fehlende Schreibrechte?).") + none};
    case SQLITE_NOMEM:
        return DbError{errors::kGeneral, QStringLiteral("Für die Umwandlung reicht der Arbeitsspeicher nicht.") + none};
    default:
        return DbError{errors::kGeneral, QStringLiteral("Beim Schreiben der neuen Datei ist ein Fehler aufgetreten "
                                                        "(Fehlernummer %1 der Datenbank).").arg(code) + none};
    }
}

bool execSql(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Puts the finished file in place: without overwrite only when no file of that name exists
// (atomically, so a file that appeared meanwhile is not replaced).
bool moveIntoPlace(const QString& from, const QString& to, bool overwrite)
{
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    if (overwrite)
        return ::rename(a.constData(), b.constData()) == 0;
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: a hard link fails on an existing name too.
    if (::link(a.constData(), b.constData()) != 0)
        return false;
    ::unlink(a.constData());
    return true;
}

bool syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

bool isJetFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(19);
    return header.size() == 19
           && (header.mid(4, 15) == "Standard Jet DB" || header.mid(4, 15) == "Standard ACE DB");
}

QString convertedFilePath(const QString& jetPath)
{
    const QFileInfo info(jetPath);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    // An ACE original's copy is named .mdb, which the open dialogs show.
    const QString extension = suffix.compare(QLatin1String("accdb"), Qt::CaseInsensitive) == 0 ? QStringLiteral("mdb") : suffix;
    const QString name = base + QStringLiteral(" (SQLite)") + (suffix.isEmpty() ? QString() : QLatin1Char('.') + extension);
    return info.dir().filePath(name);
}

QString progressText(const JetImportProgress& progress)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    return QStringLiteral("Umwandeln: Tabelle %1, %2 von %3 Datensätzen")
        .arg(progress.table, german.toString(progress.row), german.toString(progress.rows));
}

QString JetImportResult::summary() const
{
    QString text;
    if (!tables.isEmpty()) {
        QStringList lines;
        for (qsizetype i = 0; i < tables.size(); ++i)
            lines << QStringLiteral("%1 (%2 Datensätze)")
                         .arg(tables[i], QLocale(QLocale::German, QLocale::Germany).toString(rowCounts.value(i)));
        text = QStringLiteral("Übernommene Tabellen: ") + lines.join(QStringLiteral(", ")) + QLatin1Char('.');
    }
    for (const QString& note : notes)
        text += QStringLiteral("\n- ") + note + QLatin1Char('.');
    if (!leftOut.isEmpty())
        text += QStringLiteral("\nNicht übernommen: ") + leftOut.join(QStringLiteral(", ")) + QLatin1Char('.');
    return text;
}

DbError cancelledJetImport()
{
    return DbError{errors::kGeneral,
                   QStringLiteral("Die Umwandlung wurde abgebrochen. Es wurde keine neue Datei angelegt.")};
}

DbError damagedJetFile(const QString& source, const QString& detail)
{
    return DbError{errors::kDamaged,
                   QStringLiteral("Die Access-Datenbank '%1' ist beschädigt und kann nicht umgewandelt "
                                  "werden (%2). Die Datei wurde nicht verändert; es wurde keine neue "
                                  "Datei angelegt.")
                       .arg(source, detail)};
}

DbError checkJetImport(const QString& source, const QString& target, bool overwrite)
{
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.isFile())
        return DbError{errors::kFileNotFound, QStringLiteral("Die Datenbankdatei '%1' wurde nicht gefunden.").arg(source)};
    if (!isJetFile(source))
        return DbError{errors::kUnrecognisedFormat, QStringLiteral("Die Datei '%1' ist keine Access-Datenbank.").arg(source)};
    const QFileInfo targetInfo(target);
    if (targetInfo.absoluteFilePath() == sourceInfo.absoluteFilePath()
        || (targetInfo.exists() && targetInfo.canonicalFilePath() == sourceInfo.canonicalFilePath()))
        return DbError{errors::kCannotOpen, QStringLiteral("Die neue Datei darf nicht die Access-Datenbank selbst sein.")};
    if (targetInfo.exists() && !overwrite)
        return DbError{errors::kCannotOpen,
                       QStringLiteral("Die Datei '%1' gibt es schon; sie wurde nicht überschrieben.").arg(target)};
    return {};
}

JetTargetFile::JetTargetFile(const QString& target) : m_target(QFileInfo(target).absoluteFilePath()) {}

JetTargetFile::~JetTargetFile()
{
    // Removed while still locked, so no other conversion takes it for a leftover meanwhile.
    if (!m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
    if (m_fd >= 0)
        ::close(m_fd);
}

void removeJetLeftovers(const QString& target)
{
    const QFileInfo targetInfo(QFileInfo(target).absoluteFilePath());
    const QDir folder = targetInfo.absoluteDir();
    const QString prefix = QLatin1Char('.') + targetInfo.fileName() + QLatin1Char('.');
    // A file of this pattern that no one holds belongs to a conversion that died.
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
            continue;
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat held = {}, named = {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode)
            && ::lstat(path.constData(), &named) == 0 && named.st_ino == held.st_ino && named.st_dev == held.st_dev)
            ::unlink(path.constData());
        ::close(fd);
    }
}

bool JetTargetFile::create(DbError* error)
{
    removeJetLeftovers(m_target);
    const QFileInfo targetInfo(m_target);
    const QDir folder = targetInfo.absoluteDir();
    const QString prefix = QLatin1Char('.') + targetInfo.fileName() + QLatin1Char('.');
    QString why;
    for (int attempt = 0; attempt < 16; ++attempt) {
        QTemporaryFile temp(folder.filePath(prefix + QStringLiteral("XXXXXX")));
        if (!temp.open()) {
            why = temp.errorString();
            break;
        }
        temp.setAutoRemove(false);
        const QString path = temp.fileName();
        const int fd = ::fcntl(int(temp.handle()), F_DUPFD_CLOEXEC, 0);
        temp.close();
        if (fd < 0) {
            why = QString::fromLocal8Bit(std::strerror(errno));
            ::unlink(QFile::encodeName(path).constData());
            break;
        }
        // Another conversion's clean-up may have seen the file between its creation and the
        // lock: then it is gone (or going), and a new name is tried.
        struct stat held = {}, named = {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0
            && ::lstat(QFile::encodeName(path).constData(), &named) == 0 && named.st_ino == held.st_ino
            && named.st_dev == held.st_dev) {
            m_fd = fd;
            m_path = path;
            return true;
        }
        ::close(fd);
    }
    if (error)
        *error = DbError{errors::kCannotOpen, QStringLiteral("Im Ordner '%1' kann keine neue Datei angelegt werden: %2")
                                                  .arg(QDir::toNativeSeparators(folder.absolutePath()), why)};
    return false;
}

bool JetTargetFile::putInPlace(const QString& source, bool overwrite, DbError* error)
{
    QFile::setPermissions(m_path, QFile::permissions(source) | QFile::ReadOwner | QFile::WriteOwner);
    if (!moveIntoPlace(m_path, m_target, overwrite)) {
        if (error)
            *error = DbError{errors::kCannotOpen, QStringLiteral("Die neue Datei kann nicht unter dem Namen '%1' "
                                                                 "abgelegt werden: %2")
                                                      .arg(m_target, QString::fromLocal8Bit(std::strerror(errno)))};
        return false;
    }
    m_path.clear();
    syncFile(QFileInfo(m_target).absolutePath());
    return true;
}

JetImportResult importJetFile(const QString& source, const QString& target, const JetImportOptions& options)
{
    JetImportResult result;
    result.error = checkJetImport(source, target, options.overwrite);
    if (result.error.isError())
        return result;
    JetTargetFile file(target);
    if (!file.create(&result.error))
        return result;
    result = writeJetCopy(source, file.path(), options);
    if (result.ok && !file.putInPlace(source, options.overwrite, &result.error))
        result.ok = false;
    return result;
}

JetImportResult writeJetCopy(const QString& source, const QString& tempPath, const JetImportOptions& options)
{
    JetImportResult result;
    auto fail = [&](const DbError& e) {
        result.ok = false;
        result.error = e;
        return result;
    };
    auto cancelled = [&] { return options.cancel && options.cancel->load(); };
    auto cancelResult = [&] {
        result.cancelled = true;
        return fail(cancelledJetImport());
    };

    const QFileInfo sourceInfo(source);
    if (!sourceInfo.isFile() || !isJetFile(source))
        return fail(checkJetImport(source, tempPath, true));
    const qint64 fileSize = sourceInfo.size();
    MdbCloser mdb{mdb_open(QFile::encodeName(source).constData(), MDB_NOFLAGS)};
    if (!mdb.mdb || !mdb.mdb->fmt || !mdb.mdb->f)
        return fail(damagedJetFile(source, QStringLiteral("der Dateikopf ist unlesbar")));
    const qint64 pageSize = mdb.mdb->fmt->pg_size;
    if (pageSize <= 0 || pageSize > MDB_PGSIZE || fileSize < 2 * pageSize)
        return fail(damagedJetFile(source, QStringLiteral("die Seitengröße passt nicht zur Datei")));
    // Jet writes whole pages: anything else is a cut file (a copy that stopped short).
    if (fileSize % pageSize != 0)
        return fail(damagedJetFile(source, QStringLiteral("die Datei ist unvollständig")));
    const qint64 pageCount = fileSize / pageSize;

    GPtrArray* catalog = mdb_read_catalog(mdb.mdb, MDB_ANY);
    if (!catalog)
        return fail(damagedJetFile(source, QStringLiteral("das Inhaltsverzeichnis ist unlesbar")));

    // What is copied and what is not. Objects flagged as the system's own (the database's
    // own entry among them) are nobody's macros or forms.
    QList<MdbCatalogEntry*> tables;
    QHash<quint32, MdbCatalogEntry*> tablesByPage; // every table, hidden ones too
    MdbCatalogEntry* directory = nullptr;
    MdbCatalogEntry* complexColumns = nullptr;
    MdbCatalogEntry* relationships = nullptr;
    int queries = 0, forms = 0, reports = 0, macros = 0, modules = 0, linked = 0;
    for (guint i = 0; i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (!entry)
            continue;
        if (entry->object_type == MDB_TABLE)
            tablesByPage.insert(quint32(entry->table_pg), entry);
        else if (quint32(entry->flags) & kSystemObject)
            continue;
        switch (entry->object_type) {
        case MDB_TABLE:
            if (mdb_is_user_table(entry))
                tables << entry;
            else if (qstrcmp(entry->object_name, "MSysObjects") == 0)
                directory = entry;
            else if (qstrcmp(entry->object_name, "MSysComplexColumns") == 0)
                complexColumns = entry;
            else if (qstrcmp(entry->object_name, "MSysRelationships") == 0)
                relationships = entry;
            break;
        case MDB_QUERY: ++queries; break;
        case MDB_FORM: ++forms; break;
        case MDB_REPORT: ++reports; break;
        case MDB_MACRO: ++macros; break;
        case MDB_MODULE: ++modules; break;
        case MDB_LINKED_TABLE: ++linked; break;
        default: break;
        }
    }
    // The list of tables is itself a table: a damaged page of it would hide tables, so it must
    // read whole before the tables it lists are trusted.
    {
        TableCloser list{directory ? mdb_read_table(directory) : nullptr};
        GPtrArray* listColumns = list.table ? mdb_read_columns(list.table) : nullptr;
        if (!listColumns)
            return fail(damagedJetFile(source, QStringLiteral("das Inhaltsverzeichnis ist unlesbar")));
        mdb_rewind_table(list.table);
        qint64 entries = 0;
        while (entries <= fileSize && mdb_fetch_row(list.table))
            ++entries;
        if (entries != qint64(list.table->num_rows))
            return fail(damagedJetFile(source, QStringLiteral("das Inhaltsverzeichnis ist unvollständig")));
    }
    auto leave = [&](int n, const QString& one, const QString& many) {
        if (n > 0)
            result.leftOut << QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
    };
    leave(queries, QStringLiteral("Abfrage"), QStringLiteral("Abfragen"));
    leave(forms, QStringLiteral("Formular"), QStringLiteral("Formulare"));
    leave(reports, QStringLiteral("Bericht"), QStringLiteral("Berichte"));
    leave(macros, QStringLiteral("Makro"), QStringLiteral("Makros"));
    leave(modules, QStringLiteral("Modul"), QStringLiteral("Module"));
    leave(linked, QStringLiteral("verknüpfte Tabelle"), QStringLiteral("verknüpfte Tabellen"));
    if (tables.isEmpty())
        return fail(DbError{errors::kGeneral,
                            QStringLiteral("Die Access-Datenbank '%1' enthält keine Tabelle; es gibt nichts "
                                           "umzuwandeln. Es wurde keine neue Datei angelegt.")
                                .arg(source)});

    SqliteCloser out;
    // No file locks: the file is ours alone, and its owner holds a flock on it, which must not
    // meet SQLite's own locks where a network file system maps both onto the same locks.
    if (sqlite3_open_v2(QFile::encodeName(tempPath).constData(), &out.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, "unix-none") != SQLITE_OK)
        return fail(writeError(out.db));
    // A new file that is renamed into place only when complete needs no journal.
    if (!execSql(out.db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA locking_mode = EXCLUSIVE; "
                         "PRAGMA temp_store = MEMORY")
        || !execSql(out.db, "BEGIN"))
        return fail(writeError(out.db));

    enum class Copied { Ok, Failed, Cancelled };
    const int tableCount = int(tables.size());
    // Reported before the system tables are read: whoever waits sees the work start.
    if (options.progress)
        options.progress(JetImportProgress{QString::fromUtf8(tables.first()->object_name), 0,
                                           0, 1, tableCount});
    // Copies one Jet table into the new file as schema.name; attachmentColumn names the column
    // whose values are packed attachments.
    auto copyTable = [&](MdbCatalogEntry* entry, const QString& schema, const QString& name,
                         const QString& attachmentColumn, int index, qint64* copied) -> Copied {
        const QString jetName = QString::fromUtf8(entry->object_name);
        auto damaged = [&](const QString& why) {
            result.error = damagedJetFile(source, why);
            return Copied::Failed;
        };
        TableCloser table{mdb_read_table(entry)};
        if (!table.table)
            return damaged(QStringLiteral("die Tabelle %1 ist unlesbar").arg(jetName));
        GPtrArray* columns = mdb_read_columns(table.table);
        if (!columns || columns->len == 0 || columns->len != table.table->num_cols)
            return damaged(QStringLiteral("die Spalten der Tabelle %1 sind unlesbar").arg(jetName));
        const qint64 expected = table.table->num_rows;
        if (expected < 0 || expected > fileSize)
            return damaged(QStringLiteral("die Tabelle %1 gibt eine unmögliche Zeilenzahl an").arg(jetName));

        TableCopy copy(mdb.mdb, columns, pageCount);
        QStringList defs, marks;
        for (guint c = 0; c < columns->len; ++c) {
            const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(columns, c));
            const QString column = QString::fromUtf8(col->name);
            defs << quoteName(column) + QLatin1Char(' ') + QLatin1String(sqliteType(col->col_type));
            marks << QStringLiteral("?");
            if (column == attachmentColumn && col->col_type == MDB_OLE)
                copy.setAttachmentColumn(c);
            if (schema != QLatin1String("main"))
                continue;
            if (col->col_type == kExtendedDateTime)
                result.notes << QStringLiteral("Spalte %1.%2 (Datum/Uhrzeit erweitert): als Text übernommen, "
                                               "wie Access ihn speichert")
                                    .arg(name, column);
            else if (!knownType(col->col_type))
                result.notes << QStringLiteral("Spalte %1.%2 (unbekannter Datentyp %3): die Bytes unverändert "
                                               "übernommen")
                                    .arg(name, column)
                                    .arg(col->col_type);
        }
        const QByteArray create = QStringLiteral("CREATE TABLE %1.%2 (%3)")
                                      .arg(quoteName(schema), quoteName(name), defs.join(QStringLiteral(", ")))
                                      .toUtf8();
        const QByteArray insert = QStringLiteral("INSERT INTO %1.%2 VALUES (%3)")
                                      .arg(quoteName(schema), quoteName(name), marks.join(QLatin1Char(',')))
                                      .toUtf8();
        if (!execSql(out.db, create.constData())) {
            const int code = sqlite3_errcode(out.db);
            if (code == SQLITE_FULL || code == SQLITE_IOERR) {
                result.error = writeError(out.db);
                return Copied::Failed;
            }
            return damaged(QStringLiteral("die Tabelle %1 kann nicht angelegt werden: %2")
                               .arg(jetName, QString::fromUtf8(sqlite3_errmsg(out.db))));
        }
        if (sqlite3_prepare_v2(out.db, insert.constData(), -1, &out.stmt, nullptr) != SQLITE_OK) {
            result.error = writeError(out.db);
            return Copied::Failed;
        }

        JetImportProgress progress{name, 0, expected, index, tableCount};
        if (options.progress && index > 0)
            options.progress(progress);
        mdb_rewind_table(table.table);
        qint64 rows = 0;
        while (mdb_fetch_row(table.table)) {
            // A table's head may count fewer rows than it holds; every row that reads is kept.
            // A chain of pages that never ends cannot hold more rows than the file has bytes.
            if (++rows > fileSize)
                return damaged(QStringLiteral("die Zeilen der Tabelle %1 enden nicht").arg(jetName));
            if (cancelled())
                return Copied::Cancelled;
            QString why;
            for (guint c = 0; c < columns->len; ++c) {
                if (!copy.bind(out.stmt, c, &why)) {
                    if (why.isEmpty()) {
                        result.error = writeError(out.db);
                        return Copied::Failed;
                    }
                    return damaged(QStringLiteral("Tabelle %1, Datensatz %2: %3").arg(jetName).arg(rows).arg(why));
                }
            }
            if (sqlite3_step(out.stmt) != SQLITE_DONE) {
                result.error = writeError(out.db);
                return Copied::Failed;
            }
            sqlite3_reset(out.stmt);
            sqlite3_clear_bindings(out.stmt);
            if (rows % kProgressEvery == 0 && options.progress && index > 0) {
                progress.row = rows;
                progress.rows = qMax(rows, expected);
                options.progress(progress);
            }
        }
        out.finish();
        if (rows < expected)
            return damaged(QStringLiteral("in der Tabelle %1 sind %2 von %3 Datensätzen lesbar")
                               .arg(jetName).arg(rows).arg(expected));
        if (rows > expected)
            result.notes << QStringLiteral("Tabelle %1: %2 Datensätze übernommen, der Kopf der Tabelle zählt nur %3")
                                .arg(name).arg(rows).arg(expected);
        if (copy.packedAttachments() > 0)
            result.notes << QStringLiteral("Tabelle %1: %2 Anlagen ließen sich nicht entpacken und stehen so in der "
                                           "Spalte %3, wie Access sie speichert")
                                .arg(name).arg(copy.packedAttachments()).arg(attachmentColumn);
        progress.row = rows;
        progress.rows = rows;
        if (options.progress && index > 0)
            options.progress(progress);
        *copied = rows;
        return Copied::Ok;
    };

    // Attachments, multi-value and version-history columns hold in each row only a number;
    // their values lie in hidden tables that MSysComplexColumns names. Each such table is
    // copied as a table of its own, so every value is there for the user.
    struct Complex
    {
        quint32 flatPage = 0;
        quint32 typePage = 0;
    };
    QHash<QPair<quint32, QString>, Complex> complex; // (table page, column) -> hidden table
    if (complexColumns) {
        qint64 n = 0;
        const Copied c = copyTable(complexColumns, QStringLiteral("temp"), QStringLiteral("complex"), QString(), 0, &n);
        if (c == Copied::Cancelled)
            return cancelResult();
        if (c == Copied::Ok) {
            if (sqlite3_prepare_v2(out.db,
                                   "SELECT ColumnName, FlatTableID, ConceptualTableID, ComplexTypeObjectID "
                                   "FROM temp.complex",
                                   -1, &out.stmt, nullptr)
                == SQLITE_OK) {
                while (sqlite3_step(out.stmt) == SQLITE_ROW) {
                    const QString column =
                        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(out.stmt, 0)));
                    const quint32 owner = quint32(sqlite3_column_int64(out.stmt, 2)) & kObjectPage;
                    complex.insert({owner, column}, Complex{quint32(sqlite3_column_int64(out.stmt, 1)) & kObjectPage,
                                                            quint32(sqlite3_column_int64(out.stmt, 3)) & kObjectPage});
                }
            }
            out.finish();
        }
        result.error = {}; // a damaged list of such columns names each column below as left out
    }
    // Relationships between the user's tables (the system keeps some between its own).
    if (relationships) {
        qint64 n = 0;
        const Copied c = copyTable(relationships, QStringLiteral("temp"), QStringLiteral("relationships"), QString(), 0, &n);
        if (c == Copied::Cancelled)
            return cancelResult();
        bool between = c != Copied::Ok; // unreadable: said rather than hidden
        if (c == Copied::Ok && sqlite3_prepare_v2(out.db, "SELECT szObject, szReferencedObject FROM temp.relationships",
                                                  -1, &out.stmt, nullptr) == SQLITE_OK) {
            QSet<QString> user;
            for (MdbCatalogEntry* entry : std::as_const(tables))
                user.insert(QString::fromUtf8(entry->object_name));
            while (!between && sqlite3_step(out.stmt) == SQLITE_ROW)
                between = user.contains(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(out.stmt, 0))))
                          || user.contains(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(out.stmt, 1))));
            out.finish();
        }
        result.error = {};
        if (between)
            result.leftOut.prepend(QStringLiteral("Beziehungen zwischen Tabellen"));
    }
    QSet<QString> taken;
    for (MdbCatalogEntry* entry : std::as_const(tables))
        taken.insert(QString::fromUtf8(entry->object_name).toCaseFolded());
    auto freeName = [&](const QString& wanted) {
        QString name = wanted;
        for (int n = 2; taken.contains(name.toCaseFolded()); ++n)
            name = QStringLiteral("%1 (%2)").arg(wanted).arg(n);
        taken.insert(name.toCaseFolded());
        return name;
    };

    for (int t = 0; t < tableCount; ++t) {
        MdbCatalogEntry* entry = tables[t];
        const QString name = QString::fromUtf8(entry->object_name);
        qint64 rows = 0;
        const Copied c = copyTable(entry, QStringLiteral("main"), name, QString(), t + 1, &rows);
        if (c == Copied::Cancelled)
            return cancelResult();
        if (c == Copied::Failed)
            return fail(result.error);
        result.tables << name;
        result.rowCounts << rows;

        // The table's complex columns, each into a table "<table>_<column>".
        TableCloser owner{mdb_read_table(entry)};
        GPtrArray* columns = owner.table ? mdb_read_columns(owner.table) : nullptr;
        for (guint i = 0; columns && i < columns->len; ++i) {
            const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(columns, i));
            if (col->col_type != MDB_COMPLEX)
                continue;
            const QString column = QString::fromUtf8(col->name);
            const Complex found = complex.value({quint32(entry->table_pg), column});
            MdbCatalogEntry* flat = found.flatPage ? tablesByPage.value(found.flatPage) : nullptr;
            if (!flat) {
                result.leftOut << QStringLiteral("die Werte der Spalte %1.%2 (Anlagen oder mehrere Werte je "
                                                 "Datensatz; ihr Verzeichnis ist unlesbar)")
                                      .arg(name, column);
                continue;
            }
            const MdbCatalogEntry* type = tablesByPage.value(found.typePage);
            const QString typeName = type ? QString::fromUtf8(type->object_name) : QString();
            const bool attachments = typeName == QLatin1String("MSysComplexType_Attachment");
            const QString kind = attachments ? QStringLiteral("Anlagen")
                                 : typeName.startsWith(QLatin1String("MSysComplexTypeVH_"))
                                     ? QStringLiteral("Versionsverlauf")
                                     : QStringLiteral("mehrere Werte je Datensatz");
            const QString side = freeName(name + QLatin1Char('_') + column);
            qint64 sideRows = 0;
            const Copied s = copyTable(flat, QStringLiteral("main"), side,
                                       attachments ? QStringLiteral("FileData") : QString(), t + 1, &sideRows);
            if (s == Copied::Cancelled)
                return cancelResult();
            if (s == Copied::Failed)
                return fail(result.error);
            result.tables << side;
            result.rowCounts << sideRows;
            result.notes << QStringLiteral("Spalte %1.%2 (%3): die Werte stehen in der Tabelle %4; deren Spalte %5 "
                                           "trägt die Nummer aus %1.%2")
                                .arg(name, column, kind, side, QLatin1Char('_') + column);
        }
    }
    if (cancelled())
        return cancelResult();
    if (!execSql(out.db, "COMMIT"))
        return fail(writeError(out.db));

    // What was written must read back whole before the file is put in place.
    for (qsizetype t = 0; t < result.tables.size(); ++t) {
        const QByteArray count = QStringLiteral("SELECT count(*) FROM %1").arg(quoteName(result.tables[t])).toUtf8();
        if (sqlite3_prepare_v2(out.db, count.constData(), -1, &out.stmt, nullptr) != SQLITE_OK
            || sqlite3_step(out.stmt) != SQLITE_ROW)
            return fail(writeError(out.db));
        const qint64 written = sqlite3_column_int64(out.stmt, 0);
        out.finish();
        if (written != result.rowCounts[t])
            return fail(DbError{errors::kGeneral, QStringLiteral("In der neuen Datei fehlen Datensätze der Tabelle %1 "
                                                                 "(%2 statt %3). Es wurde keine neue Datei angelegt.")
                                                      .arg(result.tables[t]).arg(written).arg(result.rowCounts[t])});
    }
    if (sqlite3_prepare_v2(out.db, "PRAGMA integrity_check", -1, &out.stmt, nullptr) != SQLITE_OK
        || sqlite3_step(out.stmt) != SQLITE_ROW)
        return fail(writeError(out.db));
    const QString check = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(out.stmt, 0)));
    out.finish();
    if (check != QLatin1String("ok"))
        return fail(DbError{errors::kDamaged, QStringLiteral("Die Prüfung der neuen Datei meldet: %1. Es wurde keine "
                                                             "neue Datei angelegt.").arg(check)});
    if (sqlite3_close(out.db) != SQLITE_OK)
        return fail(writeError(out.db));
    out.db = nullptr;
    if (cancelled())
        return cancelResult();

    if (!syncFile(tempPath))
        return fail(DbError{errors::kDiskError, QStringLiteral("Die neue Datei kann nicht auf den Datenträger "
                                                               "geschrieben werden.")});
    result.ok = true;
    return result;
}

} // namespace klang::jet
