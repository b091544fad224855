#include "player/catalogue/detail/Bewertung.h"

#include "platform/vbcompat/VbCompat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace klang::detail {

Markenteile markenteile(const QString& dateiname)
{
    Markenteile t;
    const int punkt = dateiname.lastIndexOf(QLatin1Char('.'));
    if (punkt < 0) {
        t.stamm = dateiname;
        return t;
    }
    t.hatEndung = true;
    t.endung = dateiname.mid(punkt);
    t.stamm = dateiname.left(punkt);
    if (t.stamm.size() >= 4) {
        const QStringView ende = QStringView(t.stamm).right(4);
        const QChar ziffer = ende.at(3);
        if (ende.left(3) == QLatin1String(" - ") && ziffer >= QLatin1Char('0')
            && ziffer <= QLatin1Char('6')) {
            t.marke = ziffer.unicode() - '0';
            t.stamm.chop(4);
        }
    }
    return t;
}

int trackSterne(const QString& dateiname)
{
    return qMax(0, markenteile(dateiname).marke);
}

QString ohneMarke(const QString& dateiname)
{
    const Markenteile t = markenteile(dateiname);
    return t.marke < 0 ? dateiname : t.stamm + t.endung;
}

QString mitMarke(const QString& dateiname, int sterne)
{
    const Markenteile t = markenteile(dateiname);
    if (!t.hatEndung || sterne < 0 || sterne > 6 || t.stamm.trimmed().isEmpty())
        return dateiname;
    return (t.stamm + QStringLiteral(" - ") + QString::number(sterne) + t.endung).trimmed();
}

int plattenSterne(const QString& bewertung)
{
    if (bewertung.isEmpty())
        return 0;
    const double v = vb::Val(bewertung);
    if (v < 0 || v >= 7)
        return 0;
    return int(qBound<qint64>(qint64(0), vb::roundHalfEven(v), qint64(6)));
}

Umbenennung trackBewerten(const QString& ordner, const QString& dateiname, int sterne)
{
    Umbenennung u;
    u.alterName = dateiname;
    u.neuerName = dateiname;
    const QString neu = mitMarke(dateiname, sterne);
    if (dateiname.isEmpty() || neu.contains(QLatin1Char('/'))) {
        u.fehler = QStringLiteral("Kein Dateiname");
        return u;
    }
    if (neu == dateiname) {
        u.erfolgreich = true;
        return u;
    }
    const QDir dir(ordner.trimmed());
    const QString alt = dir.filePath(dateiname);
    const QString ziel = dir.filePath(neu);
    if (!QFileInfo(alt).isFile()) {
        u.fehler = QStringLiteral("Datei nicht gefunden: ") + alt;
        return u;
    }
    // QFile::rename refuses an existing target; the explicit test also covers a target that
    // differs only in letter case on a case-sensitive file system.
    if (QFileInfo::exists(ziel)) {
        u.fehler = QStringLiteral("Es gibt schon eine Datei ") + ziel;
        return u;
    }
    QFile datei(alt);
    if (!datei.rename(ziel)) {
        u.fehler = datei.errorString();
        return u;
    }
    u.erfolgreich = true;
    u.neuerName = neu;
    return u;
}

Umbenennung trackBewertenPfad(const QString& pfad, int sterne)
{
    const QFileInfo info(pfad);
    return trackBewerten(info.path(), info.fileName(), sterne);
}

int indexInListe(const QStringList& liste, const QString& name)
{
    const int genau = liste.indexOf(name);
    if (genau >= 0)
        return genau;
    for (int i = 0; i < liste.size(); ++i)
        if (liste.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Sternanzeige BewertungTracks(const QString& trackName, const QString& bewertung)
{
    return {plattenSterne(bewertung), trackSterne(trackName)};
}

QString plattenBewertungText(int index)
{
    return QString::number(qBound(0, index, 5) + 1);
}

TrackKlickErgebnis trackSternKlick(const TrackStand& stand, int index,
                                   const std::function<QStringList()>& listeNeuLesen)
{
    TrackKlickErgebnis e;
    e.liste = stand.liste;
    e.aktuell = stand.aktuell;
    e.playlistPfad = stand.playlistPfad;
    if (index < 0 || index > 5)
        return e;
    if (stand.playlistModus) {
        if (stand.playlistPfad.isEmpty())
            return e;
        e.umbenennung = trackBewertenPfad(stand.playlistPfad, index + 1);
        if (e.umbenennung.erfolgreich && e.umbenennung.neuerName != e.umbenennung.alterName) {
            e.playlistPfad = QFileInfo(stand.playlistPfad).dir().filePath(e.umbenennung.neuerName);
            e.playlistGeaendert = true;
        }
        e.trackSterne = trackSterne(QFileInfo(e.playlistPfad).fileName());
        return e;
    }
    if (stand.aktuell < 0 || stand.aktuell >= stand.liste.size())
        return e;
    e.umbenennung = trackBewerten(stand.ordner, stand.liste.at(stand.aktuell), index + 1);
    if (listeNeuLesen)
        e.liste = listeNeuLesen();
    const int neu = indexInListe(e.liste, e.umbenennung.neuerName);
    e.aktuell = neu >= 0 ? neu : qMin(stand.aktuell, int(e.liste.size()) - 1);
    e.trackSterne = e.aktuell >= 0 ? trackSterne(e.liste.at(e.aktuell)) : 0;
    return e;
}

} // namespace klang::detail
