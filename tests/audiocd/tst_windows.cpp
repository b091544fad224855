#include "audiocd/TrackKalender.h"
#include "audiocd/frmCDInfo.h"
#include "audiocd/frmMain.h"
#include "tests/support/FakeCdBackend.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include "kit/TestHook.h"
#include "tests/support/HilfeF1.h"

#include <QDesktopServices>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace diskolo;
using klang::test::FakeCdBackend;

namespace {

struct Window
{
    FakeCdBackend* cd = new FakeCdBackend;
    std::unique_ptr<frmMain> w;

    explicit Window(const QList<qint32>& tracks, const QStringList& drives = {})
    {
        cd->setDrives(drives);
        cd->insertDisc(tracks);
        w = std::make_unique<frmMain>(std::unique_ptr<klang::cdaudio::CdBackend>(cd));
        cd->takeLog();
    }
    template <typename T> T* get(const QString& name) const
    {
        T* child = w->findChild<T*>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    QString text(const QString& label) const { return get<QLabel>(label)->text(); }
    // The device moved to track t, p ms into it, and the status watch noticed.
    void at(int t, qint32 p)
    {
        w->player().timStatus_Timer(); // the first tick takes the disc for a new one
        w->player().setCurrentTrack(qint16(t));
        cd->setPositionMs(w->player().TrackPosOnCD(qint16(t)) + p);
        w->player().timStatus_Timer();
        w->player().timStatus_Timer();
        cd->takeLog();
    }
};


QList<qint32> lengths(int n, qint32 ms)
{
    return QList<qint32>(n, ms);
}

} // namespace

// The main window and the information editor, driven on a scripted device.
class TestWindows : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

private Q_SLOTS:
    void cleanup() { QFile::remove(ctlDiskoloX::GetIniPath()); }

    void hilfe()
    {
        Window t({60000});
        QCOMPARE(klang::test::hilfeMitF1(t.w.get()), QStringLiteral("diskolo.html"));
    }

    // A disc not in the file: the unknown title, "Unknown" and the length, plain track names,
    // and every track with its length in the chooser.
    void unknownDisc()
    {
        Window t({240000, 245000, 60000, 60000, 60000, 60000, 245000});
        QCOMPARE(t.w->windowTitle(), QStringLiteral("Diskolo"));
        QCOMPARE(t.text("lblCDTitle"), QStringLiteral("Unknown disc (unknown artist)"));
        QCOMPARE(t.text("lblCDExtraInfo"), QStringLiteral("Unknown   16:10"));
        QCOMPARE(t.text("lblTrackName"), QStringLiteral("Track 1"));
        QCOMPARE(t.text("lblTrackLength"), QStringLiteral("4:00"));
        auto* tracks = t.get<QComboBox>("cmbTracks");
        QCOMPARE(tracks->count(), 7);
        QCOMPARE(tracks->itemText(6), QStringLiteral("07 (4:05)"));
        t.at(3, 17000);
        QCOMPARE(t.text("lblTrackPos"), QStringLiteral("[03] 0:17"));
        QCOMPARE(t.text("lblTrackName"), QStringLiteral("Track 3"));
        QCOMPARE(tracks->currentIndex(), 2);
        QCOMPARE(t.get<QSlider>("Slider1")->maximum(), 60);
        QCOMPARE(t.get<QSlider>("Slider1")->value(), 17);
        QVERIFY(t.cd->takeLog().filter(QStringLiteral("play")).isEmpty());
    }

    // A known disc: "Found", title (artist) with a single "&".
    void knownDisc()
    {
        {
            Window first({137000, 60000});
            first.w->player().setIniCDArtist(QStringLiteral("Simon & Garfunkel"));
            first.w->player().setIniCDTitle(QStringLiteral("Bookends"));
            first.w->player().setIniTrackName(1, QStringLiteral("Mrs. Robinson & Co"));
            QVERIFY(first.w->player().SaveToDiskoloIni());
        }
        Window t({137000, 60000});
        QCOMPARE(t.text("lblCDTitle"), QStringLiteral("Bookends (Simon & Garfunkel)"));
        QCOMPARE(t.text("lblCDExtraInfo"), QStringLiteral("Found   3:17"));
        QCOMPARE(t.text("lblTrackName"), QStringLiteral("Mrs. Robinson & Co"));
        t.at(1, 137000 - 1);
        QCOMPARE(t.text("lblTrackPos"), QStringLiteral("[01] 2:17"));
    }

    // Track 9 of 12: 1-8 black, 9 white, 10-12 grey, five to a row.
    void trackGrid()
    {
        Window t(lengths(12, 60000));
        t.at(9, 1000);
        auto* grid = t.get<TrackKalender>("picCalendar");
        const QImage img = grid->grab().toImage();
        const auto colourOf = [&](int track) { return QColor(img.pixel(grid->cell(track).topLeft() + QPoint(1, 1))); };
        for (int track = 1; track <= 8; ++track)
            QCOMPARE(colourOf(track), QColor(Qt::black));
        QCOMPARE(colourOf(9), QColor(Qt::white));
        for (int track = 10; track <= 12; ++track)
            QCOMPARE(colourOf(track), QColor(150, 150, 150));
        QCOMPARE(grid->cellSize(), 13);
        QCOMPARE(grid->cell(5).y(), grid->cell(1).y());
        QCOMPARE(grid->cell(6), QRect(0, 15, 13, 13));
        QCOMPARE(grid->cell(12), QRect(15, 30, 13, 13));
        // The number is drawn in black inside the cell.
        bool dark = false;
        const QRect c = grid->cell(10);
        for (int x = c.left(); x <= c.right(); ++x)
            for (int y = c.top(); y <= c.bottom(); ++y)
                dark = dark || QColor(img.pixel(x, y)).lightness() < 60;
        QVERIFY(dark);
    }

    // The slider seeks once, on release or on a step, never while dragged or when the window
    // moves it.
    void sliderSeeksOnce()
    {
        Window t({240000, 240000, 240000});
        t.at(3, 1000);
        const qint32 start = t.w->player().TrackPosOnCD(3);
        auto* slider = t.get<QSlider>("Slider1");
        slider->setSliderDown(true);
        for (int v = 2; v <= 95; ++v)
            slider->setValue(v);
        QVERIFY(t.cd->takeLog().isEmpty());
        slider->setSliderDown(false);
        QCOMPARE(t.cd->takeLog(), QStringList{QStringLiteral("play from %1").arg(start + 95000)});
        t.w->player().timStatus_Timer();
        t.w->ctlDiskoloX1_PosChanged();
        QVERIFY(t.cd->takeLog().isEmpty());
        slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(t.cd->takeLog(), QStringList{QStringLiteral("play from %1").arg(start + 95000 + slider->pageStep() * 1000)});
    }

    // The mode menus: one item checked, the player's mode follows.
    void modeMenus()
    {
        Window t(lengths(5, 60000));
        QAction* random = t.get<QAction>("mnuProgramItem2");
        QVERIFY(t.get<QAction>("mnuProgramItem0")->isChecked());
        random->trigger();
        QVERIFY(random->isChecked());
        QVERIFY(!t.get<QAction>("mnuProgramItem0")->isChecked());
        QVERIFY(!t.get<QAction>("mnuProgramItem1")->isChecked());
        QCOMPARE(t.w->player().ProgramMode(), 2);
        QCOMPARE(random->text(), QStringLiteral("&zufällige Wiedergabe"));
        t.get<QAction>("mnuRepeatItem1")->trigger();
        QCOMPARE(t.w->player().Repeat(), 1);
        QVERIFY(!t.get<QAction>("mnuRepeatItem0")->isChecked());
    }

    // Eject opens and closes by turns; a tray that does not move is reported in the display.
    void eject()
    {
        Window t(lengths(5, 60000));
        auto* eject = t.get<QToolButton>("cmdEject");
        QTest::mouseClick(eject, Qt::LeftButton);
        QVERIFY(t.cd->takeLog().contains(QStringLiteral("door open")));
        QCOMPARE(eject->property("Tag").toString(), QStringLiteral("opened"));
        QTest::mouseClick(eject, Qt::LeftButton);
        QCOMPARE(t.cd->takeLog(), QStringList{QStringLiteral("door closed")});
        QCOMPARE(eject->property("Tag").toString(), QString());

        t.cd->setTrayWorks(false);
        t.cd->insertDisc(lengths(5, 60000));
        QTest::mouseClick(eject, Qt::LeftButton);
        QCOMPARE(t.text("lblCDExtraInfo"),
                 klang::cdaudio::cdErrorText(klang::cdaudio::CdError::NotSupported));
    }

    // Drives: only CD drives are offered, none at all leaves the chooser empty; the start
    // does not switch away from the default device.
    void drives_data()
    {
        QTest::addColumn<QStringList>("drives");
        QTest::newRow("none") << QStringList{};
        QTest::newRow("two") << QStringList{QStringLiteral("/dev/sr0"), QStringLiteral("/dev/sr1")};
    }
    void drives()
    {
        QFETCH(QStringList, drives);
        Window t(lengths(2, 60000), drives);
        auto* combo = t.get<QComboBox>("cmbDrives");
        QCOMPARE(combo->count(), drives.size());
        QCOMPARE(t.w->player().Drive(), QString());
        if (drives.isEmpty())
            return;
        QCOMPARE(combo->itemText(1), drives.at(1));
        combo->setCurrentIndex(1);
        QMetaObject::invokeMethod(combo, "activated", Q_ARG(int, 1));
        QCOMPARE(t.cd->openDevice(), drives.at(1));
    }

    // The play-state picture changes with the mode word only.
    void playStatePicture()
    {
        Window t(lengths(2, 60000));
        auto* img = t.get<QLabel>("imgPlayStatus");
        t.w->timPlayStatus_Timer();
        QCOMPARE(t.w->playStatusKey(), QStringLiteral("stopped"));
        const qint64 first = img->pixmap().cacheKey();
        t.w->timPlayStatus_Timer();
        QCOMPARE(img->pixmap().cacheKey(), first);
        t.get<QToolButton>("cmdPlay")->click();
        t.w->timPlayStatus_Timer();
        QCOMPARE(t.w->playStatusKey(), QStringLiteral("playing"));
        QVERIFY(img->pixmap().cacheKey() != first);
        t.get<QToolButton>("cmdPause")->click();
        t.w->timPlayStatus_Timer();
        QCOMPARE(t.w->playStatusKey(), QStringLiteral("paused"));
    }

    // The editor: an unknown disc, names saved and shown again with "yes"; Cancel keeps all.
    void editorSaves()
    {
        Window t({60000, 125000, 30000});
        {
            frmCDInfo dlg(*t.w);
            QCOMPARE(dlg.windowTitle(), QStringLiteral("Diskolo.INI"));
            QCOMPARE(dlg.findChild<QLineEdit*>("txtInDiskoloINI")->text(), QStringLiteral("no"));
            QCOMPARE(dlg.findChild<QLineEdit*>("txtMediaID")->text(), t.w->player().iniIdentity());
            auto* list = dlg.findChild<QTreeWidget*>("lvTracks");
            QCOMPARE(list->topLevelItemCount(), 3);
            QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("Track 2"));
            QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("2"));
            QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("2:05"));
            dlg.findChild<QLineEdit*>("txtArtist")->setText(QStringLiteral("Karat"));
            dlg.findChild<QLineEdit*>("txtTitle")->setText(QStringLiteral("Über sieben Brücken"));
            list->topLevelItem(1)->setText(0, QStringLiteral("Albatros"));
            dlg.findChild<QPushButton*>("cmdSave")->click();
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QVERIFY(t.w->player().iniFound());
        QCOMPARE(t.w->player().iniTrackName(2), QStringLiteral("Albatros"));
        QFile f(ctlDiskoloX::GetIniPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray saved = f.readAll();
        QVERIFY(saved.contains("artist=Karat\r\ntitle=\xDC" "ber sieben Br\xFC" "cken\r\n"));
        QVERIFY(saved.contains("\r\n1=Albatros\r\n"));
        {
            frmCDInfo dlg(*t.w);
            QCOMPARE(dlg.findChild<QLineEdit*>("txtInDiskoloINI")->text(), QStringLiteral("yes"));
            QCOMPARE(dlg.findChild<QLineEdit*>("txtTitle")->text(), QStringLiteral("Über sieben Brücken"));
            dlg.findChild<QLineEdit*>("txtArtist")->setText(QStringLiteral("verworfen"));
            dlg.findChild<QTreeWidget*>("lvTracks")->topLevelItem(0)->setText(0, QStringLiteral("verworfen"));
            const QByteArray before = [] { QFile g(ctlDiskoloX::GetIniPath()); g.open(QIODevice::ReadOnly); return g.readAll(); }();
            dlg.findChild<QPushButton*>("cmdCancel")->click();
            QFile g(ctlDiskoloX::GetIniPath());
            QVERIFY(g.open(QIODevice::ReadOnly));
            QCOMPARE(g.readAll(), before);
        }
        QCOMPARE(t.w->player().iniCDArtist(), QStringLiteral("Karat"));
        QCOMPARE(t.w->player().iniTrackName(1), QStringLiteral("Track 1"));
    }

    // F2 alone edits the name; with Shift, Ctrl or Alt it does not.
    void editorF2_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("edits");
        QTest::newRow("F2") << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+F2") << int(Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+F2") << int(Qt::ControlModifier) << false;
        QTest::newRow("Alt+F2") << int(Qt::AltModifier) << false;
    }
    void editorF2()
    {
        QFETCH(int, modifiers);
        Window t({60000, 60000});
        frmCDInfo dlg(*t.w);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto* list = dlg.findChild<QTreeWidget*>("lvTracks");
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(1));
        QTest::keyClick(list, Qt::Key_F2, Qt::KeyboardModifiers(modifiers));
        QTEST(list->viewport()->findChild<QLineEdit*>() != nullptr, "edits");
    }

    // Column widths follow the contents after an edit.
    void editorColumns()
    {
        Window t({60000, 60000});
        frmCDInfo dlg(*t.w);
        auto* list = dlg.findChild<QTreeWidget*>("lvTracks");
        const int before = list->columnWidth(0);
        list->topLevelItem(0)->setText(0, QString(60, QLatin1Char('W')));
        QVERIFY(list->columnWidth(0) > before + 100);
        QVERIFY(list->columnWidth(1) >= list->header()->sectionSizeHint(1));
    }

    // An empty drive: no rows, no identity, no save; a failed save keeps the window and the
    // edits, and the player keeps what the file holds.
    void editorWithoutDiscOrFile()
    {
        Window empty(QList<qint32>{});
        {
            frmCDInfo dlg(*empty.w);
            QCOMPARE(dlg.findChild<QTreeWidget*>("lvTracks")->topLevelItemCount(), 0);
            QCOMPARE(dlg.findChild<QLineEdit*>("txtMediaID")->text(), QString());
            QVERIFY(!dlg.findChild<QPushButton*>("cmdSave")->isEnabled());
        }
        Window t({60000});
        QFile::remove(ctlDiskoloX::GetIniPath());
        QVERIFY(QDir().mkpath(ctlDiskoloX::GetIniPath())); // a folder where the file belongs
        frmCDInfo dlg(*t.w);
        dlg.show();
        dlg.findChild<QLineEdit*>("txtArtist")->setText(QStringLiteral("getippt"));
        dlg.findChild<QPushButton*>("cmdSave")->click();
        QVERIFY(dlg.isVisible());
        QVERIFY(!dlg.findChild<QLabel*>("lblStatus")->text().isEmpty());
        QCOMPARE(dlg.findChild<QLineEdit*>("txtArtist")->text(), QStringLiteral("getippt"));
        QCOMPARE(t.w->player().iniCDArtist(), QString());
        QDir(ctlDiskoloX::GetIniPath()).removeRecursively();
    }

    // Letters diskolo.ini cannot hold are named before anything is saved; a second Save
    // stores them as "?", a text changed to other such letters is named again.
    void editorNamesUnstorableLetters()
    {
        Window t({60000, 60000});
        frmCDInfo dlg(*t.w);
        dlg.show();
        auto* title = dlg.findChild<QLineEdit*>("txtTitle");
        auto* status = dlg.findChild<QLabel*>("lblStatus");
        auto* save = dlg.findChild<QPushButton*>("cmdSave");
        title->setText(QStringLiteral("Musik 🎵"));
        save->click();
        QVERIFY(dlg.isVisible());
        QVERIFY2(status->text().contains(QStringLiteral("Titel: 🎵")), qPrintable(status->text()));
        QVERIFY(!QFile::exists(ctlDiskoloX::GetIniPath()));
        title->setText(QStringLiteral("Musik ☺"));
        save->click();
        QVERIFY(dlg.isVisible());
        QVERIFY(status->text().contains(QStringLiteral("Titel: ☺")));
        QVERIFY(!QFile::exists(ctlDiskoloX::GetIniPath()));
        save->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QFile f(ctlDiskoloX::GetIniPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("\r\ntitle=Musik ?\r\n"));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
