#include "dbmanager/Dateisystem.h"

#include "platform/textfiles/SafeWrite.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace dbmanager {

namespace {

Fehler zugriffsfehler(const QString& was, const QString& pfad, const QString& grund, int nr = 0)
{
    // Qt's text for a failed sync is only "Unknown error"; the system's error number says why.
    if (nr == ENOSPC || nr == EDQUOT)
        return datentraegerVoll(pfad);
    return {fehlernummer::DateiZugriff,
            QStringLiteral("Fehler beim Zugriff auf Pfad/Datei (%1 „%2“: %3)").arg(was, pfad, grund)};
}

} // namespace

Fehler datentraegerVoll(const QString& pfad)
{
    return {fehlernummer::DatentraegerVoll,
            QStringLiteral("Der Datenträger ist voll („%1“ kann nicht geschrieben werden). "
                           "Bitte Platz schaffen und den Befehl wiederholen.").arg(pfad)};
}

bool EchtesDateisystem::beschreibbar(const QString& pfad) const
{
    struct stat st {};
    if (::stat(QFile::encodeName(pfad).constData(), &st) != 0)
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(QFile::encodeName(pfad).constData(), W_OK) == 0;
}

bool EchtesDateisystem::existiert(const QString& pfad) const
{
    // A link counts as the entry itself, also when it points nowhere or at a file elsewhere.
    const QFileInfo info(pfad);
    return info.isSymLink() || info.isFile();
}

qint64 EchtesDateisystem::groesse(const QString& pfad) const
{
    const QFileInfo info(pfad);
    return info.isFile() ? info.size() : -1;
}

Fehler EchtesDateisystem::kopieren(const QString& von, const QString& nach)
{
    const klang::AsFolderOwner alsBesitzer(QFileInfo(nach).absolutePath());
    QFile quelle(von);
    if (!quelle.open(QIODevice::ReadOnly))
        return zugriffsfehler(QStringLiteral("lesen"), von, quelle.errorString());
    if (QFileInfo::exists(nach))
        return zugriffsfehler(QStringLiteral("anlegen"), nach, QStringLiteral("Datei existiert bereits"));
    QFile ziel(nach);
    if (!ziel.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return zugriffsfehler(QStringLiteral("anlegen"), nach, ziel.errorString());
    // The copy gets the original's access rights, whatever the umask says: a backup of a
    // private catalogue stays private.
    struct stat st {};
    if (::fstat(quelle.handle(), &st) == 0)
        ::fchmod(ziel.handle(), st.st_mode & 0666);
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
            const int nr = errno;
            const QString grund = ziel.errorString();
            ziel.close();
            ziel.remove();
            return zugriffsfehler(QStringLiteral("schreiben"), nach, grund, nr);
        }
    }
    // The copy is a backup: it must be on the disk before the caller relies on it.
    errno = 0;
    if (!ziel.flush() || ::fsync(ziel.handle()) != 0) {
        const int nr = errno;
        const QString grund = nr ? QString::fromLocal8Bit(std::strerror(nr)) : ziel.errorString();
        ziel.close();
        ziel.remove();
        return zugriffsfehler(QStringLiteral("schreiben"), nach, grund, nr);
    }
    ziel.close();
    if (ziel.error() != QFileDevice::NoError) {
        const int nr = errno;
        ziel.remove();
        return zugriffsfehler(QStringLiteral("schreiben"), nach, ziel.errorString(), nr);
    }
    return Fehler::keiner();
}

Fehler EchtesDateisystem::ersetzen(const QString& von, const QString& nach)
{
    // The new file keeps the rights it was made with (a backup has its catalogue's): neither
    // an older backup's nor those of a file a link under the name points to. The rename
    // replaces a link as a link; in a folder someone else owns it runs with the owner's rights.
    const klang::AsFolderOwner alsBesitzer(QFileInfo(nach).absolutePath());
    const QByteArray a = QFile::encodeName(von);
    const QByteArray b = QFile::encodeName(nach);
    if (::rename(a.constData(), b.constData()) != 0) {
        const int nr = errno;
        return zugriffsfehler(QStringLiteral("umbenennen nach"), nach,
                              QString::fromLocal8Bit(std::strerror(nr)), nr);
    }
    return Fehler::keiner();
}

Fehler EchtesDateisystem::loeschen(const QString& pfad)
{
    const klang::AsFolderOwner alsBesitzer(QFileInfo(pfad).absolutePath());
    QFile datei(pfad);
    if (!datei.remove())
        return zugriffsfehler(QStringLiteral("löschen"), pfad, datei.errorString());
    return Fehler::keiner();
}

} // namespace dbmanager
