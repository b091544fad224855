#include "dbmanager/Dateisystem.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace dbmanager {

namespace {

Fehler zugriffsfehler(const QString& was, const QString& pfad, const QString& grund)
{
    return {fehlernummer::DateiZugriff,
            QStringLiteral("Fehler beim Zugriff auf Pfad/Datei (%1 „%2“: %3)").arg(was, pfad, grund)};
}

} // namespace

bool EchtesDateisystem::existiert(const QString& pfad) const
{
    return QFileInfo(pfad).isFile();
}

qint64 EchtesDateisystem::groesse(const QString& pfad) const
{
    const QFileInfo info(pfad);
    return info.isFile() ? info.size() : -1;
}

Fehler EchtesDateisystem::kopieren(const QString& von, const QString& nach)
{
    QFile quelle(von);
    if (!quelle.open(QIODevice::ReadOnly))
        return zugriffsfehler(QStringLiteral("lesen"), von, quelle.errorString());
    if (QFileInfo::exists(nach))
        return zugriffsfehler(QStringLiteral("anlegen"), nach, QStringLiteral("Datei existiert bereits"));
    QFile ziel(nach);
    if (!ziel.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return zugriffsfehler(QStringLiteral("anlegen"), nach, ziel.errorString());
    QByteArray puffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = quelle.read(puffer.data(), puffer.size());
        if (n < 0) {
            const QString grund = quelle.errorString();
            ziel.close();
            ziel.remove();
            return zugriffsfehler(QStringLiteral("lesen"), von, grund);
        }
        if (n == 0)
            break;
        if (ziel.write(puffer.constData(), n) != n) {
            const QString grund = ziel.errorString();
            ziel.close();
            ziel.remove();
            return zugriffsfehler(QStringLiteral("schreiben"), nach, grund);
        }
    }
    // The copy is a backup: it must be on the disk before the caller relies on it.
    if (!ziel.flush() || ::fsync(ziel.handle()) != 0) {
        const QString grund = ziel.errorString();
        ziel.close();
        ziel.remove();
        return zugriffsfehler(QStringLiteral("schreiben"), nach, grund);
    }
    ziel.close();
    if (ziel.error() != QFileDevice::NoError) {
        ziel.remove();
        return zugriffsfehler(QStringLiteral("schreiben"), nach, ziel.errorString());
    }
    return Fehler::keiner();
}

Fehler EchtesDateisystem::ersetzen(const QString& von, const QString& nach)
{
    // The replacement keeps the access rights of the file it replaces (a shared catalogue
    // stays shared).
    if (QFileInfo::exists(nach))
        QFile::setPermissions(von, QFile::permissions(nach));
    const QByteArray a = QFile::encodeName(von);
    const QByteArray b = QFile::encodeName(nach);
    if (::rename(a.constData(), b.constData()) != 0)
        return zugriffsfehler(QStringLiteral("umbenennen nach"), nach,
                              QString::fromLocal8Bit(std::strerror(errno)));
    return Fehler::keiner();
}

Fehler EchtesDateisystem::loeschen(const QString& pfad)
{
    QFile datei(pfad);
    if (!datei.remove())
        return zugriffsfehler(QStringLiteral("löschen"), pfad, datei.errorString());
    return Fehler::keiner();
}

} // namespace dbmanager
