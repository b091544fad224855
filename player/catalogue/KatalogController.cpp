#include "player/catalogue/KatalogController.h"

#include "platform/background/Hintergrund.h"

#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Felder.h"
#include "platform/jet/JetFunctions.h"
#include "platform/jet/JetSql.h"
#include "platform/richtext/Rtf.h"
#include "platform/vbcompat/VbCompat.h"

#include <QFontMetrics>
#include <QSet>
#include <QThread>
#include <QThreadPool>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <numeric>

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
    m_model->setDisplayTransform(&KatalogController::zellenText);
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
    connect(m_data1.get(), &jet::DataControl::recordsetReloaded, this, [this] {
        m_lesefehlerGemeldet = false;
        ++m_ansichtStand;
    });
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
    editorenFuellen();
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
    // What the file holds is checked here (quickly); the look through the whole file takes
    // seconds for a large one and runs beside the loading of its view, on other threads. The
    // file is the catalogue only when both found nothing.
    const QString aufbau = katalogPruefen(pfad, false);
    if (!aufbau.isEmpty()) {
        m_abgelehnt = true;
        if (fehler)
            *fehler = jet::DbError{jet::errors::kUnrecognisedFormat, aufbau};
        return false;
    }
    const QString alterPfad = m_data1->databaseName();
    const QString alteQuelle = m_data1->recordSource();
    QString quelle = recordSource;
    if (!ansichtErlaubt(quelle)) {
        quelle = StandardAbfrage;
        m_ansichtZurueckgesetzt = true;
    }
    m_data1->setDatabaseName(pfad);
    m_data1->setRecordSource(quelle);
    jet::DbError e;
    QString befund;
    bool ok = m_data1->refresh(&e, [&befund, pfad] { return befund = dateiDurchsehen(pfad); });
    if (!befund.isEmpty()) {
        // Damaged: the catalogue that was open comes back, and the file is not used.
        m_abgelehnt = true;
        m_ansichtZurueckgesetzt = false;
        if (fehler)
            *fehler = jet::DbError{jet::errors::kUnrecognisedFormat, befund};
        m_data1->setDatabaseName(alterPfad);
        m_data1->setRecordSource(alteQuelle);
        m_data1->refresh();
        return false;
    }
    if (!ok && m_data1->database().isOpen() && quelle != StandardAbfrage) {
        // A stored view that no longer runs (a damaged setting): the default view.
        m_ansichtZurueckgesetzt = true;
        m_data1->setRecordSource(StandardAbfrage);
        ok = m_data1->refresh(&e);
    }
    if (!ok && fehler)
        *fehler = e;
    return ok;
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
    // The direction turns only with a sort that came about: after one given up (Esc) or
    // refused, the next click sorts as that one would have.
    const bool aufsteigend = !m_sortAufsteigend;
    if (!ansichtSetzen(sortierAbfrage(feld, aufsteigend)))
        return false;
    m_sortAufsteigend = aufsteigend;
    return true;
}

QString KatalogController::zellenText(const QString& feld, const QString& wert)
{
    return istRichTextFeld(feld)
               ? richtext::rtfToPlainText(wert, ZellenTextLaenge).replace(QLatin1Char('\n'), QLatin1Char(' '))
               : wert.left(ZellenTextLaenge);
}

namespace {

// The first characters a cell of the field may start with to match the caption: every
// character whose cell text, upper-cased as the letter buttons compare, is the caption.
// Worked out once per field kind and caption over the characters of one UTF-16 unit.
QStringList anfangszeichen(bool reich, const QString& caption)
{
    static QHash<QString, QStringList> bekannt;
    const QString schluessel = (reich ? QStringLiteral("r") : QStringLiteral("p")) + caption;
    auto it = bekannt.constFind(schluessel);
    if (it != bekannt.constEnd())
        return it.value();
    QStringList zeichen;
    for (char32_t u = 1; u <= 0xFFFF; ++u) {
        const QChar c(static_cast<char16_t>(u));
        if (c.isSurrogate())
            continue;
        // A rich text's line end shows as a blank.
        const QString gezeigt = (reich && c == QLatin1Char('\n')) ? QStringLiteral(" ") : QString(c);
        if (gezeigt.toUpper() == caption)
            zeichen << QString(c);
    }
    if (bekannt.size() < 256)
        bekannt.insert(schluessel, zeichen);
    return zeichen;
}

} // namespace

KatalogController::Anfangsfrage KatalogController::anfangsfrage(const QString& feld, const QString& caption) const
{
    Anfangsfrage frage;
    const int spalte = m_model->columnOfField(feld);
    frage.spalte = spalte < 0 ? 0 : spalte;
    const QString name = m_model->fieldOfColumn(frage.spalte);
    if (m_model->rowCount() == 0 || name.isEmpty())
        return frage;
    const bool reich = istRichTextFeld(name);
    const QStringList zeichen = anfangszeichen(reich, caption);
    if (zeichen.isEmpty())
        return frage;
    QString bezeichner = name;
    bezeichner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    bezeichner = QLatin1Char('"') + bezeichner + QLatin1Char('"');
    QStringList platzhalter;
    for (const QString& z : zeichen) {
        platzhalter << QStringLiteral("?");
        frage.werte << z;
    }
    const QString anfang = reich ? QStringLiteral("klartext(%1, 1)").arg(bezeichner)
                                 : QStringLiteral("substr(%1, 1, 1)").arg(bezeichner);
    // A stored picture or other binary value shows as an empty cell.
    frage.bedingung = QStringLiteral("typeof(%1) <> 'blob' AND %2 COLLATE BINARY IN (%3)")
                          .arg(bezeichner, anfang, platzhalter.join(QLatin1Char(',')));
    return frage;
}

int KatalogController::ersteZeileAus(const Anfangsfrage& frage, const QString& caption,
                                     const std::function<int(int ab)>& erste) const
{
    const int gefunden = erste(0);
    // The current row shows an edit not yet written: the grid's text of it counts.
    const jet::Recordset& rs = m_data1->recordset();
    const int aktuell = rs.absolutePosition();
    if (!rs.isDirty() || aktuell < 0 || (gefunden >= 0 && gefunden < aktuell))
        return gefunden;
    const QString text = m_model->data(m_model->index(aktuell, frage.spalte)).toString();
    if (!text.isEmpty() && text.left(1).toUpper() == caption)
        return aktuell;
    if (gefunden != aktuell)
        return gefunden;
    return erste(aktuell + 1);
}

int KatalogController::ersteZeileMit(const QString& feld, const QString& caption) const
{
    // One statement finds the records whose field starts with one of the characters that
    // upper-case to the caption; the view's order then gives the first of them. Reading the
    // grid row by row took seconds for a million records.
    const Anfangsfrage frage = anfangsfrage(feld, caption);
    if (frage.bedingung.isEmpty())
        return -1;
    const jet::Recordset& rs = m_data1->recordset();
    bool gelesen = true;
    const int zeile = ersteZeileAus(frage, caption, [&](int ab) {
        const std::optional<int> z = rs.firstPositionWhere(frage.bedingung, frage.werte, ab);
        gelesen = gelesen && z.has_value();
        return z.value_or(-1);
    });
    if (gelesen)
        return zeile;
    // Not a view of the table (cannot happen for the catalogue): the grid row by row.
    for (int r = 0; r < m_model->rowCount(); ++r) {
        const QString text = m_model->data(m_model->index(r, frage.spalte)).toString();
        if (!text.isEmpty() && text.left(1).toUpper() == caption)
            return r;
    }
    return -1;
}

void KatalogController::ersteZeileMitSuchen(const QString& feld, const QString& caption,
                                            std::function<void(int)> fertig)
{
    const quint64 nummer = ++m_sprungNummer;
    const QString pfad = m_data1->databaseName();
    if (anzahl() <= m_sofortBis || !m_data1->recordset().isUpdatable() || pfad.isEmpty()) {
        fertig(ersteZeileMit(feld, caption));
        return;
    }
    const Anfangsfrage frage = anfangsfrage(feld, caption);
    if (frage.bedingung.isEmpty()) {
        fertig(-1);
        return;
    }
    const QString sql = QStringLiteral("SELECT rowid FROM %1 WHERE %2").arg(TabelleSchallplatten, frage.bedingung);
    auto* waechter = new QFutureWatcher<std::optional<std::vector<qint64>>>(this);
    const quint64 stand = m_ansichtStand;
    connect(waechter, &QFutureWatcherBase::finished, this,
            [this, waechter, nummer, stand, frage, caption, feld, fertig = std::move(fertig)] {
                waechter->deleteLater();
                if (nummer != m_sprungNummer || stand != m_ansichtStand)
                    return; // another jump or another view meanwhile
                const std::optional<std::vector<qint64>> ids = waechter->result();
                if (!ids) {
                    fertig(ersteZeileMit(feld, caption));
                    return;
                }
                const jet::Recordset& rs = m_data1->recordset();
                fertig(ersteZeileAus(frage, caption, [&](int ab) { return rs.firstPositionOfRowIds(*ids, ab); }));
            });
    waechter->setFuture(QtConcurrent::run([pfad, sql, werte = frage.werte]() -> std::optional<std::vector<qint64>> {
        jet::Database db;
        if (!db.open(pfad))
            return std::nullopt;
        db.useLittleMemory();
        std::vector<qint64> ids;
        if (!db.query(sql, werte, [&ids](const QVariantList& zeile) {
                ids.push_back(zeile.value(0).toLongLong());
                return true;
            }))
            return std::nullopt;
        return ids;
    }));
}

int KatalogController::anzahlInterpreten() const
{
    jet::Database& db = m_data1->database();
    if (!db.isOpen())
        return -1;
    const QString sql = QStringLiteral("select count(*) from (select distinct Band collate binary from Schallplatten)");
    // Counted on the connection kept for work off the window's thread (seconds for a large catalogue).
    QVariant n;
    bool gezaehlt = false;
    if (jet::Recordset::offThreadPossible(&db)) {
        const QString pfad = db.path();
        klang::imHintergrund(
            [&](const std::atomic_bool&) {
                gezaehlt = db.withWorkerConnection(pfad, [&](jet::Database& eigene) { n = eigene.scalar(sql); });
            },
            klang::Hintergrund{QStringLiteral("Interpreten werden gezählt ..."), false});
    }
    if (!gezaehlt)
        n = db.scalar(sql);
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

QString KatalogController::dateiDurchsehen(const QString& pfad, const std::atomic_bool* stop)
{
    jet::Database db;
    jet::DbError e;
    if (!db.open(pfad, &e))
        return e.description.isEmpty() ? QStringLiteral("Die Datei kann nicht geöffnet werden.")
                                       : e.description;
    // Damage anywhere in the file shows here, before the catalogue is used (and before it
    // becomes the next start's catalogue or enters the recent list). Read once from start to
    // end: nothing of it is worth keeping in memory.
    db.useLittleMemory();
    const QString befund = db.quickCheck(stop);
    if (befund != QLatin1String("ok")) {
        return QStringLiteral("Die Datei '%1' ist beschädigt und wird nicht geöffnet. Die Datei wurde "
                              "nicht verändert.\n\nBefund der Prüfung: %2")
            .arg(pfad, ersterBefund(befund));
    }
    return QString();
}

QString KatalogController::katalogPruefen(const QString& pfad, bool durchsehen)
{
    jet::Database db;
    jet::DbError e;
    if (!db.open(pfad, &e))
        return e.description.isEmpty() ? QStringLiteral("Die Datei kann nicht geöffnet werden.")
                                       : e.description;
    if (durchsehen) {
        const QString befund = dateiDurchsehen(pfad);
        if (!befund.isEmpty())
            return befund;
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
    QList<QPair<QString, QString>> neu;
    for (int c = 0; c < breiten.size(); ++c) {
        const QString text = QString::number(breiten.at(c));
        if (m_geschriebeneBreiten.value(c) != text) {
            neu.append({QStringLiteral("Spaltenbreite%1").arg(c), text});
            m_geschriebeneBreiten.insert(c, text);
        }
        if (c < m_breiten.size())
            m_breiten[c] = breiten.at(c);
    }
    if (!neu.isEmpty())
        setOptions(neu);
}

QList<int> KatalogController::inhaltsbreiten(const QFont& zellen, const QFont& kopf) const
{
    const QFontMetrics kopfMass(kopf);
    const int spalten = m_model->columnCount();
    QList<int> pixel(spalten, 0);
    QStringList felder;
    for (int c = 0; c < spalten; ++c) {
        felder << m_model->headerData(c, Qt::Horizontal).toString();
        pixel[c] = kopfMass.horizontalAdvance(felder.last());
    }
    const int zeilen = m_model->rowCount();
    // No column gets wider than 10000 twips; a text too short to beat the widest so far
    // (at the widest glyph of the font) needs no measuring.
    const int grenze = klang::vb::twipsToPixels(10000 - 200) + 1;
    const auto messen = [grenze](const QFontMetrics& mass, int breitestesZeichen, QList<int>& breiten, int c,
                                 const QString& text) {
        if (breiten.at(c) >= grenze || text.isEmpty() || qint64(text.size()) * breitestesZeichen <= breiten.at(c))
            return;
        breiten[c] = std::max(breiten.at(c), mass.horizontalAdvance(text));
    };
    if (zeilen >= ZeilenFuerBreitenImHintergrund && klang::hintergrundMoeglich()) {
        // Every row of a large catalogue: its stored values are read in stretches on other
        // threads, each with its own reader and font metrics, while the window goes on (Esc
        // gives up and leaves the widths as they are).
        QList<int> alleSpalten(spalten);
        std::iota(alleSpalten.begin(), alleSpalten.end(), 0);
        const jet::Recordset::RowReader leser = m_model->storedValues(alleSpalten);
        QList<int> alleZeilen(zeilen);
        std::iota(alleZeilen.begin(), alleZeilen.end(), 0);
        const QVector<qint64> ids = m_data1->recordset().rowIds();
        const int strecken = 4 * std::max(1, QThread::idealThreadCount());
        // The widest so far, shared by the threads: a text that cannot beat it is not
        // measured (measuring takes a lock of the font system that all threads share).
        std::vector<std::atomic_int> breitesteBisher(static_cast<std::size_t>(spalten));
        for (int c = 0; c < spalten; ++c)
            breitesteBisher[std::size_t(c)] = pixel.at(c);
        std::atomic_bool fehler{false};
        const bool fertig = klang::imHintergrund(
            [&](const std::atomic_bool& abbrechen) {
                // The order does not matter for a width: the rows are read in the table's
                // order, from one end of the file to the other.
                if (ids.size() == zeilen)
                    std::sort(alleZeilen.begin(), alleZeilen.end(), [&ids](int a, int b) { return ids[a] < ids[b]; });
                QList<int> nummern(strecken);
                std::iota(nummern.begin(), nummern.end(), 0);
                // One core stays free for the window's thread.
                QThreadPool faeden;
                faeden.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
                QtConcurrent::blockingMap(&faeden, nummern, [&](int k) {
                    jet::Recordset::RowReader eigener = leser; // a connection of its own
                    const QFontMetrics mass(zellen);
                    const int breitestesZeichen = qMax(1, mass.maxWidth());
                    std::vector<QSet<QString>> gemessen(static_cast<std::size_t>(spalten)); // values repeat
                    std::vector<QString> werte;
                    const qsizetype ende = qsizetype(zeilen) * (k + 1) / strecken;
                    for (qsizetype von = qsizetype(zeilen) * k / strecken; von < ende && !abbrechen && !fehler;
                         von += 512) {
                        const qsizetype bis = std::min(ende, von + 512);
                        if (!eigener.read(alleZeilen, von, bis, &werte)) {
                            fehler = true;
                            return;
                        }
                        for (qsizetype i = 0; i < qsizetype(werte.size()); ++i) {
                            const int c = int(i % spalten);
                            std::atomic_int& breiteste = breitesteBisher[std::size_t(c)];
                            int bisher = breiteste.load(std::memory_order_relaxed);
                            const QString& wert = werte[std::size_t(i)];
                            // A cell's text is never longer than the stored value (rich text
                            // loses its markup): most values need no plain text at all.
                            if (bisher >= grenze || qint64(wert.size()) * breitestesZeichen <= bisher)
                                continue;
                            const QString text = zellenText(felder.at(c), wert);
                            if (qint64(text.size()) * breitestesZeichen <= bisher)
                                continue;
                            QSet<QString>& schonGemessen = gemessen[std::size_t(c)];
                            if (schonGemessen.contains(text))
                                continue; // not wider than the widest so far
                            if (schonGemessen.size() >= 4096)
                                schonGemessen.clear(); // a column of ever new texts: kept small
                            schonGemessen.insert(text);
                            const int w = mass.horizontalAdvance(text);
                            while (w > bisher && !breiteste.compare_exchange_weak(bisher, w, std::memory_order_relaxed)) {
                            }
                        }
                    }
                });
            },
            klang::Hintergrund{QStringLiteral("Spaltenbreiten werden ermittelt ..."), true, true});
        if (!fertig || fehler)
            return {}; // given up, or the file could not be read: the widths stay
        for (int c = 0; c < spalten; ++c)
            pixel[c] = breitesteBisher[std::size_t(c)].load();
    } else {
        const QFontMetrics zellMass(zellen);
        const int breitestesZeichen = qMax(1, zellMass.maxWidth());
        for (int r = 0; r < zeilen; ++r)
            for (int c = 0; c < spalten; ++c)
                messen(zellMass, breitestesZeichen, pixel, c, m_model->data(m_model->index(r, c)).toString());
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
