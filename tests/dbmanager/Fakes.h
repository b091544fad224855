#pragma once

// Test doubles for the database manager's rules: a log that records, a file system and a
// database that fail on request.

#include "dbmanager/Dateisystem.h"
#include "dbmanager/KatalogDatenbank.h"
#include "dbmanager/Protokoll.h"
#include "platform/jet/Schema.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <QThread>

namespace dbmanager::test {

struct Eintrag
{
    QString text;
    quint32 farbe = 0;
    bool fett = false;
};

class AufzeichnendesProtokoll : public Protokoll
{
public:
    void leeren() override { eintraege.clear(); }
    void schreiben(const QString& text, quint32 farbe, bool fett) override { eintraege.append({text, farbe, fett}); }
    QString text() const
    {
        QString t;
        for (const Eintrag& e : eintraege)
            t += e.text;
        return t;
    }
    // Red lines that announce a step ("...").
    int schritte() const
    {
        int n = 0;
        for (const Eintrag& e : eintraege)
            if (e.farbe == farbe::Rot && e.text.endsWith(QStringLiteral("...\n")))
                ++n;
        return n;
    }
    QList<Eintrag> eintraege;
};

// The real file system, failing the n-th call of one operation (1-based).
class StoerDateisystem : public EchtesDateisystem
{
public:
    QString stoerung; // "kopieren", "ersetzen", "loeschen"
    int beiAufruf = 1;
    bool kopieTeilweise = false; // a failing copy leaves half a file (full disk)

    Fehler kopieren(const QString& von, const QString& nach) override
    {
        if (trifft(QStringLiteral("kopieren"))) {
            if (kopieTeilweise) {
                QFile f(nach);
                if (f.open(QIODevice::WriteOnly))
                    f.write("half");
            }
            return {61, QStringLiteral("Datenträger voll")};
        }
        return EchtesDateisystem::kopieren(von, nach);
    }
    Fehler ersetzen(const QString& von, const QString& nach) override
    {
        if (trifft(QStringLiteral("ersetzen")))
            return {75, QStringLiteral("Zugriff verweigert")};
        return EchtesDateisystem::ersetzen(von, nach);
    }
    Fehler loeschen(const QString& pfad) override
    {
        if (trifft(QStringLiteral("loeschen")))
            return {75, QStringLiteral("Zugriff verweigert")};
        return EchtesDateisystem::loeschen(pfad);
    }

private:
    bool trifft(const QString& op)
    {
        if (op != stoerung)
            return false;
        return ++m_zaehler[op] == beiAufruf;
    }
    QHash<QString, int> m_zaehler;
};

// A database whose files are text files starting with "FAKEDB"; columns live in memory.
class FakeDatenbank : public KatalogDatenbank
{
public:
    QStringList spaltenListe = klang::jet::schema::olderFieldNames();
    // "oeffnen", "sperren", "pruefen", "sichern", "komprimieren", "zurueckschreiben",
    // "spalte:<Name>", "zweitesOeffnen"
    QString stoerung;
    int oeffnenAufrufe = 0;
    QString gesperrt; // the file locked by sperren()
    int dauerMs = 0;  // how long the engine's long operations take (a large catalogue)

    void dauern() const
    {
        if (dauerMs > 0)
            QThread::msleep(static_cast<unsigned long>(dauerMs));
    }

    Fehler oeffnen(const QString& pfad) override
    {
        ++oeffnenAufrufe;
        if (stoerung == QLatin1String("oeffnen") || (stoerung == QLatin1String("zweitesOeffnen") && oeffnenAufrufe == 2))
            return {3051, QStringLiteral("kann nicht öffnen")};
        QFile f(pfad);
        if (!f.open(QIODevice::ReadOnly))
            return {3024, QStringLiteral("Datei nicht gefunden")};
        if (!f.read(6).startsWith("FAKEDB"))
            return {3343, QStringLiteral("Nicht erkennbares Datenbankformat")};
        m_offen = pfad;
        return {};
    }
    void schliessen() override { m_offen.clear(); }
    bool istOffen() const override { return !m_offen.isEmpty(); }
    Fehler sperren(const QString& pfad) override
    {
        if (stoerung == QLatin1String("sperren"))
            return {3260, QStringLiteral("wird von einem anderen Programm benutzt")};
        gesperrt = pfad;
        return {};
    }
    void entsperren() override { gesperrt.clear(); }
    // A half-written backup on a full disk.
    Fehler sichern(const QString& ziel) override
    {
        dauern();
        QFile q(gesperrt);
        QFile z(ziel);
        if (gesperrt.isEmpty() || !q.open(QIODevice::ReadOnly) || !z.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return {75, QStringLiteral("kann nicht sichern")};
        if (stoerung == QLatin1String("sichern")) {
            z.write("half");
            return {61, QStringLiteral("Datenträger voll")};
        }
        z.write(q.readAll());
        return {};
    }
    Fehler pruefen(const QString& pfad) override
    {
        dauern();
        QFile f(pfad);
        if (stoerung == QLatin1String("pruefen") || !f.open(QIODevice::ReadOnly) || f.readAll().contains("DAMAGED"))
            return {3049, QStringLiteral("beschädigt")};
        return {};
    }
    Fehler komprimieren(const QString& quelle, const QString& ziel) override
    {
        dauern();
        QFile q(quelle);
        QFile z(ziel);
        if (quelle != gesperrt || !q.open(QIODevice::ReadOnly) || !z.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return {3000, QStringLiteral("kann nicht komprimieren")};
        const QByteArray inhalt = q.readAll();
        if (stoerung == QLatin1String("komprimieren")) {
            // Like the real one, a copy cut short (never marked) is removed by its maker.
            z.write(inhalt.left(3));
            z.remove();
            return {3000, QStringLiteral("Komprimierung abgebrochen")};
        }
        z.write(inhalt.left(inhalt.indexOf("#")) + "#kompakt");
        return {};
    }
    // The fake's copies start with its mark (also a copy cut short).
    bool eigeneKopie(const QString& pfad) const override
    {
        QFile f(pfad);
        return f.open(QIODevice::ReadOnly) && f.read(4) == "FAKE";
    }
    Fehler zurueckschreiben(const QString& kompakt, const QString& ziel) override
    {
        dauern();
        QFile q(kompakt);
        QFile z(ziel);
        if (stoerung == QLatin1String("zurueckschreiben"))
            return {61, QStringLiteral("Der Datenträger ist voll")};
        if (ziel != gesperrt)
            return {3000, QStringLiteral("nicht gesperrt")};
        if (!q.open(QIODevice::ReadOnly) || !z.open(QIODevice::WriteOnly | QIODevice::ExistingOnly))
            return {3027, QStringLiteral("kann nicht schreiben")};
        z.write(q.readAll());
        return {};
    }
    QStringList spalten(const QString&, Fehler* fehler) override
    {
        if (m_offen.isEmpty() && fehler)
            *fehler = {91, QStringLiteral("keine Datenbank")};
        return spaltenListe;
    }
    Fehler spalteHinzufuegen(const QString&, const QString& spalte, const QString&) override
    {
        if (stoerung == QStringLiteral("spalte:") + spalte)
            return {3000, QStringLiteral("Datenträger voll")};
        spaltenListe.append(spalte);
        return {};
    }

private:
    QString m_offen;
};

} // namespace dbmanager::test
