#include "backup/Kommandozeile.h"

#include <QDir>
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
            || teil.compare(QLatin1String("/PURGE"), Qt::CaseInsensitive) == 0
            || teil.startsWith(QLatin1String("--del")) || teil == QLatin1String("--remove-source-files"))
            return true;
    }
    return false;
}

QString absoluterPfad(const QString& pfad)
{
    static const QRegularExpression windows(QStringLiteral("^[A-Za-z]:[\\\\/]|^\\\\\\\\"));
    if (pfad.isEmpty() || pfad.contains(windows))
        return pfad;
    const bool trenner = endetMitTrenner(pfad);
    QString absolut = QDir::cleanPath(QDir::home().absoluteFilePath(pfad));
    if (trenner && !absolut.endsWith(QLatin1Char('/')))
        absolut += QLatin1Char('/');
    return absolut;
}

Kommando kommandoBauen(const KommandoEingaben& eingaben)
{
    // Every path the run passes is absolute: nothing typed can reach a program as a switch.
    KommandoEingaben e = eingaben;
    e.quellpfad = absoluterPfad(e.quellpfad.trimmed());
    e.zielpfad = absoluterPfad(e.zielpfad.trimmed());
    e.zielText = absoluterPfad(e.zielText.trimmed());

    Kommando k;
    k.zweig = zweigFuer(e.programm);
    k.programm = e.programm.trimmed();
    k.spiegeln = istSpiegelung(e.parameter);
    const QStringList parameter = QProcess::splitCommand(e.parameter.trimmed());
    const QString name = programmname(k.programm);
    const QString ende = QStringLiteral("--"); // the end of the switches, where the program knows it
    const auto zeile = [&name](const QStringList& argumente) {
        QStringList teile{name};
        for (const QString& a : argumente)
            teile << alsAnzeige(a);
        return teile.join(QLatin1Char(' '));
    };

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
    case Zweig::Archiv:
    case Zweig::SiebenZip: {
        const QString archiv = e.zielpfad + e.archivdatei;
        const QString quelleMitMaske = mitMaske(e.quellpfad, archivMaske(e.maske));
        k.quelle = e.quellpfad;
        k.ziel = archiv;
        const QString trenner = k.zweig == Zweig::SiebenZip ? QStringLiteral(" -- ") : QStringLiteral(" ");
        k.anzeige = name + QLatin1Char(' ') + e.parameter + trenner + alsAnzeige(archiv)
                    + QLatin1Char(' ') + alsAnzeige(quelleMitMaske);
        // The archivers expand wildcards in every name they are given ("/daten/a*b/*" also
        // packs "/daten/aXb"): they run inside the source and get the mask alone, so the
        // source's name never passes through their matching.
        k.arbeitsordner = e.quellpfad;
        k.argumente = parameter;
        if (k.zweig == Zweig::SiebenZip)
            k.argumente << ende;
        k.argumente << archiv << archivMaske(e.maske);
        break;
    }
    case Zweig::Rsync: {
        // "quelle/" copies the folder's contents into the target, as Robocopy does.
        k.quelle = ordnerMitTrenner(e.quellpfad);
        k.ziel = e.zielText;
        k.argumente = parameter;
        const QString maske = archivMaske(e.maske.trimmed());
        if (!maske.isEmpty() && maske != QLatin1String("*"))
            k.argumente << QStringLiteral("--include=*/") << QStringLiteral("--include=") + maske
                        << QStringLiteral("--exclude=*");
        k.argumente << ende << k.quelle << ordnerMitTrenner(e.zielText);
        k.anzeige = zeile(k.argumente);
        break;
    }
    case Zweig::Cp: {
        // "quelle/." copies the folder's contents; a narrower mask copies what it matches
        // in the folder, as a shell would expand it (no shell runs here).
        k.quelle = e.quellpfad;
        k.ziel = e.zielText;
        k.argumente = parameter;
        k.argumente << ende;
        const QString maske = archivMaske(e.maske.trimmed());
        if (maske.isEmpty() || maske == QLatin1String("*")) {
            k.argumente << ordnerMitTrenner(e.quellpfad) + QLatin1Char('.');
        } else {
            const QDir ordner(e.quellpfad);
            const QStringList treffer = ordner.entryList({maske}, QDir::AllEntries | QDir::Hidden | QDir::System
                                                                     | QDir::NoDotAndDotDot, QDir::Name);
            for (const QString& t : treffer)
                k.argumente << ordner.absoluteFilePath(t);
        }
        k.argumente << ordnerMitTrenner(e.zielText);
        k.anzeige = zeile(k.argumente);
        break;
    }
    case Zweig::Zip: {
        // Run inside the source so that the archive holds paths below it, not from the root.
        const QString archiv = e.zielpfad + e.archivdatei;
        k.quelle = e.quellpfad;
        k.ziel = archiv;
        k.arbeitsordner = e.quellpfad;
        k.argumente = parameter;
        k.argumente << archiv;
        const QString maske = archivMaske(e.maske.trimmed());
        if (!maske.isEmpty() && maske != QLatin1String("*"))
            k.argumente << QStringLiteral("-i") << maske;
        k.argumente << ende << QStringLiteral(".");
        k.anzeige = zeile(k.argumente);
        break;
    }
    }
    return k;
}

} // namespace backup
