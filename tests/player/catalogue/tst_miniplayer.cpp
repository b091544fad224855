// The mini player, the video window and the track tools driven through their own buttons, in
// front of the real main window, with real mpv engines (null outputs) on generated files.

#include "kit/TestHook.h"
#include "tests/player/catalogue/FensterUmgebung.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/playback/frmMiniPlayer.h"
#include "player/playback/frmWinMediaPlayer.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Paths.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WavWriter.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

#include <taglib/fileref.h>
#include <taglib/tag.h>

using namespace klang::player;

namespace {

const QString kRuhe = QStringLiteral("Klangtruhe-Miniplayer");

} // namespace

class MiniPlayerTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FensterUmgebung> m_env;
    QString m_musik;

    void katalogAnlegen()
    {
        const QString daten = m_env->path(QStringLiteral("daten"));
        m_musik = daten + QStringLiteral("/Musik/Band/");
        QDir().mkpath(m_musik);
        klang::test::WavSpec spec;
        spec.seconds = 20; // no track ends while a test presses its buttons, however busy the machine
        spec.channels = 1;
        spec.sampleRate = 22050;
        for (const char* name : {"a.wav", "b.wav", "c.wav"})
            QVERIFY(klang::test::writeWav(m_musik + QLatin1String(name), spec));
        const QString katalog = daten + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(katalog));
        QVERIFY(klang::test::insertCatalogueRecords(
            katalog, {{{QStringLiteral("Band"), QStringLiteral("Die Band")},
                       {QStringLiteral("LPTitel"), QStringLiteral("Platte")},
                       {QStringLiteral("Stil"), QStringLiteral("Rock")},
                       {QStringLiteral("Musikpfad"), m_musik}}}));
        setOption(QStringLiteral("ArchivPfad"), katalog);
        setOption(QStringLiteral("WinMediaPlayer"), QStringLiteral("False"));
    }

    // Started with a command line: shuffled play in the mini player.
    std::unique_ptr<Ausgabebox> perKommandozeile()
    {
        Kommandozeile k;
        k.vorhanden = true;
        auto w = std::make_unique<Ausgabebox>(k);
        w->Form_Load();
        return w;
    }

    // Started the ordinary way, with the given track of the record current.
    std::unique_ptr<Ausgabebox> normalStarten(bool winPlayer)
    {
        setOption(QStringLiteral("WinMediaPlayer"), winPlayer ? QStringLiteral("True") : QStringLiteral("False"));
        auto w = std::make_unique<Ausgabebox>();
        w->Form_Load();
        w->show();
        return w;
    }
    static void trackSpielen(Ausgabebox* w, const QString& name)
    {
        const auto treffer = w->filTrack->findItems(name, Qt::MatchExactly);
        QVERIFY(!treffer.isEmpty());
        w->spieler().setAktuellerTrack(w->filTrack->row(treffer.first()));
        w->imgStart_Click();
        QVERIFY(w->panelText(2).endsWith(name));
    }

    static void klick(frmMiniPlayer* m, int index)
    {
        QVERIFY(m->imgVorBack[index]->isVisible());
        QTest::mouseClick(m->imgVorBack[index], Qt::LeftButton);
    }

    static int sichtbarerAB(frmMiniPlayer* m)
    {
        for (int i : {7, 8, 9}) {
            if (m->imgVorBack[i]->isVisible())
                return i;
        }
        return -1;
    }

private slots:
    void init()
    {
        m_env = std::make_unique<FensterUmgebung>();
        katalogAnlegen();
    }
    void cleanup()
    {
        m_env.reset();
    }

    // The main window's processor and memory panels are written every second while it is
    // shown, and rest while the mini player replaces it.
    void monitorPanels()
    {
        auto w = normalStarten(false);
        QTRY_VERIFY_WITH_TIMEOUT(w->panelText(4).startsWith(QStringLiteral("CPU ")) && w->panelText(4).endsWith(QStringLiteral(" %")), 2500);
        QVERIFY(QRegularExpression(QStringLiteral("^RAM \\d{1,3} %$")).match(w->panelText(5)).hasMatch());
        w->imgMiniPlayer_Click();
        QVERIFY(!w->Timer4.isActive());
        w->setPanelText(4, QStringLiteral("CPU"));
        QTest::qWait(1200);
        QCOMPARE(w->panelText(4), QStringLiteral("CPU"));
    }

    // A command line ends start-up in the mini player playing shuffled; the main window
    // stays hidden with its monitor off and its settings written.
    void kommandozeileEndetImMiniPlayer()
    {
        auto w = perKommandozeile();
        frmMiniPlayer* m = w->miniPlayer();
        QVERIFY(m);
        QVERIFY(m->isVisible());
        QVERIFY(w->miniPlayerAktiv());
        QVERIFY(!w->isVisible());
        QVERIFY(!w->Timer4.isActive());
        QVERIFY(w->chkShuffle->isChecked());
        QVERIFY(w->panelText(2).startsWith(QLatin1String("playing:  ")));
        QVERIFY(!option(QStringLiteral("AusgabeboxWidth")).isEmpty());
        QVERIFY(m->Timer3.isActive());
        QVERIFY(m->windowFlags() & Qt::WindowStaysOnTopHint);
        // The first opening stands at the top left corner, as a bar.
        QCOMPARE(m->ausrichtung(), frmMiniPlayer::Ausrichtung::Horizontal);
        QCOMPARE(m->size(), QSize(343, 30));
    }

    // The transport buttons: forward and back wrap over the track list and play; stop gives
    // "no play" with the plain caption and the caption timer off; play and resume start again.
    void transportKnoepfe()
    {
        auto w = perKommandozeile();
        frmMiniPlayer* m = w->miniPlayer();
        PlayerController& s = w->spieler();
        w->chkShuffle->setChecked(false);
        klick(m, 2);
        s.setAktuellerTrack(2);
        klick(m, 1);
        QCOMPARE(s.aktuellerTrack(), 0);
        QCOMPARE(w->panelText(2), QStringLiteral("playing:  ") + m_musik + QStringLiteral("a.wav"));
        QVERIFY(m->Timer3.isActive());
        klick(m, 0);
        QCOMPARE(s.aktuellerTrack(), 2);
        QCOMPARE(w->panelText(2), QStringLiteral("playing:  ") + m_musik + QStringLiteral("c.wav"));
        klick(m, 3);
        QCOMPARE(w->panelText(2), QStringLiteral("no play"));
        QCOMPARE(m->windowTitle(), kRuhe);
        QVERIFY(!m->Timer3.isActive());
        klick(m, 11);
        QVERIFY(w->panelText(2).startsWith(QLatin1String("playing:  ")));
        QVERIFY(m->Timer3.isActive());
        klick(m, 5);
        QVERIFY(w->panelText(2).startsWith(QLatin1String("playing:  ")));
    }

    // Pause and A-B symbols follow the player; while nothing plays they do nothing.
    void pauseUndAB()
    {
        auto w = perKommandozeile();
        frmMiniPlayer* m = w->miniPlayer();
        PlayerController& s = w->spieler();
        QTRY_VERIFY(s.titelBeendet() == false);
        klick(m, 6);

        QVERIFY(s.pausiertFlag());
        QVERIFY(m->imgVorBack[10]->isVisible());
        QVERIFY(!m->imgVorBack[6]->isVisible());
        klick(m, 10);

        QVERIFY(!s.pausiertFlag());
        QVERIFY(m->imgVorBack[6]->isVisible());
        QTest::qWait(300);
        klick(m, 7);
        QCOMPARE(sichtbarerAB(m), 8);
        QCOMPARE(s.abWiederholung().zustand(), AbZustand::WartetAufB);
        // B lies a whole second after A (a B at or before A is refused).
        const auto* engine = s.abWiederholung().engine();
        QVERIFY(engine);
        QTRY_VERIFY_WITH_TIMEOUT(engine->position() >= s.abWiederholung().positionA() + 1.6, 10000);
        klick(m, 8);
        QCOMPARE(sichtbarerAB(m), 9);
        QCOMPARE(s.abWiederholung().zustand(), AbZustand::Wiederholt);
        QVERIFY(w->imgPosAB[2]->isVisibleTo(w.get()));
        klick(m, 9);
        QCOMPARE(sichtbarerAB(m), 7);
        klick(m, 3);
        klick(m, 7);
        QCOMPARE(sichtbarerAB(m), 7);
        klick(m, 6);
        QVERIFY(m->imgVorBack[6]->isVisible());
        QVERIFY(!s.pausiertFlag());
    }

    // Button 12 turns the bar into a column and back, with the buttons laid out for it and
    // each orientation at its own stored place; button 4 brings the main window back, playing
    // on, and the next opening shows the same orientation and place.
    void ausrichtungUndZurueck()
    {
        auto w = perKommandozeile();
        frmMiniPlayer* m = w->miniPlayer();
        QCOMPARE(m->imgLautsprecherregler->pos(), QPoint(313, 3));
        m->move(120, 90);
        klick(m, 12);
        QCOMPARE(m->ausrichtung(), frmMiniPlayer::Ausrichtung::Vertikal);
        QCOMPARE(m->size(), QSize(28, 296));
        QCOMPARE(m->imgLautsprecherregler->pos(), QPoint(2, 270));
        QCOMPARE(option(QStringLiteral("MiniPlayerHorizontalLeft")), QStringLiteral("1800"));
        QCOMPARE(option(QStringLiteral("MiniPlayerHorizontalTop")), QStringLiteral("1350"));
        m->move(40, 60);
        klick(m, 12);
        QCOMPARE(m->pos(), QPoint(120, 90));
        klick(m, 12);
        QCOMPARE(m->pos(), QPoint(40, 60));

        klick(m, 4);
        QVERIFY(!m->isVisible());
        QVERIFY(w->isVisible());
        QVERIFY(w->Timer4.isActive());
        QVERIFY(w->panelText(2).startsWith(QLatin1String("playing:  ")));
        QCOMPARE(option(QStringLiteral("MiniPlayerVertikalLeft")), QStringLiteral("600"));
        w->imgMiniPlayer_Click();
        QVERIFY(m->isVisible());
        QCOMPARE(m->ausrichtung(), frmMiniPlayer::Ausrichtung::Vertikal);
        QCOMPARE(m->pos(), QPoint(40, 60));
    }

    // A stored place that lies on no screen is moved onto one; the menu decides on top.
    void platzAufBildschirmUndVordergrund()
    {
        setOption(QStringLiteral("MiniPlayerHorizontalLeft"), QStringLiteral("9000000"));
        setOption(QStringLiteral("MiniPlayerHorizontalTop"), QStringLiteral("-9000000"));
        setOption(QStringLiteral("MiniPlayerOnTop"), QStringLiteral("False"));
        auto w = perKommandozeile();
        frmMiniPlayer* m = w->miniPlayer();
        const QRect schirm = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(schirm.intersects(m->frameGeometry()), qPrintable(QStringLiteral("%1,%2").arg(m->x()).arg(m->y())));
        QVERIFY(!(m->windowFlags() & Qt::WindowStaysOnTopHint));
    }

    // A stored place where only a pixel or a strip touches the screen, or far off, brings the
    // mini player (bar, then column, then the column opened again) and the video window back
    // with the whole frame and every button on the screen: with the main window hidden there
    // is no other way to reach them.
    void platzGanzAufBildschirm_data()
    {
        QTest::addColumn<QPoint>("ort");
        const QRect s = QGuiApplication::primaryScreen()->availableGeometry();
        QTest::newRow("lower right pixel") << s.bottomRight();
        QTest::newRow("upper left pixel") << s.topLeft() - QPoint(342, 29);
        QTest::newRow("column 229 px below") << QPoint(s.left() + 100, s.bottom() - 296 + 229);
        QTest::newRow("right edge") << QPoint(s.right() - 20, s.top() + 100);
        QTest::newRow("far off") << QPoint(90000, -90000);
    }
    void platzGanzAufBildschirm()
    {
        QFETCH(QPoint, ort);
        auto platzSetzen = [&ort](const QString& art) {
            setOption(QStringLiteral("MiniPlayer%1Left").arg(art), QString::number(ort.x() * 15));
            setOption(QStringLiteral("MiniPlayer%1Top").arg(art), QString::number(ort.y() * 15));
        };
        platzSetzen(QStringLiteral("Horizontal"));
        platzSetzen(QStringLiteral("Vertikal"));
        setOption(QStringLiteral("WinMediaPlayerLeft"), QString::number(ort.x() * 15));
        setOption(QStringLiteral("WinMediaPlayerTop"), QString::number(ort.y() * 15));
        auto ganzSichtbar = [](QWidget* fenster, const QList<kit::ImageButton*>& knoepfe) {
            const QRect schirm = fenster->screen()->availableGeometry();
            const QRect rahmen = fenster->frameGeometry();
            QVERIFY2(schirm.contains(rahmen), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(rahmen.x()).arg(rahmen.y())
                                                             .arg(rahmen.width()).arg(rahmen.height())));
            for (kit::ImageButton* b : knoepfe) {
                if (b->isVisible())
                    QVERIFY(schirm.contains(QRect(b->mapToGlobal(QPoint(0, 0)), b->size())));
            }
        };
        auto w = perKommandozeile();
        frmMiniPlayer* m = w->miniPlayer();
        ganzSichtbar(m, QList<kit::ImageButton*>(m->imgVorBack) << m->imgLautsprecherregler);
        klick(m, 12);
        QCOMPARE(m->ausrichtung(), frmMiniPlayer::Ausrichtung::Vertikal);
        ganzSichtbar(m, QList<kit::ImageButton*>(m->imgVorBack) << m->imgLautsprecherregler);
        klick(m, 4);
        platzSetzen(QStringLiteral("Vertikal"));
        w->imgMiniPlayer_Click();
        ganzSichtbar(m, QList<kit::ImageButton*>(m->imgVorBack) << m->imgLautsprecherregler);

        frmWinMediaPlayer* v = w->videofenster();
        v->show();
        ganzSichtbar(v, v->imgVorBack);
    }

    // The speaker: without the volume program a message names it; with it the place beside
    // the mini player is written for it and it starts.
    void lautsprecher()
    {
        const QString bin = m_env->path(QStringLiteral("bin"));
        QDir().mkpath(bin);
        const QByteArray altPfad = qgetenv("PATH");
        qputenv("PATH", bin.toUtf8());
        auto w = perKommandozeile();
        frmMiniPlayer* m = w->miniPlayer();
        QTest::mouseClick(m->imgLautsprecherregler, Qt::LeftButton);
        QCOMPARE(kit::testhook::calls().size(), 1);
        QCOMPARE(kit::testhook::calls().first().prompt, QStringLiteral("pavucontrol nicht gefunden."));
        QCOMPARE(kit::testhook::calls().first().title, QStringLiteral("Lautsprecherregler"));

        const QString marke = m_env->root() + QStringLiteral("/gestartet");
        QFile skript(bin + QStringLiteral("/pavucontrol"));
        QVERIFY(skript.open(QIODevice::WriteOnly));
        skript.write("#!/bin/sh\n/usr/bin/touch '" + marke.toUtf8() + "'\n");
        skript.close();
        skript.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m->move(100, 50);
        QTest::mouseClick(m->imgLautsprecherregler, Qt::LeftButton);
        qputenv("PATH", altPfad);
        QCOMPARE(kit::testhook::calls().size(), 1);
        QTRY_VERIFY(QFile::exists(marke));
        const QRect r = m->frameGeometry();
        QCOMPARE(klang::GetSetting(QStringLiteral("KlangtruheVolume"), QStringLiteral("Options"),
                                   QStringLiteral("MiniplayerLeft")),
                 QString::number(r.right() + 1 + 10));
        QCOMPARE(klang::GetSetting(QStringLiteral("KlangtruheVolume"), QStringLiteral("Options"),
                                   QStringLiteral("MiniplayerTop")),
                 QString::number(r.top()));
    }

    // Closing the mini player stops the track, keeps its place and ends through the main
    // window, whose settings are written too; after the way back, quitting by the menu keeps
    // what changed in the main window meanwhile.
    void schliessenBehaeltEinstellungen()
    {
        {
            auto w = perKommandozeile();
            frmMiniPlayer* m = w->miniPlayer();
            m->move(30, 40);
            QVERIFY(m->close());
            QCOMPARE(w->panelText(2), QStringLiteral("no play"));
            QCOMPARE(option(QStringLiteral("MiniPlayerHorizontalLeft")), QStringLiteral("450"));
            QVERIFY(!w->isVisible());
        }
        {
            auto w = perKommandozeile();
            QTest::mouseClick(w->miniPlayer()->imgVorBack[4], Qt::LeftButton);
            w->showNormal();
            w->resize(700, 500);
            w->MenuBeenden_Click();
            QCOMPARE(option(QStringLiteral("AusgabeboxWidth")), QString::number(700 * 15));
            QCOMPARE(w->panelText(2), QStringLiteral("no play"));
        }
    }

    // Stop while the mini player's caption counts the pause between tracks down: the pause
    // ends in the stop, no next track starts, and the plain caption comes back.
    void stopInDerPause()
    {
        klang::test::WavSpec kurz;
        kurz.seconds = 0.3;
        kurz.sampleRate = 22050;
        kurz.channels = 1;
        QVERIFY(klang::test::writeWav(m_musik + QStringLiteral("0 kurz.wav"), kurz));
        setOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("1"));
        auto w = normalStarten(false);
        w->chkAlleTracks->setChecked(true);
        w->imgMiniPlayer_Click();
        frmMiniPlayer* m = w->miniPlayer();
        trackSpielen(w.get(), QStringLiteral("0 kurz.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(m->windowTitle(), QStringLiteral(" 1 Sek. Pause"), 4000);
        QVERIFY(m->imgVorBack[10]->isVisible());
        klick(m, 3);
        QCOMPARE(m->windowTitle(), kRuhe);
        QCOMPARE(w->panelText(2), QStringLiteral("no play"));
        QVERIFY(m->imgVorBack[6]->isVisible());
        QTest::qWait(1500);
        QCOMPARE(w->panelText(2), QStringLiteral("no play"));
    }

    // The track information of a tagged OGG: length, format and tags, from the tags and from
    // the engine that plays it.
    void trackInfo()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty())
            QSKIP("sox makes the OGG file");
        const QString ogg = m_musik + QStringLiteral("d.ogg");
        QCOMPARE(QProcess::execute(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"),
                                                          QStringLiteral("22050"), ogg, QStringLiteral("synth"),
                                                          QStringLiteral("2"), QStringLiteral("sine"),
                                                          QStringLiteral("440")}),
                 0);
        {
            TagLib::FileRef f(QFile::encodeName(ogg).constData());
            QVERIFY(!f.isNull());
            f.tag()->setTitle(TagLib::String("Probetitel", TagLib::String::UTF8));
            f.tag()->setArtist(TagLib::String("Probeband Ä", TagLib::String::UTF8));
            QVERIFY(f.save());
        }
        auto w = normalStarten(true);
        QVERIFY(!w->cmdInfoTrack->isVisibleTo(w.get()));
        trackSpielen(w.get(), QStringLiteral("d.ogg"));
        QVERIFY(w->cmdInfoTrack->isVisibleTo(w.get()));
        QTRY_COMPARE(w->MediaPlayer1->playState(), 3);
        QTest::mouseClick(w->cmdInfoTrack, Qt::LeftButton);
        QCOMPARE(kit::testhook::calls().size(), 1);
        const kit::testhook::Call c = kit::testhook::calls().first();
        QCOMPARE(c.title, QStringLiteral("Track-Info"));
        QCOMPARE(c.style, 1);
        // (The kit hands line breaks over as "\n".)
        for (const char* zeile : {"Name = Probetitel\n", "Länge = 00:02 Min.\n\n", " - Author = Probeband Ä\n",
                                  " - FileFormat = ogg\n", " - SampleRate = 22050\n", " - AudioCodec = vorbis"})
            QVERIFY2(c.prompt.contains(QString::fromUtf8(zeile)), zeile);
        QVERIFY(c.prompt.startsWith(QStringLiteral("Name = ")));
    }

    // Playing with the associated program: the desktop's MIME default gets the file after a
    // stop; a file type without one is reported with the file's name.
    void assoziiertesProgramm()
    {
        const QString marke = m_env->root() + QStringLiteral("/bekommen");
        const QString skript = m_env->root() + QStringLiteral("/oeffner.sh");
        QFile f(skript);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho \"$1\" > '" + marke.toUtf8() + "'\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString apps = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
        QDir().mkpath(apps);
        QFile d(apps + QStringLiteral("/probe.desktop"));
        QVERIFY(d.open(QIODevice::WriteOnly));
        d.write("[Desktop Entry]\nType=Application\nName=Probe\nExec=" + skript.toUtf8() + " %f\n");
        d.close();
        QFile m(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list"));
        QVERIFY(m.open(QIODevice::WriteOnly));
        m.write("[Default Applications]\naudio/x-wav=probe.desktop\naudio/wav=probe.desktop\n");
        m.close();
        QFile fremd(m_musik + QStringLiteral("e.kzq"));
        QVERIFY(fremd.open(QIODevice::WriteOnly));
        fremd.write(QByteArray("\x00\x01\x02\x03\xff\xfe", 6));
        fremd.close();

        auto w = normalStarten(false);
        trackSpielen(w.get(), QStringLiteral("b.wav"));
        QTest::mouseClick(w->cmdPlayAsso, Qt::LeftButton);
        QCOMPARE(w->panelText(2), QStringLiteral("no play"));
        QTRY_VERIFY(QFile::exists(marke));
        QFile gelesen(marke);
        QVERIFY(gelesen.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(gelesen.readAll()).trimmed(), m_musik + QStringLiteral("b.wav"));
        QVERIFY(kit::testhook::calls().isEmpty());

        const auto treffer = w->filTrack->findItems(QStringLiteral("e.kzq"), Qt::MatchExactly);
        QVERIFY(!treffer.isEmpty());
        w->spieler().setAktuellerTrack(w->filTrack->row(treffer.first()));
        QTest::mouseClick(w->cmdPlayAsso, Qt::LeftButton);
        QCOMPARE(kit::testhook::calls().size(), 1);
        QCOMPARE(kit::testhook::calls().first().prompt,
                 QStringLiteral("Keine assoziierte Anwendung zu diesem Dateityp ermittelt.\n\ne.kzq"));
        QCOMPARE(kit::testhook::calls().first().title, QStringLiteral("Ausgabebox_cmdPlayAsso_Click"));
    }

    // The minimised main window scrolls the band, the title and the file name of what plays
    // in its caption, and shows its plain caption again when it is restored.
    void titelLaeuftMinimiert()
    {
        auto w = normalStarten(false);
        w->mnuLaufschrift->setChecked(true);
        w->spieler().setLaufschrift(true);
        trackSpielen(w.get(), QStringLiteral("a.wav"));
        QStringList gesehen;
        connect(w.get(), &QWidget::windowTitleChanged, this, [&gesehen](const QString& t) { gesehen << t; });
        w->showMinimized();
        QTRY_VERIFY(gesehen.contains(QStringLiteral("Die Band")));
        QVERIFY(gesehen.contains(QStringLiteral("D")));
        w->showNormal();
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("Klangtruhe-Player - Quarzwerk"));
        const int danach = gesehen.size();
        QTest::qWait(400);
        QCOMPARE(gesehen.size(), danach);
    }

    // The caption of the mini player and of the minimised main window is blank between the
    // texts it scrolls: an empty caption would show the program's name instead.
    void leererTitelBleibtLeer()
    {
        auto w = perKommandozeile();
        frmMiniPlayer* m = w->miniPlayer();
        w->mnuLaufschrift->setChecked(true);
        w->spieler().setLaufschrift(true);
        QStringList gesehen;
        connect(m, &QWidget::windowTitleChanged, this, [&gesehen](const QString& t) { gesehen << t; });
        m->Timer3.start();
        QTRY_VERIFY_WITH_TIMEOUT(gesehen.contains(QStringLiteral(" ")), 6000);
        QVERIFY(!gesehen.contains(QString()));
        QVERIFY(gesehen.contains(QStringLiteral("D")));
    }

    // A picture button looks pressed only while it is held, by any mouse button: the picture
    // moves a pixel right and down, the button stays where it is, and the release brings the
    // picture back.
    void gedrueckterKnopf_data()
    {
        QTest::addColumn<Qt::MouseButton>("taste");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void gedrueckterKnopf()
    {
        QFETCH(Qt::MouseButton, taste);
        auto w = normalStarten(false);
        QToolButton* b = w->imgStart;
        const QRect platz = b->geometry();
        const QImage vorher = b->grab().toImage();
        QTest::mousePress(b, taste);
        const QImage gedrueckt = b->grab().toImage();
        QCOMPARE(b->geometry(), platz);
        QVERIFY(gedrueckt != vorher);
        // The middle of the picture, one pixel lower right.
        const QRect mitte = vorher.rect().adjusted(4, 4, -4, -4);
        QCOMPARE(gedrueckt.copy(mitte.translated(1, 1)), vorher.copy(mitte));
        QTest::mouseRelease(b, taste);
        QCOMPARE(b->grab().toImage(), vorher);
        QCOMPARE(b->geometry(), platz);
    }

    // The video window: its default place and size, its closing with "no play" and its
    // geometry saved (only the state when maximised), fit on and off, and its layout.
    void videofenster()
    {
        auto w = perKommandozeile();
        frmWinMediaPlayer* v = w->videofenster();
        v->show();
        // The designed 1015 x 715, as far as the screen holds it with its frame.
        const QSize platz = v->screen()->availableGeometry().size().shrunkBy(v->windowHandle()->frameMargins());
        const QSize groesse = QSize(1015, 715).boundedTo(platz);
        QCOMPARE(v->size(), groesse);
        QCOMPARE(v->WindowsMediaPlayer1->geometry(), QRect(0, 0, groesse.width(), groesse.height() - 30));
        QCOMPARE(v->imgVorBack[3]->y(), groesse.height() - 23 - 4);
        QTest::mouseClick(v->imgVorBack[7], Qt::LeftButton);
        QVERIFY(v->WindowsMediaPlayer1->stretchToFit());
        QVERIFY(v->imgVorBack[8]->isVisible());
        QVERIFY(!v->imgVorBack[7]->isVisible());
        QTest::mouseClick(v->imgVorBack[8], Qt::LeftButton);
        QVERIFY(!v->WindowsMediaPlayer1->stretchToFit());
        v->move(60, 45);
        v->resize(600, 400);
        QTest::mouseClick(v->imgVorBack[3], Qt::LeftButton);
        QVERIFY(!v->isVisible());
        QCOMPARE(w->panelText(2), QStringLiteral("no play"));
        QCOMPARE(option(QStringLiteral("WinMediaPlayerWidth")), QStringLiteral("9000"));
        QCOMPARE(option(QStringLiteral("WinMediaPlayerHeight")), QStringLiteral("6000"));
        v->show();
        QCOMPARE(v->size(), QSize(600, 400));
        v->showMaximized();
        v->close();
        QVERIFY(!v->isVisible());
        QCOMPARE(option(QStringLiteral("WinMediaPlayerWindowState")), QStringLiteral("2"));
        QCOMPARE(option(QStringLiteral("WinMediaPlayerWidth")), QStringLiteral("9000"));
    }
};

QTEST_MAIN(MiniPlayerTest)
#include "tst_miniplayer.moc"
