#pragma once

// The rules of the database manager without any widget: which database is open, and the
// open, compact and update commands with their step log and busy state.
//
// A command runs as a list of steps. With setSchrittweise(true) (the window) each step runs
// in its own turn of the event loop, so the log is drawn while the command works; the busy
// state refuses every other command meanwhile. Without it (tests) a command runs to its end
// inside the call.

#include "dbmanager/Fehler.h"

#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>

#include <functional>

namespace dbmanager {

class Dateisystem;
class KatalogDatenbank;
class Protokoll;

struct NeueSpalte
{
    QString name;
    QString typ; // the old engine's type: "Memo" or "Text"
};

class DatenbankVerwaltung : public QObject
{
    Q_OBJECT
public:
    DatenbankVerwaltung(KatalogDatenbank& db, Dateisystem& dateien, Protokoll& protokoll,
                        QObject* parent = nullptr);
    ~DatenbankVerwaltung() override;

    // The eight newer columns of the catalogue table, in the order the update adds them.
    static const QList<NeueSpalte>& neueSpalten();
    static QString tabelle() { return QStringLiteral("Schallplatten"); }
    // "0,50 MB" (bytes / 1024 / 1024, two decimals, the locale's decimal separator).
    static QString groesseText(qint64 bytes, const QLocale& locale = QLocale());
    // The file name without the extension after its last dot.
    static QString nameOhneEndung(const QString& datei);

    QString datenbankDatei() const { return m_datenbankDatei; }
    QString datenbankPfad() const { return m_datenbankPfad; }
    QString datenbankName() const { return m_datenbankName; }
    QString sicherungsDatei() const;
    QString tempDatei() const;

    // True while a database is open: only then are update and compact available.
    bool datenbankOffen() const { return m_offen; }
    bool beschaeftigt() const { return m_beschaeftigt; }
    void setSchrittweise(bool schrittweise) { m_schrittweise = schrittweise; }
    // Asks the user a yes/no question (the window: a message box); without it every question
    // is answered no.
    using Rueckfrage = std::function<bool(const QString& frage)>;
    void setRueckfrage(Rueckfrage frage) { m_rueckfrage = std::move(frage); }
    void setLocale(const QLocale& locale) { m_locale = locale; }

    // Releases the open database and opens another; on success the members and the log
    // show it. A failure leaves the log empty, no database open and the members as they were.
    Fehler oeffnen(const QString& pfad);
    // Start the commands; false (and nothing done) while busy or without an open database.
    bool komprimieren();
    bool aktualisieren();

Q_SIGNALS:
    void beschaeftigtGeaendert(bool beschaeftigt);
    void zustandGeaendert();
    void signalton();
    void fertig(bool erfolg);

private:
    using Schritt = std::function<Fehler()>;

    void paar(const QString& vorher, const QString& nachher, std::function<Fehler()> tun);
    void sicherungsSchritte();
    void wiederOeffnenSchritte(const QString& datei);
    Fehler veraenderbar(const QString& datei) const;
    Fehler tempDateiFrei(const QString& temp);
    void eigeneKopieLoeschen(const QString& temp);
    Fehler sperrenUndPruefen(const QString& echt);
    Fehler grundfelderVorhanden();
    void setOffen(bool offen);
    void starten(const QString& ueberschrift, const QString& abschlussFehler, bool tonBeiFehler);
    void weiter();
    void scheitern(const Fehler& fehler);
    void beenden(bool erfolg);
    void rot(const QString& text);
    void blau(const QString& text);

    KatalogDatenbank& m_db;
    Dateisystem& m_dateien;
    Protokoll& m_protokoll;
    QLocale m_locale;

    QString m_datenbankDatei;
    QString m_echteDatei; // the file itself when DatenbankDatei is a symbolic link
    QString m_datenbankPfad;
    QString m_datenbankName;
    bool m_offen = false;
    bool m_beschaeftigt = false;
    bool m_schrittweise = false;
    Rueckfrage m_rueckfrage;

    QList<Schritt> m_schritte;
    qsizetype m_index = 0;
    QString m_abschlussFehler;
    bool m_tonBeiFehler = false;
    qint64 m_groesseVor = 0;
};

} // namespace dbmanager
