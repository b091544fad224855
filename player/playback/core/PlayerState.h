#pragma once

// The player's state that outlives a single command: what the status bar says, the
// settings it reads, the kinds of files and the two exclusion lists.

#include "platform/textfiles/ListBounds.h"

#include <QString>
#include <QStringList>

namespace klang::player {

// How much of an exclusion list is read. A band list may name every band of a big catalogue
// (tens of thousands of lines): the bound only keeps a file that is no list from eating the
// memory, and a list cut by it is said so and never rewritten.
inline constexpr klang::ReadLimits AusschlussGrenzen{1000000, 64 * 1024, 64 * 1024 * 1024};

// Application and section under which the player keeps its settings.
inline const QString kSettingsApp = QStringLiteral("KlangtruhePlayer");
inline const QString kSettingsSection = QStringLiteral("Options");

// The player's activity. Held as a state, never read back from the status text (a track
// whose path contains "pause" is still a playing track).
enum class PlayerStatus {
    Idle,        // "no play"
    Playing,     // "playing:  <path>"
    Pausing,     // the pause between two tracks ("<n> Sek. Pause")
};

// Texts of the status bar's second panel.
QString playingText(const QString& path); // "playing:  " + path (two blanks)
QString noPlayText();                     // "no play"
QString pauseCountdownText(int seconds);  // "<n> Sek. Pause"

// The player's settings with their defaults, read fresh each time (another window may
// have changed them).
struct PlayerSettings
{
    static QString tracksAnspielen();     // "TracksAnspielen", default "10"
    static QString pauseZwischenTracks(); // "PauseZwischenTracks", default "0"
    static QString shuffleSongProCD();    // "ShuffleSongProCD", default "1"
    static bool winMediaPlayer();         // "WinMediaPlayer" == "True"
    static bool visualisierung();         // "WinMediaPlayerVisualisierung" != "0"
    static bool laufschrift();            // "Laufschrift" == "ein"

    // Whole seconds of a preview (at least 1), of the pause (at least 0), songs per record
    // (at least 1); unreadable texts fall back to the default. The pause is read by its
    // leading number ("2 Sek." is 2 s).
    static int previewSeconds();
    static int pauseSeconds();
    static int songsPerRecord();

    static void save(const QString& key, const QString& value);
};

// The extension as the player compares it: the last four characters of the name in lower
// case (".mp3", "jpeg"; a shorter name whole).
QString lastFour(const QString& name);
// Pictures and videos that play in the video window.
bool isVideoOrPicture(const QString& name);
// ".mov" plays through the device engine even when the embedded player is chosen.
bool isMov(const QString& name);

// A list of excluded styles or bands. An entry excludes a record when the record's field
// contains it (case-sensitive); empty entries exclude nothing.
class ExclusionList
{
public:
    void setEntries(const QStringList& entries);
    QStringList entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }
    bool matches(const QString& cell) const;
    // Reads the list file (one entry per line, within AusschlussGrenzen). A missing file
    // leaves the list as it was; returns whether the file was read. *hinweis says in German
    // what the bound left out ("" when the file was read whole).
    bool load(const QString& filePath, QString* hinweis = nullptr);
    // Changes with every new set of entries, so that what was derived from the list can
    // tell it is out of date.
    quint64 revision() const { return m_revision; }

private:
    QStringList m_entries;
    quint64 m_revision = 0;
};

// Names of the list files in the program folder.
inline const QString kStyleExclusionFile = QStringLiteral("AusschlussAbspielliste.ini");
inline const QString kBandExclusionFile = QStringLiteral("BandAusschlussAbspielliste.ini");

} // namespace klang::player
