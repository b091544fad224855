#include "dbmanager/JetKatalog.h"

#include "platform/jet/Database.h"

#include <QFileInfo>

namespace dbmanager {

namespace {
Fehler aus(const klang::jet::DbError& e)
{
    if (!e.isError())
        return Fehler::keiner();
    return {e.number, e.description};
}
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
    klang::jet::DbError e;
    if (!klang::jet::Database::compactFile(quelle, ziel, &e))
        return e.isError() ? aus(e)
                           : Fehler{fehlernummer::Sql, QStringLiteral("Die Komprimierung ist fehlgeschlagen.")};
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
