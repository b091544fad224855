#include "backup/Kommandozeile.h"

#include <QProcess>
#include <QRegularExpression>

namespace backup {

namespace {

bool endetMitTrenner(const QString& pfad)
{
    return pfad.endsWith(QLatin1Char('/')) || pfad.endsWith(QLatin1Char('\\'));
}

// Folder and mask joined with exactly the separator the folder lacks ("/daten" + "*" gives
// "/daten/*", never "/daten*", which would name other folders).
QString mitMaske(const QString& ordner, const QString& maske)
{
    if (maske.isEmpty() || ordner.isEmpty() || endetMitTrenner(ordner))
        return ordner + maske;
    return ordner + QLatin1Char('/') + maske;
}

// Windows tools read "*.*" as "every file"; the archivers here take the mask as a glob,
// where "*.*" would skip every file without a dot in its name.
QString archivMaske(const QString& maske)
{
    return maske == QLatin1String("*.*") ? QStringLiteral("*") : maske;
}

} // namespace

QString maskeOderStandard(const QString& maske)
{
    if (maske.isEmpty() || maske == QLatin1String(" "))
        return QStringLiteral("*.*");
    return maske;
}

QString alsAnzeige(const QString& argument)
{
    if (argument.isEmpty())
        return QStringLiteral("\"\"");
    static const QRegularExpression hart(QStringLiteral("[$`\"\\\\!']"));
    static const QRegularExpression weich(QStringLiteral("[\\s;&|<>()#~]"));
    if (argument.contains(hart)) {
        QString text = argument;
        text.replace(QLatin1Char('\''), QLatin1String("'\\''"));
        return QLatin1Char('\'') + text + QLatin1Char('\'');
    }
    if (argument.contains(weich))
        return QLatin1Char('"') + argument + QLatin1Char('"');
    return argument;
}

QString programmname(const QString& programm)
{
    const qsizetype pos = std::max(programm.lastIndexOf(QLatin1Char('/')),
                                   programm.lastIndexOf(QLatin1Char('\\')));
    return programm.mid(pos + 1);
}

QString ordnerMitTrenner(const QString& ordner)
{
    if (ordner.isEmpty() || endetMitTrenner(ordner))
        return ordner;
    return ordner + QLatin1Char('/');
}

bool istSpiegelung(const QString& parameter)
{
    const QStringList teile = QProcess::splitCommand(parameter);
    for (const QString& teil : teile) {
        if (teil.compare(QLatin1String("/MIR"), Qt::CaseInsensitive) == 0
            || teil.compare(QLatin1String("/PURGE"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

Kommando kommandoBauen(const KommandoEingaben& e)
{
    Kommando k;
    k.zweig = zweigFuer(e.programm);
    k.programm = e.programm.trimmed();
    k.spiegeln = istSpiegelung(e.parameter);
    const QStringList parameter = QProcess::splitCommand(e.parameter.trimmed());
    const QString name = programmname(k.programm);

    switch (k.zweig) {
    case Zweig::Robocopy: {
        QString quelle = e.quellpfad;
        if (endetMitTrenner(quelle) && quelle.size() > 1)
            quelle.chop(1);
        k.quelle = quelle;
        k.ziel = e.zielText;
        k.anzeige = name + QLatin1Char(' ') + alsAnzeige(quelle) + QLatin1Char(' ')
                    + alsAnzeige(e.zielText) + QLatin1Char(' ') + e.parameter;
        k.argumente = QStringList{quelle, e.zielText} + parameter;
        break;
    }
    case Zweig::Xcopy: {
        const QString quelleMitMaske = mitMaske(e.quellpfad, e.maske);
        k.quelle = e.quellpfad;
        k.ziel = e.zielText;
        k.anzeige = name + QLatin1Char(' ') + alsAnzeige(quelleMitMaske) + QLatin1Char(' ')
                    + alsAnzeige(e.zielText) + QLatin1Char(' ') + e.parameter;
        k.argumente = QStringList{quelleMitMaske, e.zielText} + parameter;
        break;
    }
    case Zweig::Archiv: {
        const QString archiv = e.zielpfad + e.archivdatei;
        const QString quelleMitMaske = mitMaske(e.quellpfad, archivMaske(e.maske));
        k.quelle = e.quellpfad;
        k.ziel = archiv;
        k.anzeige = name + QLatin1Char(' ') + e.parameter + QLatin1Char(' ') + alsAnzeige(archiv)
                    + QLatin1Char(' ') + alsAnzeige(quelleMitMaske);
        k.argumente = parameter + QStringList{archiv, quelleMitMaske};
        break;
    }
    }
    return k;
}

} // namespace backup
