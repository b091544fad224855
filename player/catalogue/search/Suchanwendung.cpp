#include "player/catalogue/search/Suchanwendung.h"

#include "platform/jet/DataControl.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Schema.h"

#include <utility>

namespace klang::player {

namespace {

Ersetzergebnis abgelehnt(const QString& text)
{
    Ersetzergebnis e;
    e.fehler = {jet::errors::kGeneral, text};
    return e;
}

QString bezeichner(const QString& feld)
{
    return QLatin1Char('"') + feld + QLatin1Char('"');
}

} // namespace

Ersetzergebnis ersetzen(jet::Database& db, const Suchauftrag& job)
{
    if (job.SuchText.isEmpty())
        return abgelehnt(QStringLiteral("Es fehlt der Text, der ersetzt werden soll."));
    if (job.ErsetzenText.isEmpty())
        return abgelehnt(QStringLiteral("Es fehlt der Text, durch den ersetzt werden soll."));

    QStringList felder;
    for (const QString& teil : job.SuchSpalten.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString feld = teil.trimmed();
        if (!ersetzbaresFeld(feld))
            return abgelehnt(QStringLiteral("In der Spalte '%1' kann nicht ersetzt werden.").arg(feld));
        if (!felder.contains(feld))
            felder << feld;
    }
    if (felder.isEmpty())
        return abgelehnt(QStringLiteral("Es ist keine Spalte zum Ersetzen gewählt."));

    // The records are those of the filtered view: its condition is taken over as it stands.
    const jet::SimpleSource quelle = jet::analyseRecordSource(job.SuchSQL);
    if (!quelle.ok || quelle.table.compare(jet::schema::kTable, Qt::CaseInsensitive) != 0)
        return abgelehnt(QStringLiteral("Die Ansicht der Suche ist keine Abfrage der Tabelle Schallplatten."));

    const QString bedingung = quelle.where.trimmed().isEmpty() ? QString()
                                                                : QStringLiteral(" WHERE ") + quelle.where;
    QStringList spalten;
    for (const QString& feld : felder)
        spalten << bezeichner(feld);
    const QString lesen = QStringLiteral("SELECT rowid, %1 FROM %2%3")
                              .arg(spalten.join(QStringLiteral(", ")), bezeichner(jet::schema::kTable), bedingung);

    Ersetzergebnis e;
    jet::Transaction transaktion(db);
    if (!transaktion.isActive()) {
        e.fehler = db.lastError();
        if (!e.fehler.isError())
            e.fehler = {jet::errors::kGeneral, QStringLiteral("Die Änderung konnte nicht begonnen werden.")};
        return e;
    }

    // Every record of the view is looked at once, on the values it holds now: the first
    // occurrence of the text (compared exactly, case-sensitive) in each chosen column is
    // replaced, and the record is written by its rowid. So each matching record changes once,
    // and a record whose value differs only in letter case stays as it is.
    struct Aenderung
    {
        qint64 rowid;
        QVariantList werte;
    };
    QList<Aenderung> aenderungen;
    const bool gelesen = db.query(lesen, {}, [&](const QVariantList& zeile) {
        Aenderung a{zeile.value(0).toLongLong(), {}};
        bool geaendert = false;
        for (int i = 1; i < zeile.size(); ++i) {
            const QVariant& wert = zeile.at(i);
            QString text = wert.isNull() ? QString() : wert.toString();
            const qsizetype p = wert.isNull() ? -1 : text.indexOf(job.SuchText, 0, Qt::CaseSensitive);
            if (p >= 0) {
                text.replace(p, job.SuchText.size(), job.ErsetzenText);
                a.werte << text;
                geaendert = true;
            } else {
                a.werte << wert;
            }
        }
        if (geaendert)
            aenderungen << a;
        return true;
    }, &e.fehler);
    if (!gelesen)
        return e; // the transaction rolls back

    QStringList setzen;
    for (const QString& s : spalten)
        setzen << s + QStringLiteral(" = ?");
    const QString schreiben = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                  .arg(bezeichner(jet::schema::kTable), setzen.join(QStringLiteral(", ")));
    for (const Aenderung& a : aenderungen) {
        QVariantList parameter = a.werte;
        parameter << a.rowid;
        const int geschrieben = db.executeBound(schreiben, parameter, &e.fehler);
        if (geschrieben < 0)
            return e; // nothing of it stays
        if (geschrieben == 0) {
            e.fehler = {jet::errors::kRecordDeleted,
                        QStringLiteral("Ein Datensatz wurde inzwischen von einem anderen Programm gelöscht; "
                                       "es wurde nichts ersetzt.")};
            return e;
        }
    }
    if (!transaktion.commit(&e.fehler))
        return e;
    e.ok = true;
    e.datensaetze = int(aenderungen.size());
    return e;
}

QString ersetztMeldung(int datensaetze)
{
    return QString::number(datensaetze) + QStringLiteral(" Datensätze ersetzt!");
}

Suchbefehl::Ergebnis Suchbefehl::anwenden(jet::DataControl& data1)
{
    Ergebnis e;
    const Suchauftrag job = std::exchange(m_auftrag, Suchauftrag());
    if (job.SongSucheAktiv && job.SongBewertungMarke.startsWith(QStringLiteral(" - "))) {
        e.art = Ergebnis::Songsuche;
        e.songBewertungMarke = job.SongBewertungMarke;
        return e;
    }
    if (job.SuchSQL.isEmpty())
        return e;

    const QString vorher = data1.recordSource();
    data1.setRecordSource(job.SuchSQL);
    if (!data1.refresh(&e.fehler)) {
        // A view that cannot run is not kept: the table goes back to what it showed (a view
        // given up with Esc never left it).
        if (data1.recordSource() == vorher)
            return e;
        const jet::DbError fehler = e.fehler;
        data1.setRecordSource(vorher);
        data1.refresh();
        e.fehler = fehler;
        return e;
    }
    e.art = Ergebnis::Gefiltert;
    e.tabellenName = job.TabellenName;
    e.recordSource = data1.recordSource();

    if (!job.ErsetzenText.isEmpty()) {
        const Ersetzergebnis r = ersetzen(data1.database(), job);
        if (!r.ok) {
            e.fehler = r.fehler;
            return e;
        }
        e.ersetzt = r.datensaetze > 0;
        e.anzahl = r.datensaetze;
        if (e.ersetzt)
            data1.recordset().invalidateCache();
    }
    return e;
}

QString playlistDateiname(const QString& antwort, QString* fehler)
{
    if (fehler)
        fehler->clear();
    if (antwort.isEmpty())
        return QString();
    bool gueltig = antwort != QLatin1String(".") && antwort != QLatin1String("..")
                   && !antwort.contains(QLatin1Char('/')) && !antwort.contains(QLatin1Char('\\'));
    for (const QChar c : antwort) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            gueltig = false;
    }
    QString name = antwort;
    if (!name.endsWith(QStringLiteral(".txt")))
        name += QStringLiteral(".txt");
    if (gueltig && name.toUtf8().size() > 255) {
        if (fehler)
            *fehler = QStringLiteral("Dieser Name ist zu lang für einen Dateinamen:") + QLatin1Char('\n') + antwort
                      + QLatin1Char('\n')
                      + QStringLiteral("Ein Dateiname hat höchstens 255 Bytes (mit „.txt“; ein Umlaut zählt zwei).");
        return QString();
    }
    if (!gueltig) {
        if (fehler)
            *fehler = QStringLiteral("Dieser Name kann nicht als Dateiname einer Playlist dienen:") + QLatin1Char('\n')
                      + antwort + QLatin1Char('\n')
                      + QStringLiteral("Bitte ohne \"/\" und \"\\\" und nicht \".\" oder \"..\".");
        return QString();
    }
    return name;
}

QString playlistUeberschreibenFrage(const QString& name)
{
    return QStringLiteral("Diese Playlist existiert bereits, überschreiben?") + QStringLiteral("\n\n") + name
           + QLatin1Char('\n');
}

} // namespace klang::player
