#include "dbmanager/JetKatalog.h"

#include "dbmanager/Dateisystem.h"

#include "platform/jet/Database.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <sys/stat.h>

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
// The engine's failures while writing, in German; a full disk says so.
Fehler schreibFehler(sqlite3* db, int rc, const QString& pfad, const QString& was)
{
    const int art = rc & 0xFF;
    if (art == SQLITE_FULL)
        return datentraegerVoll(pfad);
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

    // The engine wrote the file by its name: it must still be the one created here.
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
        if (!dieselbe()) {
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
    Verbindung v;
    int rc = sqlite3_open_v2(QFile::encodeName(pfad).constData(), &v.db, SQLITE_OPEN_READWRITE, nullptr);
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
}

Fehler JetKatalog::pruefen(const QString& pfad)
{
    if (m_sperre && pfad == m_sperrPfad) {
        // The locked file can only be read through the lock.
        QStringList befunde;
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(m_sperre, "PRAGMA integrity_check", -1, &st, nullptr);
        while (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW && befunde.size() < 20)
            befunde << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        const QString befund = befunde.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(m_sperre))
                                                 : befunde.join(QLatin1Char('\n'));
        return befundPruefen(befund);
    }
    klang::jet::Database pruefling;
    klang::jet::DbError e;
    if (!pruefling.open(pfad, &e))
        return e.isError() ? aus(e)
                           : Fehler{fehlernummer::Beschaedigt,
                                    QStringLiteral("Die Datenbank „%1“ kann nicht geprüft werden.").arg(pfad)};
    const QString befund = pruefling.integrityCheck().trimmed();
    pruefling.close();
    return befundPruefen(befund);
}

Fehler JetKatalog::sichern(const QString& ziel)
{
    if (!m_sperre)
        return nichtGesperrt();
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

Fehler JetKatalog::komprimieren(const QString& quelle, const QString& ziel)
{
    if (!m_sperre || quelle != m_sperrPfad)
        return nichtGesperrt();
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
    // of the schema is carried over, only the free pages are left behind.
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
    return datei.abschliessen();
}

Fehler JetKatalog::zurueckschreiben(const QString& kompakt, const QString& ziel)
{
    if (!m_sperre || ziel != m_sperrPfad)
        return nichtGesperrt();
    Verbindung quelle;
    if (sqlite3_open_v2(QFile::encodeName(kompakt).constData(), &quelle.db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK)
        return {fehlernummer::KeineDatenbank, QStringLiteral("Die Datenbank „%1“ kann nicht geöffnet werden.").arg(kompakt)};
    // The engine's page-by-page transfer runs under the catalogue's journal: a full disk,
    // any other failure or a killed program leaves the catalogue as it was.
    const int rc = uebertragen(m_sperre, quelle.db);
    if (rc != SQLITE_OK)
        return schreibFehler(m_sperre, rc, ziel, QStringLiteral("Das Zurückschreiben"));
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
