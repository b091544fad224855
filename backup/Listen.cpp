#include "backup/Listen.h"

#include "platform/settings/Settings.h"
#include "platform/textfiles/LineFile.h"
#include "platform/textfiles/SafeWrite.h"

#include <QFile>
#include <QSet>
#include <QRegularExpression>

namespace backup {

namespace {
const QString Abschnitt = QStringLiteral("Options");
}

bool vorEintrag(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.compare(b, Qt::CaseSensitive) < 0;
}

int sortiertePosition(const QStringList& eintraege, const QString& text)
{
    int pos = 0;
    for (const QString& eintrag : eintraege) {
        if (vorEintrag(text, eintrag))
            break;
        ++pos;
    }
    return pos;
}

QStringList verlaufLesen(const QString& datei)
{
    QStringList verlauf;
    // An elevated copy reads the user's history with the user's rights (a planted link must
    // not show it a file only root may read).
    const klang::AsFolderOwner besitzer(datei);
    QFile f(datei);
    if (!f.open(QIODevice::ReadOnly))
        return verlauf;
    // Only the head of the file is read: a file of 200,000 lines costs no more than one of 100.
    QByteArray kopf = f.read(qint64(MaxVerlaufZeilen) * 8192);
    if (!f.atEnd()) // cut at a line end, never inside a character
        kopf.truncate(kopf.lastIndexOf('\n') + 1);
    static const QRegularExpression zeilenende(QStringLiteral("\r\n|\r|\n"));
    const QStringList zeilen = klang::decodeText(kopf).split(zeilenende);
    for (const QString& zeile : zeilen) {
        if (verlauf.size() >= MaxVerlaufZeilen)
            break;
        if (!zeile.trimmed().isEmpty() && !verlauf.contains(zeile))
            verlauf << zeile;
    }
    return verlauf;
}

QString verlaufSpeichern(const QString& datei, const QStringList& verlauf)
{
    static QSet<QString> gemeldet;
    QByteArray bytes;
    for (const QString& pfad : verlauf)
        bytes += pfad.toUtf8() + '\n';
    const klang::WriteResult ergebnis = klang::writeFileAtomically(datei, bytes);
    if (ergebnis) {
        gemeldet.remove(datei);
        return QString();
    }
    if (gemeldet.contains(datei))
        return QString();
    gemeldet.insert(datei);
    return QStringLiteral("Der Pfadverlauf konnte nicht gespeichert werden:\n") + datei + QStringLiteral("\n\n")
        + ergebnis.reason
        + QStringLiteral("\n\nDas Programm läuft weiter; der neue Pfad steht nur bis zum Beenden in der Liste.");
}

bool eintragAufnehmen(const QStringList& eintraege, const QString& text)
{
    return !text.trimmed().isEmpty() && !eintraege.contains(text);
}

QString alsExtension(const QString& text)
{
    if (text.isEmpty() || text.startsWith(QLatin1Char('.')))
        return text;
    return QLatin1Char('.') + text;
}

QStringList listeLesen(const QString& app, const QString& zaehlerSchluessel, bool parameterListe)
{
    QStringList eintraege;
    const QString zaehler = klang::GetSetting(app, Abschnitt, zaehlerSchluessel);
    bool ok = false;
    const int letzter = zaehler.trimmed().toInt(&ok);
    if (!ok || letzter < 0)
        return eintraege;
    const int bis = std::min(letzter, MaxListenEintraege - 1);
    const QString fehlt(QChar(1));
    for (int i = 0; i <= bis; ++i) {
        const QString eintrag = klang::GetSetting(app, Abschnitt, zaehlerSchluessel + QString::number(i), fehlt);
        if (eintrag == fehlt)
            break;
        if (parameterListe && (eintrag.isEmpty() || eintrag == QLatin1String(" ")))
            continue;
        eintraege.append(eintrag);
    }
    return eintraege;
}

void listeSpeichern(const QString& app, const QString& zaehlerSchluessel, const QStringList& eintraege)
{
    // One rewrite of the settings file for the whole list.
    QList<QPair<QString, QString>> werte;
    werte.reserve(eintraege.size() + 1);
    werte.append({zaehlerSchluessel, QString::number(eintraege.size() - 1)});
    for (int i = 0; i < eintraege.size(); ++i)
        werte.append({zaehlerSchluessel + QString::number(i), eintraege.at(i)});
    klang::SaveSettings(app, Abschnitt, werte);
}

} // namespace backup
