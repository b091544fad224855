#include "dbmanager/DatenbankVerwaltung.h"

#include "platform/jet/Schema.h"

#include "dbmanager/Dateisystem.h"
#include "dbmanager/KatalogDatenbank.h"
#include "dbmanager/Protokoll.h"

#include "platform/background/Hintergrund.h"

#include <QFileInfo>
#include <QTimer>

#include <exception>

namespace dbmanager {

namespace {
const QString Nl = QStringLiteral("\n");
}

DatenbankVerwaltung::DatenbankVerwaltung(KatalogDatenbank& db, Dateisystem& dateien,
                                         Protokoll& protokoll, QObject* parent)
    : QObject(parent)
    , m_db(db)
    , m_dateien(dateien)
    , m_protokoll(protokoll)
{
}

DatenbankVerwaltung::~DatenbankVerwaltung() = default;

const QList<NeueSpalte>& DatenbankVerwaltung::neueSpalten()
{
    static const QList<NeueSpalte> spalten = [] {
        QList<NeueSpalte> liste;
        for (const auto& spalte : klang::jet::schema::newerColumns())
            liste.append({spalte.name, spalte.jetType});
        return liste;
    }();
    return spalten;
}

QString DatenbankVerwaltung::groesseText(qint64 bytes, const QLocale& locale)
{
    return locale.toString(double(bytes) / 1024.0 / 1024.0, 'f', 2) + QStringLiteral(" MB");
}

QString DatenbankVerwaltung::nameOhneEndung(const QString& datei)
{
    return QFileInfo(datei).completeBaseName();
}

QString DatenbankVerwaltung::sicherungsDatei() const
{
    return m_datenbankPfad + m_datenbankName + QStringLiteral("_Kopie.mdb");
}

QString DatenbankVerwaltung::tempDatei() const
{
    return m_datenbankPfad + m_datenbankName + QStringLiteral("_temp.mdb");
}

namespace {
// The long work on the catalogue's files (checks, copies, compaction: seconds for a large
// catalogue; removing or replacing a file of hundreds of MB takes the file system a while too)
// runs off the window's thread, so the window and its animation go on; nothing else uses the
// database or these files meanwhile, as the window takes no command while busy.
Fehler engine(const std::function<Fehler()>& arbeit)
{
    Fehler f;
    std::exception_ptr ausnahme;
    klang::imHintergrund([&](const std::atomic_bool&) {
        try {
            f = arbeit();
        } catch (...) {
            ausnahme = std::current_exception(); // reported by the step like any other
        }
    });
    if (ausnahme)
        std::rethrow_exception(ausnahme);
    return f;
}
} // namespace

void DatenbankVerwaltung::setOffen(bool offen)
{
    if (m_offen == offen)
        return;
    m_offen = offen;
    Q_EMIT zustandGeaendert();
}

void DatenbankVerwaltung::rot(const QString& text)
{
    m_protokoll.schreiben(text, farbe::Rot, false);
}

void DatenbankVerwaltung::blau(const QString& text)
{
    m_protokoll.schreiben(text, farbe::Blau, false);
}

Fehler DatenbankVerwaltung::oeffnen(const QString& pfad)
{
    if (m_beschaeftigt)
        return {fehlernummer::DateiZugriff, QStringLiteral("Ein Befehl läuft noch.")};
    m_protokoll.leeren();
    m_db.schliessen();
    setOffen(false);
    if (const Fehler f = m_db.oeffnen(pfad))
        return f;

    const QFileInfo info(pfad);
    m_datenbankDatei = pfad;
    // Commands work on the file itself: a link must stay a link, and the file behind it is
    // the catalogue that is compacted.
    m_echteDatei = info.canonicalFilePath().isEmpty() ? pfad : info.canonicalFilePath();
    m_datenbankPfad = info.absolutePath();
    if (!m_datenbankPfad.endsWith(QLatin1Char('/')))
        m_datenbankPfad += QLatin1Char('/');
    m_datenbankName = nameOhneEndung(pfad);
    m_protokoll.schreiben(m_datenbankDatei + Nl
                              + QStringLiteral("Datenbank geladen, klicken Sie nur auf das Icon "
                                               "Update oder Kompress."),
                          farbe::Schwarz, false);
    setOffen(true);
    return Fehler::keiner();
}

// A red line before the step, the step in the next turn, a blue line after it.
void DatenbankVerwaltung::paar(const QString& vorher, const QString& nachher,
                               std::function<Fehler()> tun)
{
    m_schritte.append([this, vorher] {
        rot(vorher + Nl);
        return Fehler::keiner();
    });
    m_schritte.append([this, nachher, tun = std::move(tun)] {
        if (const Fehler f = tun())
            return f;
        blau(nachher + Nl);
        return Fehler::keiner();
    });
}

// The backup copy: written under a new name first (by the engine, from the locked
// catalogue), then moved over the old backup in one rename, so there is never a moment
// without a complete backup.
void DatenbankVerwaltung::sicherungsSchritte()
{
    const QString sicherung = sicherungsDatei();
    const QString neu = sicherung + QStringLiteral(".neu");
    m_schritte.append([this] {
        rot(QStringLiteral("Datenbank sichern...") + Nl);
        return Fehler::keiner();
    });
    m_schritte.append([this, neu] {
        // A leftover of an interrupted run is an incomplete copy, never a backup.
        return engine([&] {
            if (m_dateien.existiert(neu))
                if (const Fehler f = m_dateien.loeschen(neu))
                    return f;
            if (const Fehler f = m_db.sichern(neu)) {
                if (m_dateien.existiert(neu))
                    m_dateien.loeschen(neu);
                return f;
            }
            return Fehler::keiner();
        });
    });
    m_schritte.append([this, neu, sicherung] {
        const bool alteSicherung = m_dateien.existiert(sicherung);
        if (alteSicherung)
            rot(QStringLiteral("Datenbanksicherung löschen...") + Nl);
        if (const Fehler f = engine([&] {
                Fehler g = m_dateien.ersetzen(neu, sicherung);
                if (g)
                    m_dateien.loeschen(neu);
                return g;
            }))
            return f;
        if (alteSicherung)
            blau(QStringLiteral("Datenbanksicherung gelöscht.") + Nl);
        // Without the backup nothing else may happen to the database.
        if (!m_dateien.existiert(sicherung))
            return Fehler{fehlernummer::DateiNichtGefunden,
                          QStringLiteral("Die Sicherungskopie „%1“ wurde nicht angelegt.").arg(sicherung)};
        blau(QStringLiteral("Datenbank gesichert nach...") + Nl);
        blau(sicherung + Nl);
        return Fehler::keiner();
    });
}

// The database is opened again after a command has replaced or backed it up.
void DatenbankVerwaltung::wiederOeffnenSchritte(const QString& datei)
{
    paar(QStringLiteral("Datenbank öffnen..."), QStringLiteral("Datenbank geöffnet."),
         [this, datei] {
             engine([&] { // ends the exclusive hold of a file just rewritten
                 m_db.entsperren();
                 return Fehler::keiner();
             });
             if (!m_dateien.existiert(datei))
                 return Fehler{fehlernummer::DateiNichtGefunden,
                               QStringLiteral("Datei „%1“ nicht gefunden.").arg(datei)};
             return Fehler::keiner();
         });
    paar(QStringLiteral("Datenbank inizialisieren..."), QStringLiteral("Datenbank inizialisiert."),
         [this, datei] {
             if (const Fehler f = m_db.oeffnen(datei))
                 return f;
             setOffen(true);
             return Fehler::keiner();
         });
}

bool DatenbankVerwaltung::komprimieren()
{
    if (m_beschaeftigt || !m_offen)
        return false;
    const QString datei = m_datenbankDatei;
    const QString echt = m_echteDatei;
    const QString temp = tempDatei();

    starten(QStringLiteral("Datenbank komprimieren"),
            QStringLiteral("Komprimierung der Datenbank gescheitert."), false);
    paar(QStringLiteral("Datenbank prüfen..."), QStringLiteral("Datenbank geprüft."),
         [this, echt] {
             if (const Fehler f = veraenderbar(echt))
                 return f;
             return sperrenUndPruefen(echt);
         });
    paar(QStringLiteral("Datenbank schließen..."), QStringLiteral("Datenbank geschlossen."),
         [this] {
             m_db.schliessen();
             setOffen(false);
             return Fehler::keiner();
         });
    m_schritte.append([this, echt, temp] {
        m_groesseVor = m_dateien.groesse(echt);
        if (m_groesseVor < 0)
            return Fehler{fehlernummer::DateiNichtGefunden,
                          QStringLiteral("Datei „%1“ nicht gefunden.").arg(echt)};
        return tempDateiFrei(temp);
    });
    sicherungsSchritte();
    paar(QStringLiteral("Datenbank komprimieren..."), QStringLiteral("Datenbank komprimiert."),
         [this, echt, temp] {
             return engine([&] {
                 Fehler f = m_db.komprimieren(echt, temp);
                 if (!f)
                     f = m_db.pruefen(temp);
                 if (f)
                     eigeneKopieLoeschen(temp);
                 return f;
             });
         });
    // The compacted data goes back into the catalogue file itself rather than a new file
    // taking its place: owner, group, rights, links and hard links all stay as they were.
    paar(QStringLiteral("Datenbank umbenennen..."), QStringLiteral("Datenbank umbenannt."),
         [this, temp, echt] {
             return engine([&] {
                 const Fehler f = m_db.zurueckschreiben(temp, echt);
                 eigeneKopieLoeschen(temp);
                 return f;
             });
         });
    wiederOeffnenSchritte(datei);
    m_schritte.append([this, echt] {
        const qint64 nach = m_dateien.groesse(echt);
        blau(QStringLiteral("Datenbankgröße vor der Komprimierung: ")
             + groesseText(m_groesseVor, m_locale) + Nl);
        blau(QStringLiteral("Datenbankgröße nach der Komprimierung: ")
             + groesseText(nach, m_locale) + Nl);
        m_protokoll.schreiben(QStringLiteral("Komprimierung erfolgreich beendet!"), farbe::Schwarz, true);
        return Fehler::keiner();
    });
    weiter();
    return true;
}

bool DatenbankVerwaltung::aktualisieren()
{
    if (m_beschaeftigt || !m_offen)
        return false;
    const QString datei = m_datenbankDatei;

    starten(QStringLiteral("Datenbank-Update"), QStringLiteral("Update gescheitert!"), true);
    paar(QStringLiteral("Datenbank prüfen..."), QStringLiteral("Datenbank geprüft."),
         [this] {
             if (const Fehler f = veraenderbar(m_echteDatei))
                 return f;
             if (const Fehler f = grundfelderVorhanden())
                 return f;
             return sperrenUndPruefen(m_echteDatei);
         });
    paar(QStringLiteral("Datenbank schließen..."), QStringLiteral("Datenbank geschlossen."),
         [this] {
             m_db.schliessen();
             setOffen(false);
             return Fehler::keiner();
         });
    sicherungsSchritte();
    wiederOeffnenSchritte(datei);
    for (const NeueSpalte& spalte : neueSpalten()) {
        m_schritte.append([this, spalte] {
            rot(QStringLiteral("Tabellenspalte \"%1\" hinzufügen...").arg(spalte.name) + Nl);
            return Fehler::keiner();
        });
        m_schritte.append([this, spalte] {
            Fehler f;
            const QStringList vorhanden = m_db.spalten(tabelle(), &f);
            if (f)
                return f;
            if (vorhanden.isEmpty())
                return Fehler{fehlernummer::Sql,
                              QStringLiteral("Die Tabelle „%1“ wurde nicht gefunden.").arg(tabelle())};
            // Column names compare without regard to case (Bildpfad = BildPfad).
            if (vorhanden.contains(spalte.name, Qt::CaseInsensitive)) {
                Q_EMIT signalton();
                rot(QStringLiteral("Feld '%1' ist bereits in der Tabelle '%2' vorhanden.")
                        .arg(spalte.name, tabelle())
                    + Nl);
                return Fehler::keiner();
            }
            if (const Fehler g = m_db.spalteHinzufuegen(tabelle(), spalte.name, spalte.typ))
                return g;
            blau(QStringLiteral("Tabellenspalte \"%1\" hinzugefügt.").arg(spalte.name) + Nl);
            return Fehler::keiner();
        });
    }
    m_schritte.append([this] {
        blau(QStringLiteral("Datenbank-Update erfolgreich!") + Nl);
        m_protokoll.schreiben(QStringLiteral("Update beendet") + Nl, farbe::Schwarz, true);
        return Fehler::keiner();
    });
    weiter();
    return true;
}

// Nobody else may write the catalogue from its check to the end of the command's changes
// (backup, compacted copy, write-back). The manager's own connection goes first: a catalogue
// in write-ahead-log mode can be locked only when no connection holds it open. When the lock
// or the check fails, the catalogue is opened again and left as it was.
Fehler DatenbankVerwaltung::sperrenUndPruefen(const QString& echt)
{
    m_db.schliessen();
    Fehler f = m_db.sperren(echt);
    if (!f)
        f = engine([&] { return m_db.pruefen(echt); });
    if (f) {
        m_db.entsperren();
        if (m_db.oeffnen(m_datenbankDatei))
            setOffen(false);
    }
    return f;
}

// The temporary file's name must be free. A compacted copy of an interrupted run (it carries
// this program's mark) may go; a file of that name the program did not make (the user's own,
// or a copy cut short before it was marked) goes only when the user agrees. A link of that
// name goes as a link.
Fehler DatenbankVerwaltung::tempDateiFrei(const QString& temp)
{
    if (!m_dateien.existiert(temp))
        return Fehler::keiner();
    const QFileInfo info(temp);
    const bool eigene = !info.isSymLink() && engine([&] {
        return m_db.eigeneKopie(temp) ? Fehler::keiner() : Fehler{fehlernummer::DateiZugriff, {}};
    }).ok();
    if (!eigene && !info.isSymLink()
        && !(m_rueckfrage
             && m_rueckfrage(QStringLiteral("Neben der Datenbank liegt die Datei „%1“, die nicht von einer "
                                            "Komprimierung dieses Programms stammt. Die Komprimierung braucht "
                                            "ihren Namen.\n\nSoll die Datei gelöscht werden?").arg(temp))))
        return {fehlernummer::DateiZugriff,
                QStringLiteral("Die Datei „%1“ wurde nicht gelöscht, denn sie stammt nicht von diesem Programm. "
                               "Bitte sie umbenennen oder verschieben und den Befehl wiederholen.").arg(temp)};
    rot(QStringLiteral("temponäre Datenbank löschen...") + Nl);
    if (const Fehler f = engine([&] { return m_dateien.loeschen(temp); }))
        return f;
    blau(QStringLiteral("temponäre Datenbank gelöscht.") + Nl);
    return Fehler::keiner();
}

// After a failure or the write-back only the program's own copy is removed.
void DatenbankVerwaltung::eigeneKopieLoeschen(const QString& temp)
{
    if (m_dateien.existiert(temp) && !QFileInfo(temp).isSymLink() && m_db.eigeneKopie(temp))
        m_dateien.loeschen(temp);
}

// A write-protected catalogue is left alone before anything (backup included) is done; a
// catalogue renamed or removed since it was opened is named as such.
Fehler DatenbankVerwaltung::veraenderbar(const QString& datei) const
{
    if (!m_dateien.existiert(datei))
        return {fehlernummer::DateiNichtGefunden,
                QStringLiteral("Die Datenbank „%1“ ist nicht mehr vorhanden: sie wurde umbenannt, verschoben oder "
                               "gelöscht, seit sie geöffnet wurde. Bitte die Datenbank neu öffnen.").arg(datei)};
    if (m_dateien.beschreibbar(datei))
        return Fehler::keiner();
    return {fehlernummer::Schreibgeschuetzt,
            QStringLiteral("Die Datenbank „%1“ ist schreibgeschützt und wird nicht verändert.").arg(datei)};
}

// The update adds the newer columns to a catalogue table; a table that lacks the older
// ones is some other table and is not touched.
Fehler DatenbankVerwaltung::grundfelderVorhanden()
{
    Fehler f;
    const QStringList vorhanden = m_db.spalten(tabelle(), &f);
    if (f)
        return f;
    if (vorhanden.isEmpty())
        return {fehlernummer::FelderFehlen,
                QStringLiteral("Die Tabelle „%1“ fehlt in dieser Datenbank; sie ist kein Katalog "
                               "und wird nicht verändert.").arg(tabelle())};
    QStringList fehlend;
    for (const QString& feld : klang::jet::schema::olderFieldNames()) {
        if (!vorhanden.contains(feld, Qt::CaseInsensitive))
            fehlend << feld;
    }
    if (fehlend.isEmpty())
        return Fehler::keiner();
    return {fehlernummer::FelderFehlen,
            QStringLiteral("Der Tabelle „%1“ fehlen die Grundfelder %2; sie ist kein Katalog und "
                           "wird nicht verändert.").arg(tabelle(), fehlend.join(QStringLiteral(", ")))};
}

void DatenbankVerwaltung::starten(const QString& ueberschrift, const QString& abschlussFehler,
                                  bool tonBeiFehler)
{
    m_tonBeiFehler = tonBeiFehler;
    m_schritte.clear();
    m_index = 0;
    m_abschlussFehler = abschlussFehler;
    m_beschaeftigt = true;
    Q_EMIT beschaeftigtGeaendert(true);
    m_protokoll.leeren();
    m_protokoll.schreiben(ueberschrift + Nl, farbe::Schwarz, true);
}

void DatenbankVerwaltung::weiter()
{
    while (m_index < m_schritte.size()) {
        const Schritt schritt = m_schritte.at(m_index++);
        Fehler f;
        try {
            f = schritt();
        } catch (const std::exception& e) {
            f = {fehlernummer::Sql, QString::fromLocal8Bit(e.what())};
        }
        if (f) {
            scheitern(f);
            return;
        }
        if (m_schrittweise && m_index < m_schritte.size()) {
            QTimer::singleShot(0, this, &DatenbankVerwaltung::weiter);
            return;
        }
    }
    beenden(true);
}

void DatenbankVerwaltung::scheitern(const Fehler& fehler)
{
    if (m_tonBeiFehler)
        Q_EMIT signalton();
    rot(QStringLiteral("Fehlermeldung: %1 %2").arg(fehler.nummer).arg(fehler.text) + Nl);
    m_protokoll.schreiben(m_abschlussFehler, farbe::Rot, true);
    beenden(false);
}

void DatenbankVerwaltung::beenden(bool erfolg)
{
    m_db.entsperren();
    m_schritte.clear();
    m_index = 0;
    m_beschaeftigt = false;
    Q_EMIT beschaeftigtGeaendert(false);
    Q_EMIT fertig(erfolg);
}

} // namespace dbmanager
