#include "dbmanager/JetKatalog.h"

#include "dbmanager/Dateisystem.h"

#include "platform/jet/Database.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

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

} // namespace

JetKatalog::JetKatalog()
    : m_db(std::make_unique<klang::jet::Database>())
{
}

JetKatalog::~JetKatalog() = default;

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

Fehler JetKatalog::pruefen(const QString& pfad)
{
    klang::jet::Database pruefling;
    klang::jet::DbError e;
    if (!pruefling.open(pfad, &e))
        return e.isError() ? aus(e)
                           : Fehler{fehlernummer::Beschaedigt,
                                    QStringLiteral("Die Datenbank „%1“ kann nicht geprüft werden.").arg(pfad)};
    const QString befund = pruefling.integrityCheck().trimmed();
    pruefling.close();
    if (befund.compare(QStringLiteral("ok"), Qt::CaseInsensitive) != 0)
        return {fehlernummer::Beschaedigt,
                QStringLiteral("Die Datenbank ist beschädigt und wird nicht verändert (%1).")
                    .arg(befund.left(300).replace(QLatin1Char('\n'), QStringLiteral("; ")))};
    return Fehler::keiner();
}

Fehler JetKatalog::komprimieren(const QString& quelle, const QString& ziel)
{
    if (QFileInfo::exists(ziel))
        return {fehlernummer::DateiZugriff, QStringLiteral("Die Zieldatei „%1“ ist schon vorhanden.").arg(ziel)};
    Verbindung v;
    int rc = sqlite3_open_v2(QFile::encodeName(quelle).constData(), &v.db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK)
        return {fehlernummer::KeineDatenbank, QStringLiteral("Die Datenbank „%1“ kann nicht geöffnet werden.").arg(quelle)};
    sqlite3_busy_timeout(v.db, 2000);
    // Indexes over the catalogue's collation or functions are rebuilt with them.
    klang::jet::registerJetSemantics(v.db);
    // The copy is made by the engine's own compaction: every table, index, view and trigger
    // of the schema is carried over, only the free pages are left behind.
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(v.db, "VACUUM INTO ?1", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray z = QFile::encodeName(ziel);
        sqlite3_bind_text(st, 1, z.constData(), int(z.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
        else
            rc = sqlite3_extended_errcode(v.db);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_OK)
        return schreibFehler(v.db, rc, ziel, QStringLiteral("Die Komprimierung"));
    return Fehler::keiner();
}

Fehler JetKatalog::zurueckschreiben(const QString& kompakt, const QString& ziel)
{
    Verbindung quelle;
    Verbindung nach;
    if (sqlite3_open_v2(QFile::encodeName(kompakt).constData(), &quelle.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return {fehlernummer::KeineDatenbank, QStringLiteral("Die Datenbank „%1“ kann nicht geöffnet werden.").arg(kompakt)};
    int rc = sqlite3_open_v2(QFile::encodeName(ziel).constData(), &nach.db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK)
        return schreibFehler(nach.db, rc, ziel, QStringLiteral("Das Öffnen"));
    sqlite3_busy_timeout(nach.db, 2000);
    // The engine's page-by-page transfer runs under its journal: a full disk or any other
    // failure rolls the file back to the catalogue as it was.
    sqlite3_backup* b = sqlite3_backup_init(nach.db, "main", quelle.db, "main");
    if (!b)
        return schreibFehler(nach.db, sqlite3_extended_errcode(nach.db), ziel, QStringLiteral("Das Zurückschreiben"));
    rc = sqlite3_backup_step(b, -1);
    const int ende = sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE)
        return schreibFehler(nach.db, rc, ziel, QStringLiteral("Das Zurückschreiben"));
    if (ende != SQLITE_OK)
        return schreibFehler(nach.db, ende, ziel, QStringLiteral("Das Zurückschreiben"));
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
