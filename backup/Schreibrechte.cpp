#include "backup/Schreibrechte.h"

#include "platform/background/Hintergrund.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace backup {

namespace {

// What a look along a path found: the first entry root does not own, or the first folder root
// owns in which others may write.
struct Befund
{
    uid_t uid = 0;
    QString ordner;
    QString offen;
};

// A folder root owns in which someone else may write (a group other than root's, or all).
// Above the folder written in, a folder where others may only add names (sticky, as /tmp)
// does no harm: nobody else can move or replace root's entries there.
bool offenFuerAndere(const struct stat& st, bool geschriebenWirdHier)
{
    if (!S_ISDIR(st.st_mode))
        return false;
    const bool andere = (st.st_mode & S_IWOTH) || ((st.st_mode & S_IWGRP) && st.st_gid != 0);
    return andere && (geschriebenWirdHier || !(st.st_mode & S_ISVTX));
}

// From the root down to ordner (absolute and clean), links not followed. True when found.
bool ablaufen(const QString& ordner, Befund* befund)
{
    QStringList pfade{QStringLiteral("/")};
    QString pfad;
    for (const QString& teil : ordner.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        pfad += QLatin1Char('/') + teil;
        pfade << pfad;
    }
    for (int i = 0; i < pfade.size(); ++i) {
        struct stat st {};
        if (::lstat(QFile::encodeName(pfade.at(i)).constData(), &st) != 0)
            return false; // the rest does not exist yet
        if (st.st_uid != 0) {
            befund->uid = st.st_uid;
            befund->ordner = pfade.at(i);
            return true;
        }
        if (offenFuerAndere(st, i == pfade.size() - 1)) {
            befund->offen = pfade.at(i);
            return true;
        }
    }
    return false;
}

// The path with the links of its existing part resolved.
QString ohneLinks(const QString& absolut)
{
    QString vorhanden = absolut;
    QString rest;
    while (vorhanden.size() > 1) {
        const QString kanonisch = QFileInfo(vorhanden).canonicalFilePath();
        if (!kanonisch.isEmpty())
            return QDir::cleanPath(kanonisch + rest);
        rest.prepend(QLatin1Char('/') + QFileInfo(vorhanden).fileName());
        vorhanden = QFileInfo(vorhanden).path();
    }
    return absolut;
}

struct Ids
{
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> gruppen;
};

Ids idsVon(const Schreibrechte& r)
{
    return Ids{r.uid, r.gid, std::vector<gid_t>(r.gruppen.cbegin(), r.gruppen.cend())};
}

// In the child after a fork: plain system calls only. The group ids go first, while the
// process may still change them; without root's user id no other right is left. A program that
// keeps root's rights makes what only root may read: an archive of files only root may read
// must not come out readable by all.
bool idsAnnehmen(const Ids& ids) noexcept
{
    if (ids.uid == 0) {
        ::umask(077);
        return true;
    }
    return ::syscall(SYS_setgroups, ids.gruppen.size(), ids.gruppen.data()) == 0
        && ::syscall(SYS_setresgid, ids.gid, ids.gid, ids.gid) == 0
        && ::syscall(SYS_setresuid, ids.uid, ids.uid, ids.uid) == 0;
}

int aufKindWarten(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first entry below a copy's target (root's own) that root does not own or in which others
// may write; "" when there is none. Links are looked at, never followed.
QString fremderEintragDarunter(const QString& ziel, const std::atomic_bool& abbrechen)
{
    QDirIterator it(ziel, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext() && !abbrechen) {
        const QString pfad = it.next();
        struct stat st {};
        if (::lstat(QFile::encodeName(pfad).constData(), &st) != 0)
            continue;
        if (st.st_uid != 0 || offenFuerAndere(st, true))
            return pfad;
    }
    return QString();
}

} // namespace

Schreibrechte rechteFuerOrdner(const QString& ordner, QString* offen)
{
    Schreibrechte r;
    offen->clear();
    if (::geteuid() != 0)
        return r;
    const QString absolut = QDir::cleanPath(QFileInfo(ordner).absoluteFilePath());
    Befund befund;
    // A link root made may lead into someone else's folder: the resolved path counts as well.
    if (!ablaufen(absolut, &befund)) {
        const QString aufgeloest = ohneLinks(absolut);
        if (aufgeloest != absolut)
            ablaufen(aufgeloest, &befund);
    }
    *offen = befund.offen;
    if (befund.uid == 0)
        return r;
    r.wechseln = true;
    r.uid = befund.uid;
    r.ordner = befund.ordner;
    r.gid = gid_t(befund.uid); // an id without an account: its own group of the same number
    r.besitzer = QString::number(befund.uid);
    struct passwd eintrag {};
    struct passwd* gefunden = nullptr;
    char puffer[4096];
    if (::getpwuid_r(befund.uid, &eintrag, puffer, sizeof puffer, &gefunden) == 0 && gefunden) {
        r.gid = gefunden->pw_gid;
        r.besitzer = QString::fromLocal8Bit(gefunden->pw_name);
        int anzahl = 64;
        std::vector<gid_t> gruppen(static_cast<size_t>(anzahl));
        if (::getgrouplist(gefunden->pw_name, r.gid, gruppen.data(), &anzahl) < 0) {
            gruppen.resize(size_t(anzahl));
            if (::getgrouplist(gefunden->pw_name, r.gid, gruppen.data(), &anzahl) < 0)
                anzahl = 0;
        }
        for (int i = 0; i < anzahl; ++i)
            r.gruppen.append(gruppen.at(size_t(i)));
    }
    if (r.gruppen.isEmpty())
        r.gruppen.append(r.gid);
    return r;
}

QString schreibrechtePruefen(const Kommando& k, Schreibrechte* rechte)
{
    *rechte = Schreibrechte();
    if (::geteuid() != 0)
        return QString();
    const QString ziel = QDir::cleanPath(QFileInfo(k.ziel.trimmed()).absoluteFilePath());
    struct stat st {};
    const bool da = ::lstat(QFile::encodeName(ziel).constData(), &st) == 0;
    // The folder the program writes in: a copy's target (its parent while the target is still
    // to be made), an archive's folder.
    const bool kopie = istKopie(k.zweig);
    const QString ordner = kopie && da ? ziel : QFileInfo(ziel).path();
    QString offen;
    *rechte = rechteFuerOrdner(ordner, &offen);
    if (!offen.isEmpty())
        return QStringLiteral("Im Ordner \"%1\" dürfen außer root auch andere Benutzer schreiben. Mit "
                              "Administratorrechten sichert Ordnerwacht nicht dorthin: ein dort angelegter "
                              "Link könnte die Sicherung auf fremde Dateien lenken. Bitte einen Zielordner "
                              "wählen, der einem Benutzer gehört, oder einen, in dem nur root schreiben darf.")
            .arg(offen);
    if (rechte->wechseln || !kopie || !da)
        return QString();
    // A copy into root's own target follows what lies below it: a folder of someone else
    // there would let that person plant links the copy writes through.
    QString fremd;
    const bool fertig = klang::imHintergrund(
        [&](const std::atomic_bool& abbrechen) { fremd = fremderEintragDarunter(ziel, abbrechen); },
        klang::Hintergrund{QStringLiteral("Zielordner prüfen ..."), true, false});
    if (!fertig)
        return QStringLiteral("Die Prüfung des Zielordners \"%1\" wurde abgebrochen; es wurde nichts kopiert.").arg(ziel);
    if (!fremd.isEmpty())
        return QStringLiteral("Im Zielordner \"%1\" liegt \"%2\", das nicht root gehört oder in dem auch andere "
                              "Benutzer schreiben dürfen. Mit Administratorrechten kopiert Ordnerwacht nicht "
                              "dorthin: ein dort angelegter Link könnte die Kopie auf fremde Dateien lenken. "
                              "Bitte einen Zielordner wählen, der einem Benutzer gehört, oder einen, in dem "
                              "alles root gehört.")
            .arg(ziel, fremd);
    return QString();
}

bool zielordnerAnlegen(const QString& ordner, const Schreibrechte& rechte)
{
    if (!rechte.wechseln)
        return QDir().mkdir(ordner);
    // Made by a child process with the owner's ids: the folder is the owner's, and a link put
    // in its place leads nowhere the owner could not write.
    const QByteArray pfad = QFile::encodeName(ordner);
    const Ids ids = idsVon(rechte);
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        if (!idsAnnehmen(ids))
            ::_exit(2);
        ::_exit(::mkdir(pfad.constData(), 0777) == 0 ? 0 : 1);
    }
    return aufKindWarten(pid) == 0;
}

void mitRechtenStarten(QProcess& prozess, const Schreibrechte& rechte)
{
    if (!rechte.wechseln && ::geteuid() != 0)
        return;
    prozess.setChildProcessModifier([ids = idsVon(rechte)] {
        // Never start the program with root's rights in place of the owner's.
        if (!idsAnnehmen(ids))
            ::_exit(127);
    });
}

bool losgeloestStarten(const QString& pfad, const Kommando& k, const Schreibrechte& rechte, QString* fehler)
{
    if (::geteuid() != 0) {
        QProcess prozess;
        prozess.setProgram(pfad);
        prozess.setArguments(k.argumente);
        prozess.setWorkingDirectory(k.arbeitsordner);
        prozess.setStandardInputFile(QProcess::nullDevice());
        return prozess.startDetached();
    }
    // QProcess::startDetached leaves out the step that takes the owner's ids (or root's mask):
    // a child of our own starts the program in a session of its own and ends, so nobody waits
    // for it.
    std::vector<QByteArray> texte{QFile::encodeName(pfad)};
    for (const QString& a : k.argumente)
        texte.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& t : texte)
        argv.push_back(t.data());
    argv.push_back(nullptr);
    const QByteArray ordner = QFile::encodeName(k.arbeitsordner);
    const Ids ids = idsVon(rechte);
    int meldung[2];
    if (::pipe2(meldung, O_CLOEXEC) != 0) {
        *fehler = qt_error_string(errno);
        return false;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(meldung[0]);
        ::setsid();
        const pid_t enkel = ::fork();
        if (enkel != 0)
            ::_exit(enkel < 0 ? 1 : 0);
        const int nichts = ::open("/dev/null", O_RDWR);
        if (nichts >= 0) {
            ::dup2(nichts, 0);
            ::dup2(nichts, 1);
            ::dup2(nichts, 2);
        }
        int grund = 0;
        if (!ordner.isEmpty() && ::chdir(ordner.constData()) != 0)
            grund = errno;
        else if (!idsAnnehmen(ids))
            grund = errno;
        else {
            ::execv(argv.front(), argv.data());
            grund = errno;
        }
        // The pipe closes with a successful start; only a failure writes to it.
        [[maybe_unused]] const ssize_t n = ::write(meldung[1], &grund, sizeof grund);
        ::_exit(127);
    }
    ::close(meldung[1]);
    if (pid < 0) {
        *fehler = qt_error_string(errno);
        ::close(meldung[0]);
        return false;
    }
    aufKindWarten(pid);
    int grund = 0;
    ssize_t n = 0;
    do {
        n = ::read(meldung[0], &grund, sizeof grund);
    } while (n < 0 && errno == EINTR);
    ::close(meldung[0]);
    if (n == ssize_t(sizeof grund)) {
        *fehler = qt_error_string(grund);
        return false;
    }
    return true;
}

QString rechteHinweis(const Schreibrechte& r)
{
    if (!r.wechseln)
        return QString();
    return QStringLiteral("Der Zielordner liegt in \"%1\", das dem Benutzer %2 gehört: das Programm läuft mit "
                          "dessen Rechten, nicht mit denen des Administrators. Was nur root lesen darf, fehlt "
                          "in der Sicherung; um es zu sichern, einen Zielordner wählen, der root gehört.\n\n")
        .arg(r.ordner, r.besitzer);
}

} // namespace backup
