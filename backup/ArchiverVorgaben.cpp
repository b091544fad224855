#include "backup/ArchiverVorgaben.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace backup {

namespace {

QString ohneExe(const QString& name)
{
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        return name.left(name.size() - 4);
    return name;
}

QString dateiname(const QString& pfad)
{
    const qsizetype pos = std::max(pfad.lastIndexOf(QLatin1Char('/')), pfad.lastIndexOf(QLatin1Char('\\')));
    return pfad.mid(pos + 1);
}

} // namespace

const QList<ArchiverVorgabe>& archiverVorgaben()
{
    static const QList<ArchiverVorgabe> zeilen = [] {
        QList<ArchiverVorgabe> z;
        ArchiverVorgabe robocopy{QStringLiteral("Robocopy.exe"), true, QString(), QString(),
                                 QStringLiteral("/MIR /ZB /FFT /DST /W:3 /R:3 /NP /NDL /Log:C:\\Ordnerwacht.log /TEE"), 8};
        robocopy.zweig = Zweig::Robocopy;
        robocopy.bedeutungen = {
            {0, QStringLiteral("Nichts kopiert: Quelle und Ziel stimmen überein.")},
            {1, QStringLiteral("Dateien wurden kopiert.")},
            {2, QStringLiteral("Im Ziel liegen zusätzliche Dateien.")},
            {3, QStringLiteral("Dateien wurden kopiert; im Ziel liegen zusätzliche Dateien.")},
            {4, QStringLiteral("Einige Dateien weichen ab (siehe Ausgabe).")},
            {5, QStringLiteral("Dateien wurden kopiert; einige weichen ab.")},
            {6, QStringLiteral("Zusätzliche und abweichende Dateien im Ziel.")},
            {7, QStringLiteral("Dateien wurden kopiert; zusätzliche und abweichende Dateien im Ziel.")},
            {8, QStringLiteral("Einige Dateien konnten nicht kopiert werden.")},
            {16, QStringLiteral("Schwerer Fehler: es wurde nichts kopiert.")}};
        z << robocopy;

        ArchiverVorgabe xcopy{QStringLiteral("xcopy.exe"), true, QStringLiteral("*.*"), QString(),
                              QStringLiteral("/D /E /C /F /Y /H /R /K"), 1};
        xcopy.zweig = Zweig::Xcopy;
        xcopy.bedeutungen = {{0, QStringLiteral("Dateien wurden kopiert.")},
                             {1, QStringLiteral("Es wurden keine Dateien zum Kopieren gefunden.")},
                             {2, QStringLiteral("Vom Benutzer abgebrochen.")},
                             {4, QStringLiteral("Fehler beim Start: zu wenig Speicher oder Platz, oder falsche Angaben.")},
                             {5, QStringLiteral("Schreibfehler auf dem Datenträger.")}};
        z << xcopy;

        z << ArchiverVorgabe{QStringLiteral("WZZIP"), false, QStringLiteral("*.*"), QStringLiteral(".zip"),
                             QStringLiteral("-p -r"), 1};
        z << ArchiverVorgabe{QStringLiteral("WINZIP"), false, QStringLiteral("*.*"), QStringLiteral(".zip"),
                             QStringLiteral("-a -r"), 1};
        // WinRAR's exit code 1 is a warning (some files left out), 2 and above are errors.
        ArchiverVorgabe winrar{QStringLiteral("winrar"), false, QStringLiteral("*.*"), QStringLiteral(".rar"),
                               QStringLiteral("a -r"), 2};
        winrar.unvollstaendig = {1};
        winrar.bedeutungen = {{0, QStringLiteral("Kein Fehler.")},
                              {1, QStringLiteral("Warnung: nicht alle Dateien konnten gelesen werden.")},
                              {2, QStringLiteral("Schwerer Fehler.")},
                              {7, QStringLiteral("Fehler in der Befehlszeile.")},
                              {8, QStringLiteral("Zu wenig Arbeitsspeicher.")},
                              {255, QStringLiteral("Vom Benutzer abgebrochen.")}};
        z << winrar;

        // 7-Zip's exit code 1 is a warning (files it could not read are missing from the
        // archive), 2 and above are errors.
        ArchiverVorgabe siebenZip{QStringLiteral("7z"), false, QStringLiteral("*.*"), QStringLiteral(".7z"),
                                  QStringLiteral("a -r"), 2};
        siebenZip.zweig = Zweig::SiebenZip;
        siebenZip.unvollstaendig = {1};
        siebenZip.bedeutungen = {{0, QStringLiteral("Kein Fehler.")},
                                 {1, QStringLiteral("Warnung: nicht alle Dateien konnten gelesen werden.")},
                                 {2, QStringLiteral("Schwerer Fehler.")},
                                 {7, QStringLiteral("Fehler in der Befehlszeile.")},
                                 {8, QStringLiteral("Zu wenig Arbeitsspeicher.")},
                                 {255, QStringLiteral("Vom Benutzer abgebrochen.")}};
        z << siebenZip;

        // The counterparts of this system: rsync mirrors as Robocopy does, cp copies as Xcopy.
        ArchiverVorgabe rsync{QStringLiteral("rsync"), true, QString(), QString(),
                              QStringLiteral("-a --delete -v"), 1};
        rsync.zweig = Zweig::Rsync;
        rsync.genauerName = true;
        rsync.auchUnvollstaendig = {23, 24};
        rsync.bedeutungen = {{0, QStringLiteral("Kein Fehler.")},
                             {1, QStringLiteral("Fehler in der Befehlszeile.")},
                             {2, QStringLiteral("Unverträgliches Protokoll.")},
                             {3, QStringLiteral("Quelle oder Ziel kann nicht verwendet werden.")},
                             {5, QStringLiteral("Fehler beim Verbindungsaufbau.")},
                             {10, QStringLiteral("Fehler bei der Netzwerkübertragung.")},
                             {11, QStringLiteral("Fehler beim Lesen oder Schreiben einer Datei.")},
                             {12, QStringLiteral("Fehler im Datenstrom.")},
                             {20, QStringLiteral("Abgebrochen.")},
                             {23, QStringLiteral("Teilweise übertragen: einige Dateien konnten nicht kopiert werden.")},
                             {24, QStringLiteral("Teilweise übertragen: Quelldateien sind während des Kopierens verschwunden.")},
                             {30, QStringLiteral("Zeitüberschreitung.")}};
        z << rsync;

        ArchiverVorgabe cp{QStringLiteral("cp"), true, QStringLiteral("*"), QString(),
                           QStringLiteral("-a -u -v"), 1};
        cp.zweig = Zweig::Cp;
        cp.genauerName = true;
        cp.bedeutungen = {{0, QStringLiteral("Kein Fehler.")},
                          {1, QStringLiteral("Fehler: nicht alles konnte kopiert werden (siehe Ausgabe).")}};
        z << cp;

        ArchiverVorgabe zip{QStringLiteral("zip"), false, QStringLiteral("*"), QStringLiteral(".zip"),
                            QStringLiteral("-r"), 1};
        zip.zweig = Zweig::Zip;
        zip.genauerName = true;
        zip.auchUnvollstaendig = {18};
        zip.bedeutungen = {{0, QStringLiteral("Kein Fehler.")},
                           {2, QStringLiteral("Die Zip-Datei endet unerwartet.")},
                           {3, QStringLiteral("Fehler im Aufbau der Zip-Datei.")},
                           {4, QStringLiteral("Zu wenig Arbeitsspeicher.")},
                           {9, QStringLiteral("Abgebrochen.")},
                           {12, QStringLiteral("Nichts zu tun: keine passenden Dateien.")},
                           {14, QStringLiteral("Fehler beim Schreiben der Zip-Datei.")},
                           {15, QStringLiteral("Die Zip-Datei kann nicht angelegt werden.")},
                           {16, QStringLiteral("Fehler in der Befehlszeile.")},
                           {18, QStringLiteral("Einige Dateien konnten nicht gelesen werden.")}};
        z << zip;
        return z;
    }();
    return zeilen;
}

bool passtZu(const QString& programm, const ArchiverVorgabe& zeile)
{
    const QString name = ohneExe(dateiname(programm.trimmed()));
    if (zeile.genauerName)
        return !name.isEmpty() && name == zeile.kennung;
    if (programm.contains(zeile.kennung, Qt::CaseInsensitive))
        return true;
    return !name.isEmpty() && name.contains(ohneExe(zeile.kennung), Qt::CaseInsensitive);
}

const ArchiverVorgabe* vorgabeFuer(const QString& programm)
{
    for (const ArchiverVorgabe& zeile : archiverVorgaben()) {
        if (passtZu(programm, zeile))
            return &zeile;
    }
    return nullptr;
}

Zweig zweigFuer(const QString& programm)
{
    const auto& zeilen = archiverVorgaben();
    if (passtZu(programm, zeilen.at(0)))
        return Zweig::Robocopy;
    if (passtZu(programm, zeilen.at(1)))
        return Zweig::Xcopy;
    const ArchiverVorgabe* zeile = vorgabeFuer(programm);
    return zeile ? zeile->zweig : Zweig::Archiv;
}

int fehlerAbFuer(const QString& programm)
{
    const ArchiverVorgabe* zeile = vorgabeFuer(programm);
    return zeile ? zeile->fehlerAb : 1;
}

int ausgelasseneDateien(const QString& ausgabe)
{
    static const QList<QRegularExpression> muster{
        QRegularExpression(QStringLiteral("Cannot open (\\d+) files?")),
        QRegularExpression(QStringLiteral("^Warnings: (\\d+)"), QRegularExpression::MultilineOption),
        QRegularExpression(QStringLiteral("skipped:\\s+(\\d+)")),
    };
    for (const QRegularExpression& re : muster) {
        const QRegularExpressionMatch m = re.match(ausgabe);
        if (m.hasMatch())
            return m.captured(1).toInt();
    }
    return -1;
}

int ausgelasseneOrdner(const QString& ausgabe)
{
    static const QRegularExpression siebenZip(QStringLiteral("^Scan WARNINGS: (\\d+)"),
                                              QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = siebenZip.match(ausgabe);
    if (m.hasMatch())
        return m.captured(1).toInt();
    // zip names the file it cannot open after a colon; a folder it cannot list gets the
    // system's reason alone.
    static const QRegularExpression zip(QStringLiteral("^\\s*zip warning: ([^:\\n]+)$"),
                                        QRegularExpression::MultilineOption);
    int ordner = 0;
    for (auto it = zip.globalMatch(ausgabe); it.hasNext();) {
        if (!it.next().captured(1).startsWith(QLatin1String("Not all files")))
            ++ordner;
    }
    return ordner;
}

QString ausgelassenText(const LaufErgebnis& e)
{
    QStringList teile;
    if (e.ausgelassen == 1)
        teile << QStringLiteral("1 Datei");
    else if (e.ausgelassen > 1)
        teile << QStringLiteral("%1 Dateien").arg(e.ausgelassen);
    if (e.ausgelasseneOrdner == 1)
        teile << QStringLiteral("1 Ordner mit seinem ganzen Inhalt");
    else if (e.ausgelasseneOrdner > 1)
        teile << QStringLiteral("%1 Ordner mit ihrem ganzen Inhalt").arg(e.ausgelasseneOrdner);
    return teile.join(QStringLiteral(" und "));
}

LaufErgebnis laufErgebnis(const QString& programm, int exitCode, const QString& ausgabe)
{
    LaufErgebnis e;
    const ArchiverVorgabe* zeile = vorgabeFuer(programm);
    const int fehlerAb = zeile ? zeile->fehlerAb : 1;
    const bool unvollstaendig = zeile
                                && (zeile->auchUnvollstaendig.contains(exitCode)
                                    || (exitCode < fehlerAb && zeile->unvollstaendig.contains(exitCode)));
    if (unvollstaendig)
        e.ausgang = Ausgang::Unvollstaendig;
    else if (exitCode >= fehlerAb || exitCode < 0)
        e.ausgang = Ausgang::Fehler;
    if (zeile) {
        for (const auto& [code, text] : zeile->bedeutungen) {
            if (code == exitCode)
                e.bedeutung = text;
        }
    }
    if (e.ausgang == Ausgang::Unvollstaendig) {
        e.ausgelassen = ausgelasseneDateien(ausgabe);
        e.ausgelasseneOrdner = ausgelasseneOrdner(ausgabe);
    }
    return e;
}

QStringList gesuchteProgramme()
{
    return {QStringLiteral("xcopy.exe"), QStringLiteral("Robocopy.exe"), QStringLiteral("zip"),
            QStringLiteral("7z"), QStringLiteral("cp"), QStringLiteral("rsync")};
}

QString imSystemSuchen(const QString& name)
{
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/bin"),
                                                 QStringLiteral("/bin")});
}

QString programmAufloesen(const QString& programm, const ProgrammSucher& sucher)
{
    const QString text = programm.trimmed();
    if (text.isEmpty())
        return QString();
    if (text.contains(QLatin1Char('/'))) {
        const QFileInfo info(text);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    const ProgrammSucher suche = sucher ? sucher : [](const QString& name) {
        return QStandardPaths::findExecutable(name);
    };
    const QStringList kandidaten{text, ohneExe(text), ohneExe(text).toLower()};
    for (const QString& name : kandidaten) {
        if (name.isEmpty())
            continue;
        const QString gefunden = suche(name);
        if (!gefunden.isEmpty())
            return gefunden;
    }
    return QString();
}

} // namespace backup
