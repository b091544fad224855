// Timed runs of the player's rules: one random record and song (TontraegerZufaellig) over a
// big generated catalogue read through the real database layer (and in the player's main
// window on the same file), and the step from the end of
// one track to the start of the next through the real libmpv engine (null outputs).
//
//   klang_bench_player [records] [--transitions N]     (default: 100000 records, 6 transitions;
//                                                       then the same with 4 refused entries between)
//   klang_bench_player --playlists                      (10,000-entry playlist, 1,000 lengths)

#include "kit/TestHook.h"
#include "platform/jet/DataControl.h"
#include "platform/jet/Schema.h"
#include "platform/media/MciRoutines.h"
#include "platform/media/MpvEngine.h"
#include "platform/textfiles/LineFile.h"
#include "platform/shell/Paths.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/playback/core/PlayerController.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QApplication>
#include <QDir>
#include <QTreeWidget>
#include <QElapsedTimer>
#include <QHash>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

using klang::player::ModeBox;
using klang::player::PlayerController;

namespace {

QTextStream out(stdout);

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

void row(const QString& what, const QString& figures)
{
    out << QStringLiteral("  %1 %2\n").arg(what, -46).arg(figures);
    out.flush();
}

// A record's track list: the files a record's music folder would hold (the folders of a
// generated catalogue need not exist, and the random draw does not open them).
class TrackList : public klang::player::ITrackSource
{
public:
    void fill(const QString& folder, int count)
    {
        m_folder = folder;
        m_names.clear();
        m_selected.assign(std::size_t(count), false);
        for (int i = 1; i <= count; ++i)
            m_names << QStringLiteral("%1 Lied.mp3").arg(i, 2, 10, QLatin1Char('0'));
    }
    void setFiles(const QString& folder, const QStringList& names)
    {
        m_folder = folder;
        m_names = names;
        m_selected.assign(std::size_t(names.size()), false);
    }
    int count() const override { return int(m_names.size()); }
    QString name(int i) const override { return m_names.value(i); }
    QString path(int i) const override { return i < 0 || i >= count() ? QString() : m_folder + m_names.at(i); }
    QString folder() const override { return m_folder; }
    bool isSelected(int i) const override { return i >= 0 && i < count() && m_selected[std::size_t(i)]; }
    void setSelected(int i, bool on) override
    {
        if (i >= 0 && i < count())
            m_selected[std::size_t(i)] = on;
    }
    void clearSelection() override { std::fill(m_selected.begin(), m_selected.end(), false); }

private:
    QString m_folder;
    QStringList m_names;
    std::vector<bool> m_selected;
};

// The catalogue as the player reads it, over the data control of the main window, with the
// logic of the main window's adapter (KatalogZugang): fields by row through the record set,
// whole columns in one pass for what the player reads of every record, kept until the rows
// are reloaded, a record is written or the database changes (the revision the player keeps
// its allowed records by). A move makes the row current and refills the track list.
class DataControlCatalogue : public klang::player::ICatalogue
{
public:
    // Off: every field row by row and no revision (the adapter before it read columns).
    void setColumnReads(bool on)
    {
        m_columnReads = on;
        drop();
    }

    DataControlCatalogue(klang::jet::DataControl* control, TrackList* tracks) : m_control(control), m_tracks(tracks)
    {
        QObject::connect(control, &klang::jet::DataControl::recordsetReloaded, &m_guard, [this] { drop(); });
        QObject::connect(control, &klang::jet::DataControl::recordUpdated, &m_guard, [this] { drop(); });
        m_stamp = control->database().changeCounter();
    }
    void setController(PlayerController* controller) { m_controller = controller; }
    // As after the catalogue was loaded: nothing read yet.
    void drop() const
    {
        m_columns.clear();
        ++m_revision;
    }

    int recordCount() const override { return m_control->recordCount(); }
    int currentRow() const override { return m_control->absolutePosition(); }
    QString field(int row, const QString& name) const override
    {
        check();
        auto it = m_columns.constFind(name);
        if (it != m_columns.constEnd())
            return it->value(row);
        return m_control->recordset().value(row, name);
    }
    QStringList column(const QString& name) const override
    {
        if (!m_columnReads)
            return ICatalogue::column(name);
        check();
        auto it = m_columns.constFind(name);
        if (it == m_columns.constEnd()) {
            // Style and band are read for every record together: one pass for both.
            const QStringList exclusionFields{QStringLiteral("Stil"), QStringLiteral("Band")};
            QStringList names{name};
            if (exclusionFields.contains(name)) {
                for (const QString& other : exclusionFields) {
                    if (other != name && !m_columns.contains(other))
                        names << other;
                }
            }
            const QList<QStringList> values = m_control->recordset().columnValues(names);
            for (int i = 0; i < names.size(); ++i)
                m_columns.insert(names.at(i), values.value(i));
            it = m_columns.constFind(name);
        }
        return *it;
    }
    qint64 revision() const override
    {
        check();
        return m_columnReads ? m_revision : -1;
    }
    void moveToRow(int row) override
    {
        m_control->setAbsolutePosition(row);
        m_tracks->fill(m_control->field(QStringLiteral("Musikpfad")), 12);
        if (m_tracks->count() > 0)
            m_tracks->setSelected(0, true);
        if (m_controller)
            m_controller->onTrackListChanged();
    }

private:
    void check() const
    {
        const quint64 stamp = m_control->database().changeCounter();
        if (stamp != m_stamp) {
            m_stamp = stamp;
            drop();
        }
    }

    klang::jet::DataControl* m_control;
    TrackList* m_tracks;
    PlayerController* m_controller = nullptr;
    QObject m_guard;
    mutable QHash<QString, QStringList> m_columns;
    mutable qint64 m_revision = 0;
    mutable quint64 m_stamp = 0;
    bool m_columnReads = true;
};

struct Stats
{
    double min = 0, median = 0, max = 0;
};

Stats stats(std::vector<double> v)
{
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

QString figures(const Stats& s, int n)
{
    return QStringLiteral("median %1 ms  (min %2, max %3, n = %4)")
        .arg(s.median, 7, 'f', 2)
        .arg(s.min, 0, 'f', 2)
        .arg(s.max, 0, 'f', 2)
        .arg(n);
}

// One TontraegerZufaellig after another, each a fresh record (one song per record).
QString benchShuffle(int records, const QString& dir)
{
    const QString path = dir + QStringLiteral("/Archiv_%1.mdb").arg(records);
    klang::test::CatalogueSpec spec;
    spec.records = records;
    spec.picturePercent = 10;
    QString error;
    if (!klang::test::writeCatalogue(path, spec, &error)) {
        out << "generator failed: " << error << "\n";
        return QString();
    }
    // One record of a style no generated record has: the rare allowed record.
    QVariantMap rare;
    rare.insert(QStringLiteral("Band"), QStringLiteral("Zither-Trio"));
    rare.insert(QStringLiteral("Stil"), QStringLiteral("Volksmusik"));
    rare.insert(QStringLiteral("Musikpfad"), QStringLiteral("/musik/Zither-Trio/"));
    klang::test::insertCatalogueRecords(path, {rare}, &error);

    out << QStringLiteral("\nTontraegerZufaellig, %1 records (catalogue through DataControl, default view)\n").arg(records + 1);
    klang::jet::DataControl control;
    control.setDatabaseName(path);
    control.setRecordSource(klang::jet::schema::kDefaultRecordSource);
    if (!control.refresh()) {
        out << "cannot open the catalogue\n";
        return QString();
    }
    TrackList tracks;
    DataControlCatalogue catalogue(&control, &tracks);
    klang::player::IPlayerUi ui; // message boxes answer "Ok" at once
    PlayerController ctl({nullptr, nullptr, nullptr}, nullptr);
    ctl.setTrackList(&tracks);
    ctl.setCatalogue(&catalogue);
    ctl.setUi(&ui);
    ctl.setRandomSeed(2026);
    catalogue.setController(&ctl);

    const QStringList allStyles = {"Rock", "Pop", "Jazz", "Klassik", "Schlager", "Blues", "Neue Deutsche Welle",
                                   "Hörspiel", "Electronic", "Liedermacher"};
    struct Case
    {
        QString name;
        QStringList styles;
        QStringList bands;
        int runs;
        bool rowByRow = false;
    };
    const QList<Case> cases = {
        {QStringLiteral("no exclusions"), {}, {}, 200},
        {QStringLiteral("two styles excluded"), {"Rock", "Schlager"}, {}, 200},
        {QStringLiteral("nine of ten styles excluded"), allStyles.mid(0, 9), {}, 200},
        {QStringLiteral("one allowed record (counted out)"), allStyles, {}, 20},
        {QStringLiteral("every record excluded (gives up)"), allStyles, {"Zither"}, 20},
        {QStringLiteral("one allowed record, fields row by row"), allStyles, {}, 4, true},
    };
    for (const Case& c : cases) {
        ctl.stilAusschluss().setEntries(c.styles);
        ctl.bandAusschluss().setEntries(c.bands);
        catalogue.setColumnReads(!c.rowByRow);
        std::vector<double> times;
        double first = 0;
        int found = 0;
        for (int i = 0; i < c.runs; ++i) {
            ctl.setShuffleZaehler(1000000); // the next draw takes a new record
            ctl.setStilAusgeschlossen(false);
            control.recordset().invalidateCache(); // rows come from the database
            if (i == 0)
                catalogue.drop(); // as right after the catalogue was loaded
            QElapsedTimer t;
            t.start();
            ctl.TontraegerZufaellig();
            const double elapsed = ms(t.nsecsElapsed());
            if (i == 0)
                first = elapsed;
            else
                times.push_back(elapsed);
            found += !ctl.stilAusgeschlossen() && control.absolutePosition() >= 0 ? 1 : 0;
        }
        row(c.name, QStringLiteral("first %1 ms, then ").arg(first, 0, 'f', 2) + figures(stats(times), c.runs - 1)
                        + QStringLiteral("  %1 drawn").arg(found));
    }
    return path;
}

// The same draws in the player's main window on the same catalogue: its own controller and
// catalogue adapter, and the window shows every drawn record (grid, detail fields, track
// list) as in the program.
void benchMainWindow(const QString& path)
{
    if (path.isEmpty())
        return;
    klang::seedProgramFolder();
    kit::testhook::enable(); // start-up hints answer themselves
    klang::player::setOption(QStringLiteral("ArchivPfad"), path);
    klang::player::Ausgabebox w;
    w.Form_Load();
    w.show();
    QCoreApplication::processEvents();
    const int records = w.katalog().anzahl();
    out << QStringLiteral("\nTontraegerZufaellig in the main window (KatalogZugang), %1 records\n").arg(records);
    PlayerController& ctl = w.spieler();
    const QStringList allStyles = {"Rock", "Pop", "Jazz", "Klassik", "Schlager", "Blues", "Neue Deutsche Welle",
                                   "Hörspiel", "Electronic", "Liedermacher"};
    struct Case
    {
        QString name;
        QStringList styles;
        int runs;
        bool reload = false; // the view is reloaded before the first draw
    };
    const QList<Case> cases = {
        {QStringLiteral("no exclusions"), {}, 50},
        {QStringLiteral("nine of ten styles excluded"), allStyles.mid(0, 9), 50},
        {QStringLiteral("one allowed record, after a reload"), allStyles, 20, true},
        {QStringLiteral("one allowed record, list changed"), allStyles + QStringList{"Polka"}, 20},
    };
    for (const Case& c : cases) {
        if (c.reload)
            w.katalog().data1().refresh();
        ctl.stilAusschluss().setEntries(c.styles);
        ctl.bandAusschluss().setEntries({});
        std::vector<double> times;
        double first = 0;
        int found = 0;
        for (int i = 0; i < c.runs; ++i) {
            ctl.setShuffleZaehler(1000000);
            ctl.setStilAusgeschlossen(false);
            w.katalog().data1().recordset().invalidateCache();
            QElapsedTimer t;
            t.start();
            ctl.TontraegerZufaellig();
            const double elapsed = ms(t.nsecsElapsed());
            if (i == 0)
                first = elapsed;
            else
                times.push_back(elapsed);
            found += !ctl.stilAusgeschlossen() ? 1 : 0;
            QCoreApplication::processEvents();
        }
        row(c.name, QStringLiteral("first %1 ms, then ").arg(first, 0, 'f', 2) + figures(stats(times), c.runs - 1)
                        + QStringLiteral("  %1 drawn").arg(found));
    }
    kit::testhook::disable();
}

// Plays short generated tracks one after the other (all tracks, pause 0) and measures from
// the engine's end of one track to the next track playing. With refused > 0, that many
// entries the engine refuses (missing files and a folder) lie between two playable tracks:
// the gap from the end of one playable track to the start of the next.
void benchTransitions(int transitions, const QString& dir, int refused = 0)
{
    if (refused == 0)
        out << QStringLiteral("\nEnd of track to the next track's start (MpvEngine, null outputs, pause 0)\n");
    QStringList names;
    klang::test::WavSpec spec;
    spec.seconds = 0.5;
    spec.sampleRate = 44100;
    spec.channels = 2;
    QDir().mkpath(dir + QStringLiteral("/Ordner statt Datei.wav"));
    for (int i = 0; i <= transitions; ++i) {
        const QString name = QStringLiteral("%1 Ton.wav").arg(i + 1, 2, 10, QLatin1Char('0'));
        if (!klang::test::writeWav(dir + QLatin1Char('/') + name, spec)) {
            out << "cannot write " << name << "\n";
            return;
        }
        if (i > 0) {
            for (int k = 0; k < refused; ++k)
                names << (k == 0 ? QStringLiteral("Ordner statt Datei.wav") : QStringLiteral("fehlt %1-%2.wav").arg(i).arg(k));
        }
        names << name;
    }
    klang::media::MpvEngine device;
    TrackList tracks;
    tracks.setFiles(dir + QLatin1Char('/'), names);
    klang::player::IPlayerUi ui;
    PlayerController ctl({&device, nullptr, nullptr}, nullptr);
    ctl.setTrackList(&tracks);
    ctl.setUi(&ui);

    QElapsedTimer clock;
    clock.start();
    qint64 endedAt = -1;
    qint64 startedAt = -1;
    std::vector<double> toStatus, toPlaying, nominal;
    QString lastStatus;
    QObject::connect(&device, &klang::media::MediaEngine::endOfFile, [&](klang::media::EndReason) {
        endedAt = clock.nsecsElapsed();
    });
    QObject::connect(&ctl, &PlayerController::statusChanged, [&](const QString& text) {
        if (text.startsWith(QLatin1String("playing:  ")) && text != lastStatus && endedAt >= 0)
            toStatus.push_back(ms(clock.nsecsElapsed() - endedAt));
        lastStatus = text;
    });
    QObject::connect(&device, &klang::media::MediaEngine::stateChanged, [&](klang::media::PlayState state) {
        if (state != klang::media::PlayState::Playing)
            return;
        const qint64 now = clock.nsecsElapsed();
        if (endedAt >= 0 && startedAt >= 0 && startedAt < endedAt) {
            toPlaying.push_back(ms(now - endedAt));
            nominal.push_back(ms(now - startedAt) - spec.seconds * 1000.0);
        }
        startedAt = now;
    });

    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    // The run is over when the watch has stopped: "no play" also shows for a moment at each
    // refused entry, while play goes on.
    QTimer ende;
    QObject::connect(&ende, &QTimer::timeout, &loop, [&] {
        if (!ctl.isWatching() && !ctl.isPausing() && ctl.status() == klang::player::PlayerStatus::Idle)
            loop.quit();
    });
    ende.start(20);
    guard.start(int(transitions + 1) * (5000 + refused * 2000));
    ctl.setChecked(ModeBox::AlleTracks, true);
    ctl.imgStart_Click();
    loop.exec();
    ctl.imgStop_Click();

    if (refused > 0) {
        row(QStringLiteral("end -> next playable, %1 refused between").arg(refused),
            figures(stats(toPlaying), int(toPlaying.size())));
        return;
    }
    row(QStringLiteral("engine end -> \"playing:\" of the next"), figures(stats(toStatus), int(toStatus.size())));
    row(QStringLiteral("engine end -> next track playing"), figures(stats(toPlaying), int(toPlaying.size())));
    row(QStringLiteral("nominal end (start + length) -> next playing"), figures(stats(nominal), int(nominal.size())));
}

// Start-up of the main window on a catalogue of the given size: construction, loading the
// settings and the catalogue, the first random record and the window shown.
void benchStartup(int records, const QString& dir)
{
    const QString path = dir + QStringLiteral("/Start_%1.mdb").arg(records);
    klang::test::CatalogueSpec spec;
    spec.records = records;
    spec.picturePercent = 10;
    QString error;
    if (!klang::test::writeCatalogue(path, spec, &error)) {
        out << "generator failed: " << error << "\n";
        return;
    }
    klang::seedProgramFolder();
    kit::testhook::enable();
    klang::player::setOption(QStringLiteral("ArchivPfad"), path);
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        {
            klang::player::Ausgabebox w;
            w.Form_Load();
            w.show();
            QCoreApplication::processEvents();
            times.push_back(ms(t.nsecsElapsed()));
        }
        QCoreApplication::processEvents();
    }
    std::sort(times.begin(), times.end());
    row(QStringLiteral("main window shown, %1 records").arg(records),
        QStringLiteral("best %1 ms, median %2 ms").arg(times.front(), 0, 'f', 1).arg(times[1], 0, 'f', 1));
}

} // namespace

// A playlist of 10,000 entries loaded into the main window's view and shown; the lengths of
// 1,000 WAV files measured through the media layer (the song-length command's measurement).
void benchPlaylists(const QString& dir)
{
    klang::seedProgramFolder();
    kit::testhook::enable();
    QDir().mkpath(dir);
    const QString katalog = dir + QStringLiteral("/Archiv.mdb");
    klang::test::writeEmptyCatalogue(katalog);
    klang::player::setOption(QStringLiteral("ArchivPfad"), katalog);
    QStringList zeilen;
    for (int i = 0; i < 10000; ++i)
        zeilen << QStringLiteral("%1/Musik/Band %2/Album %3/%4 Titel - 3.mp3").arg(dir).arg(i % 300).arg(i % 40).arg(i);
    const QString liste = klang::programmPfad() + QStringLiteral("Playlist/Zehntausend.txt");
    QDir().mkpath(QFileInfo(liste).path());
    klang::writeLines(liste, zeilen);
    klang::player::Ausgabebox w;
    w.Form_Load();
    w.show();
    QCoreApplication::processEvents();
    w.playlistDialog = [liste] { return liste; };
    QElapsedTimer t;
    t.start();
    w.mnuPlaylistLaden_Click();
    w.lvwPlaylist->repaint();
    QCoreApplication::processEvents();
    const qint64 laden = t.nsecsElapsed();
    row(QStringLiteral("load and show a playlist of 10,000 entries"),
        QStringLiteral("%1 ms (%2 items)").arg(ms(laden), 0, 'f', 1).arg(w.lvwPlaylist->topLevelItemCount()));

    klang::test::WavSpec spec;
    spec.seconds = 2.0;
    spec.channels = 1;
    spec.sampleRate = 22050;
    const QString musik = dir + QStringLiteral("/laengen/");
    QDir().mkpath(musik);
    QStringList dateien;
    for (int i = 0; i < 1000; ++i) {
        dateien << musik + QStringLiteral("t%1.wav").arg(i);
        klang::test::writeWav(dateien.last(), spec);
    }
    t.restart();
    double summe = 0;
    for (const QString& d : dateien)
        summe += klang::media::LiedLaenge(d);
    row(QStringLiteral("measure the lengths of 1,000 files"),
        QStringLiteral("%1 ms (%2 s in all)").arg(ms(t.nsecsElapsed()), 0, 'f', 1).arg(summe, 0, 'f', 0));
}

int main(int argc, char** argv)
{
    // The engine may want a display for video; audio with null outputs needs none.
    qputenv("KLANGTRUHE_MEDIA_OUTPUT", "null");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    klang::test::TestEnvironment env; // settings and data in temporary folders
    int records = 100000;
    int transitions = 6;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--transitions") && i + 1 < args.size())
            transitions = std::max(1, args[++i].toInt());
        else if (args[i].toInt() > 0)
            records = args[i].toInt();
    }
    out << "Klangtruhe player benchmark\n";
    if (args.contains(QLatin1String("--playlists"))) {
        out << "\nPlaylists\n";
        benchPlaylists(env.path(QStringLiteral("playlists")));
        return 0;
    }
    out << "\nStart-up\n";
    benchStartup(20000, env.path(QStringLiteral("start")));
    benchStartup(records, env.path(QStringLiteral("start")));
    benchMainWindow(benchShuffle(records, env.path(QStringLiteral("katalog"))));
    benchTransitions(transitions, env.path(QStringLiteral("musik")));
    benchTransitions(transitions, env.path(QStringLiteral("musik-luecken")), 4);
    return 0;
}
