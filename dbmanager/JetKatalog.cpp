#include "dbmanager/JetKatalog.h"

#include "dbmanager/Dateisystem.h"

#include "platform/jet/Database.h"
#include "platform/textfiles/SafeWrite.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace dbmanager {

namespace {
Fehler aus(const klang::jet::DbError& e)
{
    if (!e.isError())
        return Fehler::keiner();
    return {e.number, e.description};
}
QString ordnerVon(const QString& pfad)
{
    return QFileInfo(pfad).absolutePath();
}

bool istVerknuepfung(const QString& pfad)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(pfad).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The engine keeps a catalogue's journal or log under a name beside it and never writes
// through a link standing there: every change of the catalogue would fail.
QString verknuepfungNeben(const QString& pfad)
{
    for (const char* endung : {"-journal", "-wal"}) {
        const QString name = pfad + QLatin1String(endung);
        if (istVerknuepfung(name))
            return name;
    }
    return {};
}

Fehler verknuepfungStattJournal(const QString& name)
{
    return {fehlernummer::DateiZugriff,
            QStringLiteral("Neben der Datenbank steht „%1“ als Verknüpfung. Unter diesem Namen legt die "
                           "Datenbank ihr Journal an, und durch eine Verknüpfung wird nicht geschrieben: so "
                           "kann die Datenbank nicht verändert werden. Bitte die Verknüpfung entfernen und "
                           "den Befehl wiederholen.").arg(name)};
}

// The path as the folder's real place and the file's name: the engine, told to follow no
// links, is then refused only a link that appeared since (a catalogue in a folder reached
// through a link is compacted all the same).
QString echterOrt(const QString& pfad)
{
    const QFileInfo info(pfad);
    const QString ordner = QFileInfo(info.absolutePath()).canonicalFilePath();
    return ordner.isEmpty() ? pfad : ordner + QLatin1Char('/') + info.fileName();
}

// A link on the way to the file or in its place (as far as the path can be looked at).
bool verknuepfungAufDemWeg(const QString& pfad)
{
    QString weg;
    for (const QString& teil : QFileInfo(pfad).absoluteFilePath().split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        weg += QLatin1Char('/') + teil;
        struct stat st {};
        if (::lstat(QFile::encodeName(weg).constData(), &st) != 0)
            return false;
        if (S_ISLNK(st.st_mode))
            return true;
    }
    return false;
}

// Why a file could not be opened, when the reason lies in its name: it is gone, or it (or a
// folder on its way) has become a link, through which nothing is written.
Fehler nameFehler(const QString& pfad)
{
    if (!verknuepfungNeben(pfad).isEmpty())
        return verknuepfungStattJournal(verknuepfungNeben(pfad));
    struct stat st {};
    if (::lstat(QFile::encodeName(pfad).constData(), &st) != 0 && errno == ENOENT)
        return {fehlernummer::DateiNichtGefunden,
                QStringLiteral("„%1“ ist nicht mehr vorhanden (umbenannt, verschoben oder gelöscht).").arg(pfad)};
    if (verknuepfungAufDemWeg(pfad))
        return {fehlernummer::DateiZugriff,
                QStringLiteral("„%1“ ist eine Verknüpfung oder liegt hinter einer, die jemand dort angelegt hat; "
                               "durch sie wird nicht geschrieben.").arg(pfad)};
    return Fehler::keiner();
}

// The engine's failures while writing, in German; a full disk says so.
Fehler schreibFehler(sqlite3* db, int rc, const QString& pfad, const QString& was)
{
    const int art = rc & 0xFF;
    if (art == SQLITE_FULL)
        return datentraegerVoll(pfad);
    if (art == SQLITE_CANTOPEN || art == SQLITE_READONLY)
        if (const Fehler f = nameFehler(pfad))
            return f;
    if (art == SQLITE_READONLY || art == SQLITE_PERM || art == SQLITE_CANTOPEN)
        return {fehlernummer::Schreibgeschuetzt,
                QStringLiteral("„%1“ kann nicht geschrieben werden (schreibgeschützt oder keine Berechtigung).").arg(pfad)};
    if (art == SQLITE_BUSY || art == SQLITE_LOCKED)
        return {fehlernummer::DateiZugriff,
                QStringLiteral("„%1“ wird gerade von einem anderen Programm benutzt.").arg(pfad)};
    const QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    return {fehlernummer::Sql, QStringLiteral("%1 fehlgeschlagen (Datenbankfehler %2: %3).").arg(was).arg(rc).arg(text)};
}

struct Verbindung
{
    sqlite3* db = nullptr;
    ~Verbindung() { sqlite3_close_v2(db); }
};

Fehler nichtGesperrt()
{
    return {fehlernummer::Sql, QStringLiteral("Die Datenbank ist nicht für diesen Befehl gesperrt.")};
}

Fehler befundPruefen(const QString& befund)
{
    if (befund.trimmed().compare(QStringLiteral("ok"), Qt::CaseInsensitive) == 0)
        return Fehler::keiner();
    return {fehlernummer::Beschaedigt,
            QStringLiteral("Die Datenbank ist beschädigt und wird nicht verändert (%1).")
                .arg(befund.trimmed().left(300).replace(QLatin1Char('\n'), QStringLiteral("; ")))};
}

// Copies every page of one database into another with the engine's backup: one
// transaction on the target, which is either complete or unchanged.
int uebertragen(sqlite3* nach, sqlite3* von)
{
    sqlite3_backup* b = sqlite3_backup_init(nach, "main", von, "main");
    if (!b)
        return sqlite3_extended_errcode(nach);
    const int rc = sqlite3_backup_step(b, -1);
    const int ende = sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE)
        return rc;
    return ende;
}

// A file this program creates beside the catalogue (backup, compacted copy): always a new
// file, created exclusively and never through a link someone placed under its name, with
// the catalogue's access rights (a private catalogue gets a private backup) and, when an
// administrator runs the command, the catalogue's owner.
class NeueDatei
{
public:
    ~NeueDatei()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    Fehler anlegen(const QString& pfad, const QString& vorbild)
    {
        m_pfad = pfad;
        struct stat katalog {};
        const bool hatVorbild = ::stat(QFile::encodeName(vorbild).constData(), &katalog) == 0;
        const mode_t rechte = hatVorbild ? (katalog.st_mode & 0666) : 0600;
        m_fd = ::open(QFile::encodeName(pfad).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      rechte);
        if (m_fd < 0) {
            const int nr = errno;
            if (nr == ENOSPC || nr == EDQUOT)
                return datentraegerVoll(pfad);
            if (nr == EEXIST)
                return {fehlernummer::DateiZugriff,
                        QStringLiteral("Die Datei „%1“ ist schon vorhanden (oder eine Verknüpfung) und wird "
                                       "nicht benutzt.").arg(pfad)};
            return {fehlernummer::DateiZugriff,
                    QStringLiteral("Die Datei „%1“ kann nicht angelegt werden: %2")
                        .arg(pfad, QString::fromLocal8Bit(std::strerror(nr)))};
        }
        // The umask does not decide who may read the copy of a catalogue.
        ::fchmod(m_fd, rechte);
        if (hatVorbild && ::geteuid() == 0 && katalog.st_uid != 0
            && ::fchown(m_fd, katalog.st_uid, katalog.st_gid) != 0) {
            // The copy stays the administrator's; its rights are the catalogue's all the same.
        }
        ::fstat(m_fd, &m_st);
        return Fehler::keiner();
    }

    // Marks a finished database copy as this program's own: the header's application id
    // (bytes 68 to 71, big-endian), written through the file created here.
    bool kennzeichnen(quint32 kennung)
    {
        char kopf[16] = {};
        if (::pread(m_fd, kopf, sizeof kopf, 0) != qint64(sizeof kopf) || std::memcmp(kopf, "SQLite format 3", 16) != 0)
            return false;
        const std::array<unsigned char, 4> bytes{static_cast<unsigned char>(kennung >> 24), static_cast<unsigned char>(kennung >> 16),
                                                 static_cast<unsigned char>(kennung >> 8), static_cast<unsigned char>(kennung)};
        return ::pwrite(m_fd, bytes.data(), bytes.size(), 68) == qint64(bytes.size());
    }

    dev_t geraet() const { return m_st.st_dev; }
    ino_t knoten() const { return m_st.st_ino; }

    // The engine wrote the file by its name: it must still be the one created here, and
    // what was written must be in it (a name swapped and swapped back leaves it empty).
    Fehler abschliessen()
    {
        errno = 0;
        if (::fsync(m_fd) != 0) {
            const int nr = errno;
            verwerfen();
            if (nr == ENOSPC || nr == EDQUOT)
                return datentraegerVoll(m_pfad);
            return {fehlernummer::DateiZugriff, QStringLiteral("„%1“ kann nicht geschrieben werden: %2")
                                                    .arg(m_pfad, QString::fromLocal8Bit(std::strerror(nr)))};
        }
        struct stat jetzt {};
        if (!dieselbe() || ::fstat(m_fd, &jetzt) != 0 || jetzt.st_size == 0) {
            ::close(m_fd);
            m_fd = -1;
            return {fehlernummer::DateiZugriff,
                    QStringLiteral("Die Datei „%1“ wurde während des Schreibens ausgetauscht.").arg(m_pfad)};
        }
        return Fehler::keiner();
    }

    // Removes the file again, only when the name still belongs to it.
    void verwerfen()
    {
        if (m_fd >= 0 && dieselbe())
            ::unlink(QFile::encodeName(m_pfad).constData());
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    bool dieselbe() const
    {
        struct stat jetzt {};
        return ::lstat(QFile::encodeName(m_pfad).constData(), &jetzt) == 0 && S_ISREG(jetzt.st_mode)
               && jetzt.st_dev == m_st.st_dev && jetzt.st_ino == m_st.st_ino;
    }

    QString m_pfad;
    int m_fd = -1;
    struct stat m_st {};
};

// A catalogue the engine must write to before it can read it, where it cannot write (a
// read-only medium, a folder without write permission): one in write-ahead-log mode needs
// its shared-memory file beside it, one with the journal of an interrupted write needs that
// rolled back first. Neither is damaged; the message says what is missing.
Fehler nurLesbarUnvollstaendig(const QString& pfad)
{
    QFile datei(pfad);
    if (!datei.open(QIODevice::ReadOnly))
        return Fehler::keiner();
    const QByteArray kopf = datei.read(100);
    if (kopf.size() < 100 || !kopf.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return Fehler::keiner();
    const QByteArray ordner = QFile::encodeName(ordnerVon(pfad));
    if (::access(ordner.constData(), W_OK) == 0 && ::access(QFile::encodeName(pfad).constData(), W_OK) == 0)
        return Fehler::keiner();
    const QString journal = pfad + QStringLiteral("-journal");
    if (QFileInfo(journal).isFile() && QFileInfo(journal).size() > 0)
        return {fehlernummer::Schreibgeschuetzt,
                QStringLiteral("Neben der Datenbank „%1“ liegt das Journal „%2“ eines unterbrochenen Schreibvorgangs. "
                               "Bevor die Datenbank gelesen werden kann, muss es zurückgespielt werden, und das geht "
                               "auf einem schreibgeschützten Datenträger oder in einem Ordner ohne Schreibrecht nicht. "
                               "Bitte Datenbank und Journal zusammen an einen beschreibbaren Ort kopieren und dort "
                               "öffnen. Die Dateien wurden nicht verändert.").arg(pfad, journal)};
    if (kopf.at(18) == 2 || kopf.at(19) == 2)
        return {fehlernummer::Schreibgeschuetzt,
                QStringLiteral("Die Datenbank „%1“ ist im Write-Ahead-Log-Modus gespeichert und liegt auf einem "
                               "schreibgeschützten Datenträger oder in einem Ordner ohne Schreibrecht. In diesem Modus "
                               "braucht sie zum Lesen Hilfsdateien neben sich („-wal“, „-shm“), die dort nicht angelegt "
                               "werden können. Bitte die Datenbank an einen beschreibbaren Ort kopieren und dort "
                               "öffnen. Die Datei wurde nicht verändert.").arg(pfad)};
    return Fehler::keiner();
}

} // namespace

JetKatalog::JetKatalog()
    : m_db(std::make_unique<klang::jet::Database>())
{
}

JetKatalog::~JetKatalog()
{
    entsperren();
}

Fehler JetKatalog::oeffnen(const QString& pfad)
{
    m_db->close();
    if (QFileInfo(pfad).isDir())
        return {fehlernummer::DateiNichtGefunden,
                QStringLiteral("„%1“ ist ein Ordner, keine Datenbank.").arg(pfad)};
    klang::jet::DbError e;
    if (!m_db->open(pfad, &e)) {
        m_db->close();
        if (const Fehler f = nurLesbarUnvollstaendig(pfad))
            return f;
        return e.isError() ? aus(e)
                           : Fehler{fehlernummer::KeineDatenbank,
                                    QStringLiteral("Die Datenbank „%1“ kann nicht geöffnet werden.").arg(pfad)};
    }
    return Fehler::keiner();
}

void JetKatalog::schliessen()
{
    m_db->close();
}

bool JetKatalog::istOffen() const
{
    return m_db->isOpen();
}

Fehler JetKatalog::sperren(const QString& pfad)
{
    entsperren();
    if (const QString link = verknuepfungNeben(pfad); !link.isEmpty())
        return verknuepfungStattJournal(link);
    Verbindung v;
    // Opened without following links: a compaction's copy, made through this connection,
    // is then written only to the file created for it (the engine opens it by name again).
    int rc = sqlite3_open_v2(QFile::encodeName(pfad).constData(), &v.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                             nullptr);
    if (rc != SQLITE_OK)
        return schreibFehler(v.db, rc, pfad, QStringLiteral("Das Öffnen"));
    // A reader that is just finishing is waited for once, briefly; a program that keeps the
    // catalogue busy makes the command stop before anything is done.
    sqlite3_busy_timeout(v.db, 1000);
    klang::jet::registerJetSemantics(v.db);
    // In exclusive locking mode the connection keeps the lock it takes until it is closed:
    // the first transaction takes the whole file (also a catalogue in write-ahead-log mode,
    // whose log is then read by this connection alone).
    rc = sqlite3_exec(v.db, "PRAGMA locking_mode = EXCLUSIVE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(v.db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(v.db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const int art = sqlite3_extended_errcode(v.db) & 0xFF;
        if (art == SQLITE_BUSY || art == SQLITE_LOCKED)
            return {fehlernummer::Gesperrt,
                    QStringLiteral("Die Datenbank „%1“ wird gerade von einem anderen Programm benutzt (zum "
                                   "Beispiel von der Klangtruhe). Sie wurde nicht verändert. Bitte das andere "
                                   "Programm schließen und den Befehl wiederholen.").arg(pfad)};
        if (art == SQLITE_NOTADB || art == SQLITE_CORRUPT)
            return {fehlernummer::Beschaedigt,
                    QStringLiteral("Die Datenbank „%1“ ist beschädigt und wird nicht verändert.").arg(pfad)};
        return schreibFehler(v.db, rc, pfad, QStringLiteral("Das Sperren der Datenbank"));
    }
    m_sperre = v.db;
    v.db = nullptr;
    m_sperrPfad = pfad;
    return Fehler::keiner();
}

void JetKatalog::entsperren()
{
    if (m_sperre)
        sqlite3_close_v2(m_sperre);
    m_sperre = nullptr;
    m_sperrPfad.clear();
    m_kompakt = {};
}

namespace {
Fehler integritaet(sqlite3* db)
{
    QStringList befunde;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    while (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW && befunde.size() < 20)
        befunde << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return befundPruefen(befunde.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(db)) : befunde.join(QLatin1Char('\n')));
}

qint64 zahl(sqlite3* db, const char* sql)
{
    sqlite3_stmt* st = nullptr;
    qint64 wert = 0;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        wert = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return wert;
}
} // namespace

Fehler JetKatalog::pruefen(const QString& pfadName)
{
    const QString pfad = m_sperre && pfadName == m_sperrPfad ? pfadName : echterOrt(pfadName);
    // The locked file can only be read through the lock.
    if (m_sperre && pfad == m_sperrPfad)
        return integritaet(m_sperre);
    // Only read, and never through a link someone placed under the name.
    // Opened for writing where it may be: a journal left by a write that was cut short (a kill
    // in the write-back) is then rolled back, as on every open, instead of the whole file being
    // called damaged. Read-only where it may not.
    Verbindung pruefling;
    const QByteArray name = QFile::encodeName(pfad);
    int rc = sqlite3_open_v2(name.constData(), &pruefling.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(pruefling.db);
        pruefling.db = nullptr;
        rc = sqlite3_open_v2(name.constData(), &pruefling.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr);
    }
    if (rc != SQLITE_OK) {
        if (const Fehler f = nameFehler(pfad))
            return f;
        return {fehlernummer::Beschaedigt, QStringLiteral("Die Datenbank „%1“ kann nicht geprüft werden.").arg(pfad)};
    }
    return integritaet(pruefling.db);
}

Fehler JetKatalog::sichern(const QString& zielName)
{
    if (!m_sperre)
        return nichtGesperrt();
    const QString ziel = echterOrt(zielName);
    // In a folder someone else owns, an administrator makes and writes the file with the
    // owner's rights: a link planted on the way leads nowhere the owner could not write.
    const klang::AsFolderOwner alsBesitzer(ordnerVon(ziel));
    NeueDatei datei;
    if (const Fehler f = datei.anlegen(ziel, m_sperrPfad))
        return f;
    Verbindung nach;
    int rc = sqlite3_open_v2(QFile::encodeName(ziel).constData(), &nach.db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    // A half-written backup is removed by the next run; it needs no journal of its own.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(nach.db, "PRAGMA journal_mode = OFF", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = uebertragen(nach.db, m_sperre);
    if (rc != SQLITE_OK) {
        const Fehler f = schreibFehler(nach.db, rc, ziel, QStringLiteral("Die Sicherung"));
        datei.verwerfen();
        return f;
    }
    sqlite3_close_v2(nach.db);
    nach.db = nullptr;
    return datei.abschliessen();
}

Fehler JetKatalog::komprimieren(const QString& quelle, const QString& zielName)
{
    if (!m_sperre || quelle != m_sperrPfad)
        return nichtGesperrt();
    const QString ziel = echterOrt(zielName);
    m_kompakt = {};
    const klang::AsFolderOwner alsBesitzer(ordnerVon(ziel));
    NeueDatei datei;
    if (const Fehler f = datei.anlegen(ziel, m_sperrPfad))
        return f;
    // The engine journals the new file under a name beside it, which it does not create
    // exclusively: that file is made here first (whatever had its name goes, links as links).
    const QString journalName = ziel + QStringLiteral("-journal");
    ::unlink(QFile::encodeName(journalName).constData());
    NeueDatei journal;
    if (const Fehler f = journal.anlegen(journalName, m_sperrPfad)) {
        datei.verwerfen();
        return f;
    }
    // The copy is made by the engine's own compaction: every table, index, view and trigger
    // of the schema is carried over, only the free pages are left behind. The engine opens
    // the copy by its name, with the lock connection's refusal of links.
    m_alteKennung = zahl(m_sperre, "PRAGMA application_id");
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(m_sperre, "VACUUM INTO ?1", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray z = QFile::encodeName(ziel);
        sqlite3_bind_text(st, 1, z.constData(), int(z.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        rc = rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(m_sperre);
    }
    sqlite3_finalize(st);
    journal.verwerfen();
    if (rc != SQLITE_OK) {
        const Fehler f = schreibFehler(m_sperre, rc, ziel, QStringLiteral("Die Komprimierung"));
        datei.verwerfen();
        return f;
    }
    // Marked as ours, so that a copy left by an interrupted run is told from a user's file.
    datei.kennzeichnen(TempKennung);
    if (const Fehler f = datei.abschliessen())
        return f;
    m_kompakt = {ziel, datei.geraet(), datei.knoten()};
    return Fehler::keiner();
}

bool JetKatalog::eigeneKopie(const QString& pfad) const
{
    const int fd = ::open(QFile::encodeName(pfad).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char kopf[100] = {};
    struct stat st {};
    const bool gelesen = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::pread(fd, kopf, sizeof kopf, 0) == qint64(sizeof kopf);
    ::close(fd);
    const quint32 kennung = quint32(kopf[68]) << 24 | quint32(kopf[69]) << 16 | quint32(kopf[70]) << 8 | kopf[71];
    return gelesen && std::memcmp(kopf, "SQLite format 3", 16) == 0 && kennung == TempKennung;
}

Fehler JetKatalog::zurueckschreiben(const QString& kompaktName, const QString& ziel)
{
    if (!m_sperre || ziel != m_sperrPfad)
        return nichtGesperrt();
    const QString kompakt = echterOrt(kompaktName);
    const klang::AsFolderOwner alsBesitzer(ordnerVon(ziel));
    // Only the copy this connection made and checked goes into the catalogue.
    const auto istKopie = [&] {
        struct stat st {};
        return ::lstat(QFile::encodeName(kompakt).constData(), &st) == 0 && S_ISREG(st.st_mode)
               && kompakt == m_kompakt.pfad && st.st_dev == m_kompakt.geraet && st.st_ino == m_kompakt.knoten;
    };
    const Fehler ausgetauscht{fehlernummer::DateiZugriff,
                              QStringLiteral("Die komprimierte Kopie „%1“ wurde nach dem Prüfen ausgetauscht; die "
                                             "Datenbank bleibt, wie sie war.").arg(kompakt)};
    if (!istKopie())
        return ausgetauscht;
    Verbindung quelle;
    if (sqlite3_open_v2(QFile::encodeName(kompakt).constData(), &quelle.db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK)
        return {fehlernummer::KeineDatenbank, QStringLiteral("Die Datenbank „%1“ kann nicht geöffnet werden.").arg(kompakt)};
    // The read lock keeps the file open from here on: it must still be the checked copy.
    if (sqlite3_exec(quelle.db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK
        || !istKopie())
        return ausgetauscht;
    sqlite3_exec(quelle.db, "COMMIT", nullptr, nullptr, nullptr);
    // The engine's page-by-page transfer runs under the catalogue's journal: a full disk,
    // any other failure or a killed program leaves the catalogue as it was.
    const int rc = uebertragen(m_sperre, quelle.db);
    if (rc != SQLITE_OK)
        return schreibFehler(m_sperre, rc, ziel, QStringLiteral("Das Zurückschreiben"));
    // The copy's mark is not the catalogue's.
    const QByteArray alt = QByteArray("PRAGMA application_id = ")
                           + QByteArray::number(m_alteKennung == TempKennung ? 0 : m_alteKennung);
    sqlite3_exec(m_sperre, alt.constData(), nullptr, nullptr, nullptr);
    return Fehler::keiner();
}

QStringList JetKatalog::spalten(const QString& tabelle, Fehler* fehler)
{
    if (!m_db->isOpen()) {
        if (fehler)
            *fehler = {fehlernummer::KeineDatenbankOffen, QStringLiteral("Keine Datenbank geöffnet.")};
        return {};
    }
    return m_db->columns(tabelle);
}

Fehler JetKatalog::spalteHinzufuegen(const QString& tabelle, const QString& spalte, const QString& typ)
{
    klang::jet::DbError e;
    if (!m_db->addColumn(tabelle, spalte, typ, &e))
        return e.isError() ? aus(e)
                           : Fehler{fehlernummer::Sql, QStringLiteral("Die Spalte „%1“ konnte nicht angelegt werden.").arg(spalte)};
    return Fehler::keiner();
}

} // namespace dbmanager
