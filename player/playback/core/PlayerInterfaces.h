#pragma once

// What the player's rules need from the world around them. The windows implement the
// track source, catalogue and user interface; tests implement all of them without widgets.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace klang::player {

// A timer that calls back every interval until stopped. start() while running restarts
// the interval from now.
class ITimer
{
public:
    virtual ~ITimer() = default;
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    void setCallback(std::function<void()> callback) { m_callback = std::move(callback); }

protected:
    void fire()
    {
        if (m_callback)
            m_callback();
    }

private:
    std::function<void()> m_callback;
};

// A monotonic clock and the timers that run on it. The end of a track is decided against
// nowMs(), never against the time of day, so midnight or a changed system clock does not
// matter.
class IClock
{
public:
    virtual ~IClock() = default;
    virtual qint64 nowMs() const = 0;
    virtual std::unique_ptr<ITimer> createTimer() = 0;
};

// The clock of the running program: QElapsedTimer and QTimer.
class SystemClock : public IClock
{
public:
    SystemClock();
    ~SystemClock() override;
    qint64 nowMs() const override;
    std::unique_ptr<ITimer> createTimer() override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The list the player plays from: the record's track list or the playlist. Indexes here
// are 0-based in both cases (the player's own track number is 1-based in the playlist).
class ITrackSource
{
public:
    virtual ~ITrackSource() = default;
    virtual int count() const = 0;
    // Entry text (the file name); "" outside the list.
    virtual QString name(int index) const = 0;
    // Full path of the entry's file; "" outside the list.
    virtual QString path(int index) const = 0;
    // The folder the entries lie in, with a trailing '/' (track list); "" for a playlist.
    virtual QString folder() const { return QString(); }
    virtual bool isSelected(int index) const = 0;
    // Track list: adds or removes one entry of the multi-selection. Playlist: makes the
    // item the selected one.
    virtual void setSelected(int index, bool selected) = 0;
    virtual void clearSelection() = 0;
    // The selected item of a playlist (-1 when none).
    virtual int currentIndex() const { return -1; }
    // The check box of a playlist item; track list entries count as checked.
    virtual bool isChecked(int /*index*/) const { return true; }
    virtual void scrollTo(int /*index*/) {}
};

// The catalogue as far as the player reads it: rows of records with named fields.
class ICatalogue
{
public:
    virtual ~ICatalogue() = default;
    virtual int recordCount() const = 0;
    // 0-based; -1 when there is none.
    virtual int currentRow() const = 0;
    // A field of a row by its name ("Stil", "Band", "Musikpfad"); "" when the row or field
    // does not exist.
    virtual QString field(int row, const QString& fieldName) const = 0;
    // Shows the record; the catalogue refills the track list with the record's files and
    // tells the player (PlayerController::onTrackListChanged).
    virtual void moveToRow(int row) = 0;
    // A field of every row, in row order (what the exclusion checks read for all records).
    // A catalogue over a database overrides this with one pass over the column.
    virtual QStringList column(const QString& fieldName) const
    {
        QStringList values;
        const int n = recordCount();
        values.reserve(n);
        for (int row = 0; row < n; ++row)
            values << field(row, fieldName);
        return values;
    }
    // A number that changes whenever the rows, their order or their fields may have changed
    // (another view, a reload, an edit). What the player derived from the rows stays valid
    // while it is the same. -1: the catalogue cannot tell, nothing is kept.
    virtual qint64 revision() const { return -1; }
    // Whether the row's music folder holds files for the track list. A catalogue that cannot
    // tell without showing the record says true; the player then looks after moving there.
    virtual bool hasTracks(int /*row*/) const { return true; }
    // The first row whose field equals value exactly, or -1.
    virtual int findRow(const QString& fieldName, const QString& value) const
    {
        const int n = recordCount();
        for (int row = 0; row < n; ++row) {
            if (field(row, fieldName) == value)
                return row;
        }
        return -1;
    }
};

// A message box as the kit shows it: style = button set * 10 + icon, colours &H00BBGGRR.
struct MessageRequest
{
    QString prompt;
    int style = 0;
    int defaultButton = 0;
    QString title;
    int timeOut = 1;
    quint32 backColor = 0xF4EAE3;
    quint32 foreColor = 0x352300;
};

// What the player shows and asks. Every member has a harmless default, so a window (or a
// test) implements only what it shows.
class IPlayerUi
{
public:
    virtual ~IPlayerUi() = default;

    // Second panel of the status bar.
    virtual void setStatus(const QString& /*text*/) {}
    // Returns the word of the pressed button ("Ok", "Ja", ...), "" when closed.
    virtual QString msgFenn(const MessageRequest& /*request*/) { return QStringLiteral("Ok"); }
    // Returns the entered text trimmed, "" on Exit.
    virtual QString inputFenn(const QString& /*prompt*/, const QString& /*title*/,
                              const QString& defaultText)
    {
        return defaultText;
    }

    // Pause symbols: imgPause(1) shown (paused look) or imgPause(0).
    virtual void setPauseSymbol(bool /*paused*/) {}
    // The pause between tracks counts down: seconds left (> 0) for a visible mini player
    // (caption " <n> Sek. Pause", its pausing symbol); 0 when the pause was cut short and
    // the symbols come back.
    virtual void showPauseCountdown(int /*secondsLeft*/) {}

    // Engines and windows.
    virtual void showMediaPlayer(bool /*visible*/) {}
    virtual bool isMediaPlayerVisible() const { return false; }
    virtual void showVideoWindow(bool /*visible*/) {}
    virtual void showInfoTrackButton(bool /*visible*/) {}
    virtual void setMediaPlayerGeometry(int /*topTwips*/, int /*heightTwips*/) {}
    virtual void setMediaPlayerFullScreen(bool /*on*/) {}
    // imgBildpfad and Bild1.
    virtual void setPictureHeight(int /*twips*/) {}
    // Label Bez(12).
    virtual void setTrackNumberLabel(const QString& /*text*/) {}
    // Window and mini player captions back to their resting texts.
    virtual void resetCaptions() {}

    // Scrolling captions: Timer2 (main window) and Timer3 (mini player).
    virtual void setTimer2(bool /*on*/) {}
    virtual void setTimer3(bool /*on*/) {}
    virtual bool isMainWindowMinimized() const { return false; }
    virtual bool isMainWindowVisible() const { return true; }

    // Catalogue and companion services the start of a track calls.
    virtual void bewertungTracks() {}
    virtual void aktuelleCDanzeigen() {}
    virtual void suchenPlaylistTitel() {}
    virtual void textSongAktualisieren() {}
    // Opens the file with the program associated with it.
    virtual void cmdPlayAsso(const QString& /*path*/) {}
    // A-B repeat off (the pause part of the special functions is the controller's).
    virtual void abRepeatAus() {}
};

} // namespace klang::player
