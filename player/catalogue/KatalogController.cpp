#include "player/catalogue/KatalogController.h"

#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Felder.h"
#include "platform/jet/JetFunctions.h"
#include "platform/jet/JetSql.h"
#include "platform/richtext/Rtf.h"
#include "platform/vbcompat/VbCompat.h"

#include <QFontMetrics>

namespace klang::player {

KatalogController::KatalogController(QObject* parent)
    : QObject(parent)
    , m_data1(std::make_unique<jet::DataControl>())
    , m_model(std::make_unique<jet::CatalogueTableModel>(m_data1.get()))
{
    // Views sort and filter rich-text fields by their plain text (Klartext() in a view).
    jet::setKlartextFunktion([](const QString& wert, qsizetype laenge) {
        return richtext::rtfToPlainText(wert, laenge);
    });
    connect(m_data1.get(), &jet::DataControl::Reposition, this, &KatalogController::aufReposition);
    connect(m_data1.get(), &jet::DataControl::Validate, this, &KatalogController::aufValidate);
    connect(m_data1.get(), &jet::DataControl::updateFailed, this, [this](const jet::DbError& e) {
        // The editors keep the edit; it is handed in again at the next attempt.
        for (Bindung& b : m_bindungen)
            b.hatUebergeben = false;
        emit schreibfehler(e);
    });
    connect(m_data1.get(), &jet::DataControl::recordUpdated, this, [this] {
        for (Bindung& b : m_bindungen) {
            if (b.hatUebergeben)
                b.gezeigt = b.uebergeben;
            b.hatUebergeben = false;
        }
        m_geschrieben = true;
    });
    connect(m_data1.get(), &jet::DataControl::updateConflict, this,
            [this](const jet::DbError& e, jet::ConflictChoice* wahl) {
                if (m_konfliktFrage)
                    *wahl = m_konfliktFrage(e);
            });
    connect(m_data1.get(), &jet::DataControl::rowReloaded, this, &KatalogController::editorenFuellen);
    connect(m_data1.get(), &jet::DataControl::recordsetReloaded, this, [this] { m_lesefehlerGemeldet = false; });
    for (int i = 0; i < SpaltensatzAnzahl; ++i)
        m_breiten << StandardSpaltenbreite;
}

KatalogController::~KatalogController()
{
    // The model reads the data control: it goes first.
    m_model.reset();
}

void KatalogController::binden(const QString& feld, Lesen lesen, Schreiben schreiben)
{
    if (!m_bindungen.contains(feld))
        m_bindungsReihenfolge << feld;
    Bindung b;
    b.lesen = std::move(lesen);
    b.schreiben = std::move(schreiben);
    const QString wert = m_data1->field(feld);
    if (b.schreiben)
        b.schreiben(wert);
    b.gezeigt = b.lesen ? b.lesen() : wert;
    m_bindungen.insert(feld, std::move(b));
}

void KatalogController::aufValidate()
{
    auto& rs = m_data1->recordset();
    if (rs.absolutePosition() < 0 || !rs.isCurrentRowReadable())
        return;
    for (const QString& feld : std::as_const(m_bindungsReihenfolge)) {
        Bindung& b = m_bindungen[feld];
        b.hatUebergeben = false;
        if (!b.lesen || !rs.hasField(feld))
            continue;
        const QString wert = b.lesen();
        if (wert == b.gezeigt)
            continue; // not edited: the stored value stays untouched
        if (m_data1->setField(feld, wert)) {
            b.uebergeben = wert;
            b.hatUebergeben = true;
        }
    }
}

bool KatalogController::speichern()
{
    if (m_data1->recordset().absolutePosition() < 0)
        return true;
    m_geschrieben = false;
    if (!m_data1->leaveRow())
        return false;
    // The record stays on screen: it shows what is stored now, also what other programs
    // changed in its other fields, so no stale value is edited later.
    if (m_geschrieben)
        editorenFuellen();
    return true;
}

void KatalogController::bearbeitungVerwerfen()
{
    // Read again: another program may have changed the record meanwhile.
    m_data1->recordset().cancelUpdate();
    m_data1->recordset().invalidateCache();
    m_data1->recordset().rememberLoadedRow();
    editorenFuellen();
}

void KatalogController::editorenFuellen()
{
    for (const QString& feld : std::as_const(m_bindungsReihenfolge)) {
        Bindung& b = m_bindungen[feld];
        const QString wert = m_data1->field(feld);
        if (b.schreiben)
            b.schreiben(wert);
        b.gezeigt = b.lesen ? b.lesen() : wert;
        b.hatUebergeben = false;
    }
}

QString KatalogController::feld(const QString& name) const
{
    return m_data1->field(name);
}

QString KatalogController::schreibschutz() const
{
    const jet::Database& db = m_data1->database();
    if (!db.isOpen())
        return QString();
    if (db.isReadOnly())
        return QStringLiteral("Nur lesen: Die Datenbankdatei oder ihr Ordner ist schreibgeschützt. "
                              "Änderungen sind nicht möglich.");
    const jet::Recordset& rs = m_data1->recordset();
    if (rs.isOpen() && !rs.isUpdatable())
        return QStringLiteral("Nur lesen: Diese Ansicht kann nicht geändert werden.");
    if (rs.absolutePosition() >= 0 && !rs.isCurrentRowReadable())
        return rs.isBusy() ? QStringLiteral("Nur lesen: Der Katalog wird gerade von einem anderen Programm "
                                            "benutzt (gesperrt).")
                           : QStringLiteral("Nur lesen: Dieser Datensatz konnte nicht gelesen werden.");
    return QString();
}

void KatalogController::aufReposition()
{
    if (m_repositionUnterdruecken)
        return;
    for (const QString& feld : std::as_const(m_bindungsReihenfolge)) {
        Bindung& b = m_bindungen[feld];
        const QString wert = m_data1->field(feld);
        if (b.schreiben)
            b.schreiben(wert);
        b.gezeigt = b.lesen ? b.lesen() : wert;
        b.hatUebergeben = false;
    }
    const jet::Recordset& rs = m_data1->recordset();
    if (rs.absolutePosition() >= 0 && !rs.isCurrentRowReadable() && !m_lesefehlerGemeldet) {
        m_lesefehlerGemeldet = true;
        emit lesefehler(rs.readError());
    }
    emit datensatzGewechselt();
}

bool KatalogController::ansichtErlaubt(const QString& recordSource)
{
    const jet::SimpleSource s = jet::analyseRecordSource(recordSource);
    return s.ok && s.table.compare(TabelleSchallplatten, Qt::CaseInsensitive) == 0;
}

bool KatalogController::oeffnen(const QString& pfad, const QString& recordSource, jet::DbError* fehler)
{
    m_abgelehnt = false;
    m_ansichtZurueckgesetzt = false;
    if (!speichern()) {
        if (fehler)
            *fehler = {};
        return false;
    }
    const QString pruefung = katalogPruefen(pfad);
    if (!pruefung.isEmpty()) {
        m_abgelehnt = true;
        if (fehler)
            *fehler = jet::DbError{jet::errors::kUnrecognisedFormat, pruefung};
        return false;
    }
    QString quelle = recordSource;
    if (!ansichtErlaubt(quelle)) {
        quelle = StandardAbfrage;
        m_ansichtZurueckgesetzt = true;
    }
    m_data1->setDatabaseName(pfad);
    m_data1->setRecordSource(quelle);
    jet::DbError e;
    if (m_data1->refresh(&e))
        return true;
    if (m_data1->database().isOpen() && quelle != StandardAbfrage) {
        // A stored view that no longer runs (a damaged setting): the default view.
        m_ansichtZurueckgesetzt = true;
        m_data1->setRecordSource(StandardAbfrage);
        if (m_data1->refresh(&e))
            return true;
    }
    if (fehler)
        *fehler = e;
    return false;
}

bool KatalogController::starten(const QString& pfad, const QString& recordSource, jet::DbError* fehler)
{
    return oeffnen(pfad, recordSource, fehler);
}

bool KatalogController::ansichtSetzen(const QString& recordSource, jet::DbError* fehler)
{
    if (!speichern()) {
        if (fehler)
            *fehler = {};
        return false;
    }
    if (!ansichtErlaubt(recordSource)) {
        if (fehler)
            *fehler = jet::DbError{jet::errors::kNotAQuery,
                                   QStringLiteral("Die Ansicht ist keine Abfrage auf die Tabelle "
                                                  "\"Schallplatten\" und wird nicht ausgeführt.")};
        return false;
    }
    m_data1->setRecordSource(recordSource);
    jet::DbError e;
    if (m_data1->refresh(&e))
        return true;
    if (fehler)
        *fehler = e;
    return false;
}

bool KatalogController::standardAnsicht(jet::DbError* fehler)
{
    return ansichtSetzen(StandardAbfrage, fehler);
}

bool KatalogController::filtern(const QString& spalte, int index, jet::DbError* fehler)
{
    const QString sql = buchstabenFilter(spalte, index);
    if (sql.isEmpty()) {
        if (fehler) {
            fehler->number = jet::errors::kSyntax;
            fehler->description = QStringLiteral("Die Spalte \"%1\" gibt es nicht.").arg(spalte);
        }
        return false;
    }
    return ansichtSetzen(sql, fehler);
}

bool KatalogController::sortieren(const QString& feld)
{
    if (!istTextFeld(feld))
        return false;
    m_sortAufsteigend = !m_sortAufsteigend;
    return ansichtSetzen(sortierAbfrage(feld, m_sortAufsteigend));
}

int KatalogController::ersteZeileMit(const QString& feld, const QString& caption) const
{
    const int spalte = m_model->columnOfField(feld);
    const int c = spalte < 0 ? 0 : spalte;
    const int n = m_model->rowCount();
    for (int r = 0; r < n; ++r) {
        const QString text = m_model->data(m_model->index(r, c)).toString();
        if (!text.isEmpty() && text.left(1).toUpper() == caption)
            return r;
    }
    return -1;
}

int KatalogController::anzahlInterpreten() const
{
    if (!m_data1->database().isOpen())
        return -1;
    const QVariant n = m_data1->database().scalar(
        QStringLiteral("select count(*) from (select distinct Band collate binary from Schallplatten)"));
    return n.isValid() ? n.toInt() : -1;
}

namespace {
// The first finding of a check, without SQLite's heading line.
QString ersterBefund(const QString& befund)
{
    for (const QString& zeile : befund.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!zeile.startsWith(QLatin1String("***")))
            return zeile.trimmed();
    }
    return befund.trimmed();
}
} // namespace

QString KatalogController::katalogPruefen(const QString& pfad)
{
    jet::Database db;
    jet::DbError e;
    if (!db.open(pfad, &e))
        return e.description.isEmpty() ? QStringLiteral("Die Datei kann nicht geöffnet werden.")
                                       : e.description;
    // Damage anywhere in the file shows here, before the catalogue is used (and before it
    // becomes the next start's catalogue or enters the recent list).
    const QString befund = db.quickCheck();
    if (befund != QLatin1String("ok")) {
        return QStringLiteral("Die Datei '%1' ist beschädigt und wird nicht geöffnet. Die Datei wurde "
                              "nicht verändert.\n\nBefund der Prüfung: %2")
            .arg(pfad, ersterBefund(befund));
    }
    if (!db.tableExists(TabelleSchallplatten)) {
        return QStringLiteral("Die Datei enthält keine Tabelle \"Schallplatten\" und ist kein "
                              "Katalog der Klangtruhe.");
    }
    // A view of that name shows records that cannot be written back.
    const QString art = db.scalar(QStringLiteral("SELECT type FROM sqlite_master WHERE lower(name) = lower(?)"),
                                  {TabelleSchallplatten}).toString();
    if (art != QLatin1String("table")) {
        return QStringLiteral("\"Schallplatten\" ist in dieser Datei keine Tabelle, sondern eine Abfrage "
                              "(Sicht); ihre Datensätze können nicht bearbeitet werden. Die Datei wird nicht "
                              "geöffnet.");
    }
    const QStringList fehlend = fehlendeFelder(db.columns(TabelleSchallplatten));
    if (!fehlend.isEmpty()) {
        return QStringLiteral("In der Tabelle \"Schallplatten\" fehlen die Felder:\n%1\n\n"
                              "Der Datenbankmanager ergänzt sie (Datenbank aktualisieren).")
            .arg(fehlend.join(QStringLiteral(", ")));
    }
    return QString();
}

bool KatalogController::wechseln(const QString& pfad, jet::DbError* fehler)
{
    const QString alterPfad = m_data1->databaseName();
    const QString alteQuelle = m_data1->recordSource();
    if (oeffnen(pfad, StandardAbfrage, fehler))
        return true;
    if (m_abgelehnt || m_data1->databaseName() == alterPfad)
        return false; // refused before anything changed
    // Back to the catalogue that was open.
    m_data1->setDatabaseName(alterPfad);
    m_data1->setRecordSource(alteQuelle);
    m_data1->refresh();
    return false;
}

void KatalogController::zeileGewaehlt(int zeile)
{
    if (m_repositionUnterdruecken || zeile < 0)
        return;
    if (zeile == m_data1->absolutePosition())
        return;
    m_data1->setAbsolutePosition(zeile);
}

int KatalogController::anzahl() const
{
    return m_data1->recordCount();
}

QString KatalogController::anzahlText() const
{
    return QStringLiteral("Tonträger:") + klang::vb::Str(anzahl());
}

QStringList KatalogController::spaltensatzLesen()
{
    QStringList satz;
    for (int k = 0; k < SpaltensatzAnzahl; ++k)
        satz << option(QStringLiteral("TabelleAnordnenCaption%1").arg(k), standardSpaltenEintrag(k));
    return satz;
}

void KatalogController::breitenLesen()
{
    for (int i = 0; i < SpaltensatzAnzahl; ++i) {
        // A missing key reads as the default but is still written on the next save.
        const QString fehlt = QStringLiteral("\x01");
        const QString text = option(QStringLiteral("Spaltenbreite%1").arg(i), fehlt);
        if (text == fehlt) {
            m_breiten[i] = StandardSpaltenbreite;
            m_geschriebeneBreiten.remove(i);
        } else {
            m_breiten[i] = spaltenbreiteAusText(text, m_breiten.at(i));
            m_geschriebeneBreiten.insert(i, text);
        }
    }
}

void KatalogController::breitenSpeichern(const QList<int>& breiten)
{
    for (int c = 0; c < breiten.size(); ++c) {
        const QString text = QString::number(breiten.at(c));
        if (m_geschriebeneBreiten.value(c) != text) {
            setOption(QStringLiteral("Spaltenbreite%1").arg(c), text);
            m_geschriebeneBreiten.insert(c, text);
        }
        if (c < m_breiten.size())
            m_breiten[c] = breiten.at(c);
    }
}

QList<int> KatalogController::inhaltsbreiten(const QFont& zellen, const QFont& kopf) const
{
    const QFontMetrics zellMass(zellen);
    const QFontMetrics kopfMass(kopf);
    const int spalten = m_model->columnCount();
    QList<int> pixel(spalten, 0);
    for (int c = 0; c < spalten; ++c)
        pixel[c] = kopfMass.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString());
    const int zeilen = m_model->rowCount();
    // No column gets wider than 10000 twips; a text too short to beat the widest so far
    // (at the widest glyph of the font) needs no measuring.
    const int grenze = klang::vb::twipsToPixels(10000 - 200) + 1;
    const int breitestesZeichen = qMax(1, zellMass.maxWidth());
    for (int r = 0; r < zeilen; ++r) {
        for (int c = 0; c < spalten; ++c) {
            if (pixel.at(c) >= grenze)
                continue;
            const QString text = m_model->data(m_model->index(r, c)).toString();
            if (text.isEmpty() || qint64(text.size()) * breitestesZeichen <= pixel.at(c))
                continue;
            const int w = zellMass.horizontalAdvance(text);
            if (w > pixel.at(c))
                pixel[c] = w;
        }
    }
    QList<int> twips;
    for (int c = 0; c < spalten; ++c)
        twips << qMin(klang::vb::pixelsToTwips(pixel.at(c)) + 200, 10000);
    return twips;
}

Tabellenbild KatalogController::anordnen(const Tabellenbild& jetzt, bool platzieren)
{
    breitenSpeichern(jetzt.breite);
    return tabelleAnordnen(jetzt, spaltensatzLesen(), m_nichtSortieren && !platzieren);
}

} // namespace klang::player
