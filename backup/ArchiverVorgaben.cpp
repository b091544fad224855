#include "backup/ArchiverVorgaben.h"

#include <QFileInfo>
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
    static const QList<ArchiverVorgabe> zeilen{
        {QStringLiteral("Robocopy.exe"), true, QString(), QString(),
         QStringLiteral("/MIR /ZB /FFT /DST /W:3 /R:3 /NP /NDL /Log:C:\\Ordnerwacht.log /TEE"), 8},
        {QStringLiteral("xcopy.exe"), true, QStringLiteral("*.*"), QString(),
         QStringLiteral("/D /E /C /F /Y /H /R /K"), 1},
        {QStringLiteral("WZZIP"), false, QStringLiteral("*.*"), QStringLiteral(".zip"),
         QStringLiteral("-p -r"), 1},
        {QStringLiteral("WINZIP"), false, QStringLiteral("*.*"), QStringLiteral(".zip"),
         QStringLiteral("-a -r"), 1},
        {QStringLiteral("winrar"), false, QStringLiteral("*.*"), QStringLiteral(".rar"),
         QStringLiteral("a -r"), 1},
        // 7-Zip's exit code 1 is a warning (a file was in use), 2 and above are errors.
        {QStringLiteral("7z"), false, QStringLiteral("*.*"), QStringLiteral(".7z"),
         QStringLiteral("a -r"), 2},
    };
    return zeilen;
}

bool passtZu(const QString& programm, const ArchiverVorgabe& zeile)
{
    if (programm.contains(zeile.kennung, Qt::CaseInsensitive))
        return true;
    const QString name = ohneExe(dateiname(programm.trimmed()));
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
    return Zweig::Archiv;
}

int fehlerAbFuer(const QString& programm)
{
    const ArchiverVorgabe* zeile = vorgabeFuer(programm);
    return zeile ? zeile->fehlerAb : 1;
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
