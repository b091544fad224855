#pragma once

// Fakes for the player controller's surroundings: a clock whose time the test moves, track
// lists, a catalogue and a user interface that records what it was told.

#include "player/playback/core/PlayerController.h"
#include "player/playback/core/PlayerInterfaces.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <QVector>

#include <algorithm>

namespace klang::test {

class FakeClock;

class FakeTimer : public klang::player::ITimer
{
public:
    explicit FakeTimer(FakeClock* clock) : m_clock(clock) {}
    ~FakeTimer() override;
    void start(int intervalMs) override;
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    void trigger() { fire(); }

    FakeClock* m_clock;
    bool m_active = false;
    int m_interval = 0;
    qint64 m_due = 0;
};

// Time passes only in advance(); due timers fire in order of their due time.
class FakeClock : public klang::player::IClock
{
public:
    qint64 nowMs() const override { return m_now; }
    std::unique_ptr<klang::player::ITimer> createTimer() override
    {
        auto timer = std::make_unique<FakeTimer>(this);
        m_timers << timer.get();
        return timer;
    }
    void advance(qint64 ms)
    {
        const qint64 target = m_now + ms;
        for (;;) {
            FakeTimer* next = nullptr;
            for (FakeTimer* t : std::as_const(m_timers)) {
                if (t->m_active && t->m_due <= target && (!next || t->m_due < next->m_due))
                    next = t;
            }
            if (!next)
                break;
            m_now = std::max(m_now, next->m_due);
            next->m_due = m_now + std::max(1, next->m_interval);
            next->trigger();
        }
        m_now = target;
    }
    void forget(FakeTimer* timer) { m_timers.removeAll(timer); }

private:
    qint64 m_now = 1000000;
    QList<FakeTimer*> m_timers;
};

inline FakeTimer::~FakeTimer()
{
    m_clock->forget(this);
}

inline void FakeTimer::start(int intervalMs)
{
    m_active = true;
    m_interval = intervalMs;
    m_due = m_clock->nowMs() + std::max(1, intervalMs);
}

// A track list (files of one folder, multi-selection) or a playlist (full paths, check
// boxes, one selected item).
class FakeTrackSource : public klang::player::ITrackSource
{
public:
    struct Entry
    {
        QString path;
        bool selected = false;
        bool checked = true;
    };
    explicit FakeTrackSource(bool playlist = false) : m_playlist(playlist) {}

    // Track list: names in a folder.
    void setFolder(const QString& folder, const QStringList& names)
    {
        m_folder = folder;
        m_entries.clear();
        for (const QString& name : names)
            m_entries.push_back({folder + name});
    }
    // Playlist: full paths.
    void setItems(const QStringList& paths)
    {
        m_entries.clear();
        for (const QString& path : paths)
            m_entries.push_back({path});
    }
    void setChecked(int index, bool on) { m_entries[index].checked = on; }

    int count() const override { return int(m_entries.size()); }
    QString name(int i) const override
    {
        if (i < 0 || i >= count())
            return QString();
        const QString p = m_entries[i].path;
        return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
    }
    QString path(int i) const override { return i < 0 || i >= count() ? QString() : m_entries[i].path; }
    QString folder() const override { return m_folder; }
    bool isSelected(int i) const override { return i >= 0 && i < count() && m_entries[i].selected; }
    void setSelected(int i, bool on) override
    {
        if (i < 0 || i >= count())
            return;
        if (m_playlist && on)
            clearSelection();
        m_entries[i].selected = on;
    }
    void clearSelection() override
    {
        for (Entry& e : m_entries)
            e.selected = false;
    }
    int currentIndex() const override
    {
        for (int i = 0; i < count(); ++i) {
            if (m_entries[i].selected)
                return i;
        }
        return -1;
    }
    bool isChecked(int i) const override { return i >= 0 && i < count() && m_entries[i].checked; }

private:
    bool m_playlist;
    QString m_folder;
    QVector<Entry> m_entries;
};

// Records with style, band, music folder and their files; moving to a record refills the
// track list and tells the controller, as the catalogue window does.
class FakeCatalogue : public klang::player::ICatalogue
{
public:
    struct Record
    {
        QString stil;
        QString band;
        QString musikpfad;
        QStringList files;
    };
    FakeCatalogue(FakeTrackSource* tracks) : m_tracks(tracks) {}
    void setController(klang::player::PlayerController* c) { m_controller = c; }
    void addRecord(const Record& r)
    {
        m_records << r;
        ++m_revision;
    }
    // An edit of a record's style or band; `tell` false changes it behind the revision's back.
    void setStyleAndBand(int row, const QString& stil, const QString& band, bool tell = true)
    {
        m_records[row].stil = stil;
        m_records[row].band = band;
        m_revision += tell ? 1 : 0;
    }
    // Off: the catalogue cannot report its revision (-1), as the interface's default.
    void setReportsRevision(bool on) { m_reportsRevision = on; }
    // How often a whole column was read.
    int columnReads() const { return m_columnReads; }
    QStringList column(const QString& name) const override
    {
        ++m_columnReads;
        return ICatalogue::column(name);
    }
    qint64 revision() const override { return m_reportsRevision ? m_revision : -1; }
    // Off: the catalogue cannot tell which records have files (the interface's default).
    void setReportsTracks(bool on) { m_reportsTracks = on; }
    bool hasTracks(int row) const override
    {
        return !m_reportsTracks || (row >= 0 && row < recordCount() && !m_records[row].files.isEmpty());
    }

    int recordCount() const override { return int(m_records.size()); }
    int currentRow() const override { return m_row; }
    QString field(int row, const QString& name) const override
    {
        if (row < 0 || row >= recordCount())
            return QString();
        const Record& r = m_records[row];
        if (name == QLatin1String("Stil"))
            return r.stil;
        if (name == QLatin1String("Band"))
            return r.band;
        if (name == QLatin1String("Musikpfad"))
            return r.musikpfad;
        return QString();
    }
    void moveToRow(int row) override
    {
        m_row = row;
        ++m_moves;
        const Record& r = m_records[row];
        m_tracks->setFolder(r.musikpfad, r.files);
        if (m_tracks->count() > 0)
            m_tracks->setSelected(0, true);
        if (m_controller)
            m_controller->onTrackListChanged();
    }
    // Which record a path belongs to.
    int recordOf(const QString& path) const
    {
        for (int i = 0; i < recordCount(); ++i) {
            if (path.startsWith(m_records[i].musikpfad))
                return i;
        }
        return -1;
    }
    int moves() const { return m_moves; }

private:
    FakeTrackSource* m_tracks;
    klang::player::PlayerController* m_controller = nullptr;
    QVector<Record> m_records;
    int m_row = -1;
    int m_moves = 0;
    qint64 m_revision = 0;
    bool m_reportsRevision = true;
    bool m_reportsTracks = true;
    mutable int m_columnReads = 0;
};

class RecordingUi : public klang::player::IPlayerUi
{
public:
    void setStatus(const QString& text) override { statuses << text; }
    QString msgFenn(const klang::player::MessageRequest& r) override
    {
        messages << r.title;
        prompts << r.prompt;
        return QStringLiteral("Ok");
    }
    QString inputFenn(const QString& prompt, const QString& title, const QString& def) override
    {
        inputTitles << title;
        inputPrompts << prompt;
        inputDefaults << def;
        return answers.isEmpty() ? QString() : answers.dequeue();
    }
    void setPauseSymbol(bool paused) override { pauseSymbol = paused; }
    void showPauseCountdown(int left) override { countdowns << left; }
    void showVideoWindow(bool v) override { videoWindowVisible = v; }
    void aktuelleCDanzeigen() override
    {
        if (onShowRecord)
            onShowRecord();
    }
    void cmdPlayAsso(const QString& path) override { associated << path; }

    // The "playing:" texts in order, without the prefix.
    QStringList played() const
    {
        QStringList out;
        for (const QString& s : statuses) {
            if (s.startsWith(QLatin1String("playing:  ")))
                out << s.mid(10);
        }
        return out;
    }
    QString lastStatus() const { return statuses.isEmpty() ? QString() : statuses.last(); }

    QStringList statuses;
    QStringList messages;
    QStringList prompts;
    QStringList inputTitles;
    QStringList inputPrompts;
    QStringList inputDefaults;
    QQueue<QString> answers;
    QList<int> countdowns;
    QStringList associated;
    bool pauseSymbol = false;
    bool videoWindowVisible = false;
    std::function<void()> onShowRecord;
};

} // namespace klang::test
