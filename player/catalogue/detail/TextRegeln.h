#pragma once

// Rules of the text panes that need no widget: the full-text search of the songs pane, the
// place of the playing track in the song-text pane and the toggle rule of the format buttons.

#include <QString>

#include <optional>

namespace klang::detail {

// Search state of the songs pane, kept as long as the main window lives. Positions are
// 1-based like the search the users know; a hit at p continues at p + 1, so overlapping hits
// are found one after the other.
class Volltextsuche
{
public:
    // Starts a new search for suchtext from position 1; returns the 1-based hit or 0.
    int suchen(const QString& text, const QString& suchtext);
    // Looks again from the stored position; 0 when nothing more is found (the position stays).
    int weitersuchen(const QString& text);

    bool hatSuchtext() const { return !m_suchtext.isEmpty(); }
    const QString& suchtext() const { return m_suchtext; }
    int startposition() const { return m_start; }

private:
    int sucheAb(const QString& text);

    QString m_suchtext;
    int m_start = 0;
};

// Caret position of the song-text pane for the playing track: where the track's file name
// (with extension and rating mark) first occurs, ignoring case; the end of the text when it
// does not occur or the name is empty.
int songTextPosition(const QString& paneText, const QString& trackName);

// Bold, italic, underline and strike-through: a wholly formatted selection is cleared; an
// unformatted or mixed one is formatted.
inline bool umschalten(std::optional<bool> jetzt)
{
    return !(jetzt.has_value() && *jetzt);
}

} // namespace klang::detail
