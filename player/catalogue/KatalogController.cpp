#include "player/catalogue/KatalogController.h"

#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Felder.h"
#include "platform/vbcompat/VbCompat.h"

#include <QFontMetrics>

namespace klang::player {

KatalogController::KatalogController(QObject* parent)
    : QObject(parent)
    , m_data1(std::make_unique<jet::DataControl>())
    , m_model(std::make_unique<jet::CatalogueTableModel>(m_data1.get()))
{
    connect(m_data1.get(), &jet::DataControl::Reposition, this, &KatalogController::aufReposition);
    connect(m_data1.get(), &jet::DataControl::Validate, this, &KatalogController::aufValidate);
    connect(m_data1.get(), &jet::DataControl::updateFailed, this,
            [this](const jet::DbError& e) { emit schreibfehler(e.text()); });
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
    b.original = m_data1->field(feld);
    if (b.schreiben)
        b.schreiben(b.original);
    m_bindungen.insert(feld, std::move(b));
}

void KatalogController::aufValidate()
{
    if (m_data1->recordset().absolutePosition() < 0)
        return;
    for (const QString& feld : std::as_const(m_bindungsReihenfolge)) {
        Bindung& b = m_bindungen[feld];
        if (!b.lesen || !m_data1->recordset().hasField(feld))
            continue;
        const QString wert = b.lesen();
        if (wert != b.original) {
            m_data1->setField(feld, wert);
            b.original = wert;
        }
    }
}

bool KatalogController::speichern()
{
    aufValidate();
    if (!m_data1->recordset().isDirty())
        return true;
    jet::DbError e;
    const bool ok = m_data1->updateRecord(&e);
    if (!ok)
        emit schreibfehler(e.text());
    return ok;
}

QString KatalogController::feld(const QString& name) const
{
    return m_data1->field(name);
}

void KatalogController::aufReposition()
{
    if (m_repositionUnterdruecken)
        return;
    for (const QString& feld : std::as_const(m_bindungsReihenfolge)) {
        Bindung& b = m_bindungen[feld];
        b.original = m_data1->field(feld);
        if (b.schreiben)
            b.schreiben(b.original);
    }
    emit datensatzGewechselt();
}

bool KatalogController::starten(const QString& pfad, const QString& recordSource, jet::DbError* fehler)
{
    m_data1->setDatabaseName(pfad);
    m_data1->setRecordSource(recordSource);
    jet::DbError e;
    if (m_data1->refresh(&e))
        return true;
    if (!m_data1->database().isOpen()) {
        if (fehler)
            *fehler = e;
        return false;
    }
    // A stored view that no longer runs (a damaged setting): fall back to the default view.
    m_data1->setRecordSource(StandardAbfrage);
    if (m_data1->refresh(&e))
        return true;
    if (fehler)
        *fehler = e;
    return false;
}

bool KatalogController::ansichtSetzen(const QString& recordSource, jet::DbError* fehler)
{
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

QString KatalogController::katalogPruefen(const QString& pfad)
{
    jet::Database db;
    jet::DbError e;
    if (!db.open(pfad, &e))
        return e.description.isEmpty() ? QStringLiteral("Die Datei kann nicht geöffnet werden.")
                                       : e.description;
    if (!db.tableExists(TabelleSchallplatten)) {
        return QStringLiteral("Die Datei enthält keine Tabelle \"Schallplatten\" und ist kein "
                              "Katalog der Klangtruhe.");
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
    const QString pruefung = katalogPruefen(pfad);
    if (!pruefung.isEmpty()) {
        if (fehler) {
            fehler->number = jet::errors::kUnrecognisedFormat;
            fehler->description = pruefung;
        }
        return false;
    }
    const QString alterPfad = m_data1->databaseName();
    const QString alteQuelle = m_data1->recordSource();
    m_data1->setDatabaseName(pfad);
    m_data1->setRecordSource(StandardAbfrage);
    jet::DbError e;
    if (m_data1->refresh(&e))
        return true;
    if (fehler)
        *fehler = e;
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

Tabellenbild KatalogController::anordnen(const Tabellenbild& jetzt)
{
    breitenSpeichern(jetzt.breite);
    return tabelleAnordnen(jetzt, spaltensatzLesen(), m_nichtSortieren);
}

} // namespace klang::player
