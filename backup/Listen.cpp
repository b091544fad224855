#include "backup/Listen.h"

#include "platform/settings/Settings.h"

namespace backup {

namespace {
const QString Abschnitt = QStringLiteral("Options");
}

int sortiertePosition(const QStringList& eintraege, const QString& text)
{
    int pos = 0;
    for (const QString& eintrag : eintraege) {
        int c = eintrag.compare(text, Qt::CaseInsensitive);
        if (c == 0)
            c = eintrag.compare(text, Qt::CaseSensitive);
        if (c > 0)
            break;
        ++pos;
    }
    return pos;
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
    for (int i = 0; i <= bis; ++i) {
        const QString eintrag = klang::GetSetting(app, Abschnitt, zaehlerSchluessel + QString::number(i));
        if (parameterListe && (eintrag.isEmpty() || eintrag == QLatin1String(" ")))
            continue;
        eintraege.append(eintrag);
    }
    return eintraege;
}

void listeSpeichern(const QString& app, const QString& zaehlerSchluessel, const QStringList& eintraege)
{
    klang::SaveSetting(app, Abschnitt, zaehlerSchluessel, QString::number(eintraege.size() - 1));
    for (int i = 0; i < eintraege.size(); ++i)
        klang::SaveSetting(app, Abschnitt, zaehlerSchluessel + QString::number(i), eintraege.at(i));
}

} // namespace backup
