#include "tests/dbmanager/Katalog.h"

#include "platform/jet/Database.h"
#include "platform/jet/Schema.h"

#include <QCryptographicHash>
#include <QVariant>

namespace dbmanager::test {

using klang::jet::Database;

bool katalogErzeugen(const QString& pfad, int anzahl, bool aelteresFormat)
{
    if (!Database::createCatalogue(pfad, aelteresFormat))
        return false;
    Database db;
    if (!db.open(pfad))
        return false;
    const QStringList felder = aelteresFormat ? klang::jet::schema::olderFieldNames()
                                              : klang::jet::schema::fieldNames();
    QStringList platzhalter;
    for (int i = 0; i < felder.size(); ++i)
        platzhalter << QStringLiteral("?");
    const QString sql = QStringLiteral("INSERT INTO Schallplatten (%1) VALUES (%2)")
                            .arg(felder.join(QLatin1Char(',')), platzhalter.join(QLatin1Char(',')));
    klang::jet::Transaction t(db);
    for (int i = 0; i < anzahl; ++i) {
        QVariantList werte;
        for (const QString& feld : felder) {
            if (feld == QLatin1String("Bilder"))
                werte << (i % 7 == 0 ? QVariant(QByteArray(64, char(i % 251))) : QVariant());
            else if (feld == QLatin1String("Preis"))
                werte << QStringLiteral("%1.50").arg(i % 40);
            else if (feld == QLatin1String("BestellNr"))
                werte << QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0'));
            else if (feld == QLatin1String("Info") && i % 5 == 0)
                werte << QVariant();
            else if (feld == QLatin1String("Band"))
                werte << QStringLiteral("Bänd Nr. %1 'Öl' \"Zitat\"").arg(i % 997);
            else if (feld == QLatin1String("Songs"))
                werte << QStringLiteral("{\\rtf1 Lied \\'e4 %1 %2}").arg(i).arg(QString(40, QLatin1Char('x')));
            else
                werte << QStringLiteral("%1 %2").arg(feld).arg(i);
        }
        if (db.executeBound(sql, werte) < 0)
            return false;
    }
    return t.commit();
}

QString fingerabdruck(const QString& pfad, const QStringList& felder)
{
    Database db;
    if (!db.open(pfad))
        return QStringLiteral("<nicht lesbar>");
    QStringList teile;
    for (const QString& f : felder)
        teile << QStringLiteral("typeof(\"%1\"), \"%1\"").arg(f);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 zeilen = 0;
    const bool ok = db.query(QStringLiteral("SELECT rowid, %1 FROM Schallplatten ORDER BY rowid").arg(teile.join(QStringLiteral(", "))),
                             {}, [&](const QVariantList& row) {
                                 ++zeilen;
                                 for (const QVariant& v : row) {
                                     hash.addData(v.typeName() ? QByteArray(v.typeName()) : QByteArray("null"));
                                     hash.addData(v.toByteArray());
                                     hash.addData("\x1f");
                                 }
                                 return true;
                             });
    if (!ok)
        return QStringLiteral("<Abfrage gescheitert>");
    return QString::number(zeilen) + QLatin1Char(':') + QString::fromLatin1(hash.result().toHex());
}

QStringList spaltenVon(const QString& pfad)
{
    Database db;
    return db.open(pfad) ? db.columns(QStringLiteral("Schallplatten")) : QStringList();
}

bool jedenNtenLoeschen(const QString& pfad, int n)
{
    Database db;
    return db.open(pfad) && db.executeBound(QStringLiteral("DELETE FROM Schallplatten WHERE rowid % ? = 0"), {n}) >= 0;
}

} // namespace dbmanager::test
