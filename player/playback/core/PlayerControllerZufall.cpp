// The player's random draws: a record and a song of the catalogue, an item of the playlist,
// and the tracks and items not yet played in this pass.

#include "player/playback/core/PlayerController.h"

namespace klang::player {

void PlayerController::ensureMarks()
{
    const int size = m_playlistModus ? (m_playlist ? m_playlist->count() + 1 : 1)
                                     : (m_trackList ? m_trackList->count() : 0);
    if (m_gespieltMarken.size() != size)
        m_gespieltMarken = QVector<int>(size, 0);
}

int PlayerController::drawUnplayedTrack()
{
    ensureMarks();
    QVector<int> open;
    for (int i = 0; i < m_gespieltMarken.size(); ++i) {
        if (m_gespieltMarken.at(i) == 0)
            open << i;
    }
    if (open.isEmpty())
        return -1;
    const int t = open.at(int(m_random.bounded(quint32(open.size()))));
    m_gespieltMarken[t] = 1;
    return t;
}

int PlayerController::drawUnplayedItem()
{
    ensureMarks();
    if (!m_playlist)
        return 0;
    QVector<int> open;
    for (int i = 1; i < m_gespieltMarken.size(); ++i) {
        if (m_gespieltMarken.at(i) == 0 && m_playlist->isChecked(i - 1))
            open << i;
    }
    if (open.isEmpty())
        return 0;
    const int item = open.at(int(m_random.bounded(quint32(open.size()))));
    m_gespieltMarken[item] = 1;
    return item;
}

void PlayerController::TontraegerZufaellig()
{
    if (m_playlistModus)
        shufflePlaylist(false);
    else
        shuffleCatalogue();
    Q_EMIT aktuellerTrackChanged(m_aktuellerTrack);
}

int PlayerController::moveToRecordWithTracks(bool* anyStyleExcluded, bool* anyBandExcluded)
{
    const int drawn = m_draw.drawAllowed(m_catalogue, anyStyleExcluded, anyBandExcluded);
    if (drawn < 0)
        return -1;
    // Outside shuffle play (the draw at start-up, the random button) the drawn record is
    // shown as it is: a catalogue of records without files is no fault there.
    if (!isChecked(ModeBox::Shuffle)) {
        m_catalogue->moveToRow(drawn);
        return drawn;
    }
    const auto showsTracks = [this](int row) {
        if (m_catalogue->hasTracks(row)) {
            m_catalogue->moveToRow(row);
            if (m_trackList && m_trackList->count() > 0)
                return true;
        }
        m_passGuard.recordWithoutTracks(row);
        return false;
    };
    if (showsTracks(drawn))
        return drawn;
    // A record without files (an LP, a tape, a missing folder) is drawn again instead of
    // stopping shuffle, once over the allowed records at most.
    const QVector<int> others = m_draw.allowedInRandomOrder(m_catalogue, drawn);
    for (const int row : others) {
        if (showsTracks(row))
            return row;
    }
    return -2;
}

bool PlayerController::shuffleCatalogue()
{
    if (!m_catalogue || m_catalogue->recordCount() <= 0)
        return true;
    bool newRecord = false;
    const bool hasEntries = m_trackList && m_trackList->count() > 0;
    if (m_shuffleZaehler < PlayerSettings::songsPerRecord() && hasEntries) {
        ++m_shuffleZaehler;
    } else {
        m_shuffleZaehler = 1;
        bool anyStyle = false;
        bool anyBand = false;
        const int row = moveToRecordWithTracks(&anyStyle, &anyBand);
        if (row == -1) {
            m_ausgeschlossenDurchStil = anyStyle;
            m_ausgeschlossenDurchBand = anyBand || !anyStyle;
            if (anyStyle)
                showStyleHint(QStringLiteral("Bedienungshinweis (TontraegerZufaellig)"));
            else
                showBandHint();
            m_stilAusgeschlossen = true;
            m_timer1->stop();
            return false;
        }
        if (row < 0) {
            showHint(QStringLiteral("Keiner der Tonträger, die abgespielt werden dürfen, enthält Dateien "
                                    "zum Abspielen."),
                     QStringLiteral("Bedienungshinweis"));
            m_timer1->stop();
            return false;
        }
        newRecord = true;
    }
    const int entries = m_trackList ? m_trackList->count() : 0;
    if (entries >= 1) {
        const int t = int(m_random.bounded(quint32(entries)));
        m_trackList->setSelected(t, true);
        if (newRecord && t != 0)
            m_trackList->setSelected(0, false);
        m_aktuellerTrack = t;
    }
    return true;
}

int PlayerController::passLength() const
{
    if (isChecked(ModeBox::Shuffle) && !m_playlistModus)
        return m_catalogue ? m_catalogue->recordCount() : 1;
    if (repeatOne())
        return 1;
    ITrackSource* src = source();
    const int n = src ? src->count() : 0;
    if (!isChecked(ModeBox::MarkTracks))
        return n;
    int marked = 0;
    for (int i = 0; i < n; ++i) {
        if (m_playlistModus ? src->isChecked(i) : src->isSelected(i))
            ++marked;
    }
    return marked;
}

bool PlayerController::shufflePlaylist(bool fromWatch)
{
    int item = drawUnplayedItem();
    if (item == 0) {
        m_gespieltMarken.fill(0);
        if (isChecked(ModeBox::Repeat))
            item = drawUnplayedItem();
        if (item == 0) {
            if (!fromWatch)
                imgStop_Click();
            return false;
        }
    }
    m_aktuellerTrack = item;
    selectPlaylistItem(item);
    // The random button plays the drawn item when a track was playing; the watch only
    // chooses, and starts it itself after the pause.
    if (!fromWatch && m_status == PlayerStatus::Playing)
        imgStart_Click();
    return true;
}

} // namespace klang::player
