#include "player/playback/core/PlayerState.h"

#include "platform/settings/Settings.h"
#include "platform/textfiles/LineFile.h"
#include "platform/vbcompat/VbCompat.h"

#include <QFileInfo>

namespace klang::player {

QString playingText(const QString& path)
{
    return QStringLiteral("playing:  ") + path;
}

QString noPlayText()
{
    return QStringLiteral("no play");
}

QString pauseCountdownText(int seconds)
{
    return QString::number(seconds) + QStringLiteral(" Sek. Pause");
}

namespace {

QString setting(const QString& key, const QString& defaultValue)
{
    return klang::GetSetting(kSettingsApp, kSettingsSection, key, defaultValue);
}

// The whole number a setting holds, or the default when it holds none.
int wholeNumber(const QString& text, int defaultValue)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !qIsFinite(value) || value > 1e6 || value < -1e6)
        return defaultValue;
    return qRound(value);
}

} // namespace

QString PlayerSettings::tracksAnspielen()
{
    return setting(QStringLiteral("TracksAnspielen"), QStringLiteral("10"));
}

QString PlayerSettings::pauseZwischenTracks()
{
    return setting(QStringLiteral("PauseZwischenTracks"), QStringLiteral("0"));
}

QString PlayerSettings::shuffleSongProCD()
{
    return setting(QStringLiteral("ShuffleSongProCD"), QStringLiteral("1"));
}

bool PlayerSettings::winMediaPlayer()
{
    return setting(QStringLiteral("WinMediaPlayer"), QString()) == QStringLiteral("True");
}

bool PlayerSettings::visualisierung()
{
    return setting(QStringLiteral("WinMediaPlayerVisualisierung"), QStringLiteral("1"))
           != QStringLiteral("0");
}

bool PlayerSettings::laufschrift()
{
    return setting(QStringLiteral("Laufschrift"), QString()) == QStringLiteral("ein");
}

int PlayerSettings::previewSeconds()
{
    return qMax(1, wholeNumber(tracksAnspielen(), 10));
}

int PlayerSettings::pauseSeconds()
{
    // The menu stores the answer as typed ("2 Sek."): its leading number counts, as the
    // old runtime read it.
    const double seconds = klang::vb::Val(pauseZwischenTracks());
    if (!qIsFinite(seconds))
        return 0;
    return qRound(qBound(0.0, seconds, 1e6));
}

int PlayerSettings::songsPerRecord()
{
    return qMax(1, wholeNumber(shuffleSongProCD(), 1));
}

void PlayerSettings::save(const QString& key, const QString& value)
{
    klang::SaveSetting(kSettingsApp, kSettingsSection, key, value);
}

QString lastFour(const QString& name)
{
    return name.right(4).toLower();
}

bool isVideoOrPicture(const QString& name)
{
    static const QStringList kinds = {
        QStringLiteral(".avi"), QStringLiteral(".wmv"), QStringLiteral(".mpg"),
        QStringLiteral(".jpg"), QStringLiteral("jpeg"), QStringLiteral(".gif"),
        QStringLiteral(".png"), QStringLiteral(".bmp"), QStringLiteral(".tif"),
        QStringLiteral("tiff"), QStringLiteral(".pcx"), QStringLiteral(".rle"),
        QStringLiteral(".wmf"), QStringLiteral(".dib"), QStringLiteral(".emf"),
        QStringLiteral(".cur"), QStringLiteral(".mp4"), QStringLiteral(".flv"),
        QStringLiteral("m2ts"),
    };
    return kinds.contains(lastFour(name));
}

bool isMov(const QString& name)
{
    return lastFour(name) == QStringLiteral(".mov");
}

void ExclusionList::setEntries(const QStringList& entries)
{
    ++m_revision;
    m_entries.clear();
    for (const QString& entry : entries) {
        // A blank line (or one of blanks only) would match every record with a non-empty field.
        if (!entry.trimmed().isEmpty())
            m_entries << entry;
    }
}

bool ExclusionList::matches(const QString& cell) const
{
    if (cell.isEmpty())
        return false;
    for (const QString& entry : m_entries) {
        if (cell.contains(entry, Qt::CaseSensitive))
            return true;
    }
    return false;
}

bool ExclusionList::load(const QString& filePath, QString* hinweis)
{
    if (hinweis)
        hinweis->clear();
    if (!QFileInfo(filePath).isFile())
        return false;
    bool ok = false;
    klang::ReadReport bericht;
    const QStringList lines = klang::readLinesBounded(filePath, &ok, &bericht, AusschlussGrenzen);
    if (!ok)
        return false;
    setEntries(lines);
    if (hinweis)
        *hinweis = bericht.hinweis(QFileInfo(filePath).fileName(), AusschlussGrenzen);
    return true;
}

} // namespace klang::player
