// The tip of the day and the about box.

#include "player/auxiliary/Tipbox.h"
#include "player/auxiliary/frmInfo.h"
#include "platform/settings/Settings.h"
#include "platform/sound/Sound.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace klang::player;

namespace {
const QString App = QStringLiteral("KlangtruhePlayer");
const QString Sektion = QStringLiteral("Options");
}

class InfoFensterTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<klang::test::TestEnvironment> m_env;
    QString m_programm;

private slots:
    void init()
    {
        m_env = std::make_unique<klang::test::TestEnvironment>();
        m_programm = m_env->path(QStringLiteral("prog")) + QLatin1Char('/');
        QDir().mkpath(m_programm);
    }
    void cleanup() { m_env.reset(); }

    // Tips in file order; "Nächster Tipp" wraps from the last to the first; a second opening
    // goes on after the tip shown last.
    void tippsReihum()
    {
        QFile f(m_programm + QStringLiteral("TipOfDay.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Erster\r\n\r\nDritter\r\n");
        f.close();
        Tipbox box;
        QVERIFY(box.Form_Load(true, m_programm));
        QCOMPARE(box.lblTipText->text(), QStringLiteral("Erster"));
        QTest::mouseClick(box.cmdNextTip, Qt::LeftButton);
        QCOMPARE(box.lblTipText->text(), QString()); // an empty line is an empty tip
        QTest::mouseClick(box.cmdNextTip, Qt::LeftButton);
        QCOMPARE(box.lblTipText->text(), QStringLiteral("Dritter"));
        QTest::mouseClick(box.cmdNextTip, Qt::LeftButton);
        QCOMPARE(box.lblTipText->text(), QStringLiteral("Erster"));
        QTest::mouseClick(box.cmdNextTip, Qt::LeftButton);
        QVERIFY(box.Form_Load(true, m_programm));
        QCOMPARE(box.lblTipText->text(), QStringLiteral("Dritter"));
    }

    // A tip is shown as the text it is (a tag loads nothing); a 5 MB line is shown cut to the
    // longest tip without stalling the window, and the tips after it still come in turn.
    void tippsAlsText()
    {
        const QByteArray tag = "<img src=\"" + m_programm.toUtf8() + "bild.png\"> <b>fett</b>";
        QFile f(m_programm + QStringLiteral("TipOfDay.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(tag + "\r\n");
        f.write(QByteArray(5 * 1024 * 1024, 'x') + "\r\n");
        f.write(QByteArray(Tipbox::kMaxTipp - 1, 'y') + "\xC3\xA4\r\nVierter\r\n");
        f.close();
        Tipbox box;
        QElapsedTimer uhr;
        uhr.start();
        QVERIFY(box.Form_Load(true, m_programm));
        QCOMPARE(box.lblTipText->text(), QString::fromUtf8(tag));
        QCOMPARE(box.lblTipText->textFormat(), Qt::PlainText);
        box.show();
        QTest::mouseClick(box.cmdNextTip, Qt::LeftButton);
        QCOMPARE(box.lblTipText->text(), QString(Tipbox::kMaxTipp, QLatin1Char('x')));
        QCoreApplication::processEvents();
        QTest::mouseClick(box.cmdNextTip, Qt::LeftButton);
        // Cut before the character that no longer fits, not inside it.
        QCOMPARE(box.lblTipText->text(), QString(Tipbox::kMaxTipp - 1, QLatin1Char('y')));
        QTest::mouseClick(box.cmdNextTip, Qt::LeftButton);
        QCOMPARE(box.lblTipText->text(), QStringLiteral("Vierter"));
        QTest::mouseClick(box.cmdNextTip, Qt::LeftButton);
        QCOMPARE(box.lblTipText->text(), QString::fromUtf8(tag));
        QVERIFY2(uhr.elapsed() < 3000, qPrintable(QString::number(uhr.elapsed())));
    }

    // Without the file the box explains it, and no error box appears.
    void ohneDatei()
    {
        Tipbox box;
        QVERIFY(box.Form_Load(true, m_programm));
        QVERIFY(box.lblTipText->text().startsWith(QStringLiteral("Die Datei TipOfDay.ini wurde nicht gefunden? ")));
        QTest::mouseClick(box.cmdNextTip, Qt::LeftButton);
        QVERIFY(box.lblTipText->text().startsWith(QStringLiteral("Die Datei")));
    }

    // Tips switched off: not shown at start, still shown from the menu, which switches them on.
    void startSchalter()
    {
        klang::SaveSetting(App, Sektion, QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
        Tipbox box;
        QVERIFY(!box.Form_Load(false, m_programm));
        QCOMPARE(klang::GetSetting(App, Sektion, QStringLiteral("Show Tips at Startup")), QStringLiteral("0"));
        QVERIFY(box.Form_Load(true, m_programm));
        QVERIFY(box.chkLoadTipsAtStartup->isChecked());
        QCOMPARE(klang::GetSetting(App, Sektion, QStringLiteral("Show Tips at Startup")), QStringLiteral("1"));
        box.chkLoadTipsAtStartup->setChecked(false);
        QCOMPARE(klang::GetSetting(App, Sektion, QStringLiteral("Show Tips at Startup")), QStringLiteral("0"));
    }

    // The program font with its size default of 12 points.
    void schrift()
    {
        Tipbox box;
        box.Form_Load(true, m_programm);
        QCOMPARE(box.lblTipText->font().pointSizeF(), 12.0);
    }

    // The credits carry the stored program name and scroll one pixel per tick; a click on
    // the strip pauses and resumes.
    void abspann()
    {
        klang::SaveSetting(App, Sektion, QStringLiteral("ProgrammName"), QStringLiteral("K l a n g t r u h e   P l a y e r"));
        frmInfo info(m_programm);
        QCOMPARE(info.zeilen().size(), 20);
        QCOMPARE(info.zeilen().at(5), QStringLiteral("K l a n g t r u h e   P l a y e r"));
        QVERIFY(info.zeilen().at(7).startsWith(QStringLiteral("Versionsnummer: ")));
        QCOMPARE(klang::lastSoundRequested(), m_programm + QStringLiteral("Blues.wav"));
        QVERIFY(info.Timer1.isActive());
        QCOMPARE(info.Timer1.interval(), 50);
        const int oben = info.Picture2->y();
        QCOMPARE(oben, info.Picture1->height());
        QTRY_VERIFY(info.Picture2->y() < oben);
        QTest::mouseClick(info.Picture2, Qt::LeftButton);
        QVERIFY(!info.Timer1.isActive());
        QTest::mouseClick(info.Picture2, Qt::LeftButton);
        QVERIFY(info.Timer1.isActive());
    }

    // The strip restarts from below once it has left the window.
    void abspannVonVorn()
    {
        frmInfo info(m_programm);
        info.Picture2->move(0, -info.Picture2->height());
        // On a loaded machine several ticks may pass between two looks: after the restart the
        // strip stands below the top and at most at the window's foot, never above it.
        QTRY_VERIFY(info.Picture2->y() > 0);
        QVERIFY(info.Picture2->y() <= info.Picture1->height());
    }

    // The logo's frame: three nested outlines, white top and left, grey bottom and right while
    // raised; pressing the logo swaps the colours.
    void rand3D()
    {
        frmInfo info(m_programm);
        info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&info));
        const QRect g = info.BildFenn->geometry();
        const int y = g.center().y();
        const QColor weiss(Qt::white);
        const QColor grau(0x80, 0x80, 0x80);
        auto pruefen = [&](const QColor& links, const QColor& rechts) {
            const QImage bild = info.grab().toImage();
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(bild.pixelColor(g.left() - 3 + i, y), links);
                QCOMPARE(bild.pixelColor(g.center().x(), g.top() - 3 + i), links);
                QCOMPARE(bild.pixelColor(g.right() + 3 - i, y), rechts);
                QCOMPARE(bild.pixelColor(g.center().x(), g.bottom() + 3 - i), rechts);
            }
            QVERIFY(bild.pixelColor(g.left() - 4, y) != links);
        };
        pruefen(weiss, grau);
        QTest::mousePress(info.BildFenn, Qt::LeftButton);
        pruefen(grau, weiss);
    }

    // Esc and a click on the logo close the box.
    void schliessen_data()
    {
        QTest::addColumn<bool>("esc");
        QTest::newRow("Esc") << true;
        QTest::newRow("logo") << false;
    }
    void schliessen()
    {
        QFETCH(bool, esc);
        frmInfo info(m_programm);
        info.show();
        QVERIFY(info.isVisible());
        if (esc)
            QTest::keyRelease(info.Picture1, Qt::Key_Escape);
        else
            QTest::mouseClick(info.BildFenn, Qt::LeftButton);
        QVERIFY(!info.isVisible());
        QVERIFY(!info.Timer1.isActive());
    }
};

QTEST_MAIN(InfoFensterTest)
#include "tst_infofenster.moc"
