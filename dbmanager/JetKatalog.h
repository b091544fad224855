#pragma once

// The catalogue database of the database manager on the jet layer (SQLite).

#include "dbmanager/KatalogDatenbank.h"

#include <memory>

#include <sys/types.h>

struct sqlite3;

namespace klang::jet {
class Database;
}

namespace dbmanager {

class JetKatalog : public KatalogDatenbank
{
public:
    JetKatalog();
    ~JetKatalog() override;

    Fehler oeffnen(const QString& pfad) override;
    void schliessen() override;
    bool istOffen() const override;
    Fehler sperren(const QString& pfad) override;
    void entsperren() override;
    Fehler pruefen(const QString& pfad) override;
    Fehler sichern(const QString& ziel) override;
    Fehler komprimieren(const QString& quelle, const QString& ziel) override;
    bool eigeneKopie(const QString& pfad) const override;
    Fehler zurueckschreiben(const QString& kompakt, const QString& ziel) override;
    QStringList spalten(const QString& tabelle, Fehler* fehler) override;
    Fehler spalteHinzufuegen(const QString& tabelle, const QString& spalte,
                             const QString& typ) override;

    klang::jet::Database& datenbank() { return *m_db; }

    // The application id a compacted copy carries while it is this program's work ("KTmp").
    static constexpr quint32 TempKennung = 0x4B546D70;

private:
    std::unique_ptr<klang::jet::Database> m_db;
    sqlite3* m_sperre = nullptr; // the connection that holds the catalogue locked
    QString m_sperrPfad;
    struct Kopie
    {
        QString pfad;
        dev_t geraet = 0;
        ino_t knoten = 0;
    };
    Kopie m_kompakt; // the compacted copy made and checked through the lock
    qint64 m_alteKennung = 0;
};

} // namespace dbmanager
