#include "kit/Farbverlauf.h"
#include "kit/FormPlatzieren.h"
#include "kit/Helpers.h"
#include "kit/MausRad.h"
#include "kit/TestHook.h"
#include "platform/shell/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QSlider>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest>

#include <unistd.h>

namespace {

// Receives what the kit hands to the desktop for opening.
class UrlFaenger : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void oeffnen(const QUrl& url) { urls << url; }
};

// A window that closes all windows from its own close handler.
class Fenster : public QWidget
{
public:
    int geschlossen = 0;
    bool entladenBeimSchliessen = false;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++geschlossen;
        if (entladenBeimSchliessen)
            kit::AlleFormsEntladen();
        QWidget::closeEvent(event);
    }
};

class Verlauf : public QWidget
{
public:
    qint64 farbe1 = 0, farbe2 = 0;
    int modus = 1;

protected:
    void paintEvent(QPaintEvent*) override { kit::FarbverlaufZeichnen(this, farbe1, farbe2, modus); }
};

bool aehnlich(const QColor& a, const QColor& b, int toleranz = 3)
{
    return qAbs(a.red() - b.red()) <= toleranz && qAbs(a.green() - b.green()) <= toleranz
           && qAbs(a.blue() - b.blue()) <= toleranz;
}

void rad(QWidget* ziel, int delta)
{
    const QPointF pos(ziel->width() / 2.0, ziel->height() / 2.0);
    QWheelEvent event(pos, ziel->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(ziel, &event);
}

int obersteZeile(QListWidget* liste)
{
    return liste->indexAt(QPoint(1, 1)).row();
}

QByteArray lesen(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool schreiben(const QString& pfad, const QByteArray& inhalt)
{
    QFile f(pfad);
    return f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size();
}

} // namespace

class TestKitHelpers : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

private Q_SLOTS:
    void init()
    {
        kit::testhook::enable();
        kit::testhook::clear();
    }
    void cleanup()
    {
        kit::testhook::disable();
        kit::MausradAushaengen();
    }

    // Placement arithmetic: centre, sides, case-insensitive positions, clamping in order,
    // negative origins and halving toward zero.
    void platzierung_data()
    {
        QTest::addColumn<QSize>("frm");
        QTest::addColumn<QRect>("eltern");
        QTest::addColumn<QRect>("bereich");
        QTest::addColumn<QString>("position");
        QTest::addColumn<QPoint>("erwartet");
        const QRect schirm(0, 0, 1920, 1080);
        const QRect p(100, 100, 800, 600);
        QTest::newRow("centre") << QSize(400, 300) << p << schirm << "center" << QPoint(300, 250);
        QTest::newRow("unknown centres") << QSize(400, 300) << p << schirm << "xyz" << QPoint(300, 250);
        QTest::newRow("empty centres") << QSize(400, 300) << p << schirm << "" << QPoint(300, 250);
        QTest::newRow("right") << QSize(400, 300) << p << schirm << "right" << QPoint(910, 250);
        QTest::newRow("RIGHT") << QSize(400, 300) << p << schirm << "RIGHT" << QPoint(910, 250);
        QTest::newRow("left clamped") << QSize(400, 300) << p << schirm << "Left" << QPoint(0, 250);
        QTest::newRow("below") << QSize(400, 300) << p << schirm << "below" << QPoint(300, 710);
        QTest::newRow("above clamped") << QSize(400, 300) << p << schirm << "above" << QPoint(300, 0);
        QTest::newRow("right edge") << QSize(400, 300) << QRect(1500, 100, 400, 300) << schirm
                                    << "right" << QPoint(1520, 100);
        QTest::newRow("bigger than area") << QSize(2000, 1200) << p << schirm << "center"
                                          << QPoint(-80, -120);
        QTest::newRow("negative origin") << QSize(400, 300) << QRect(-1900, 50, 300, 200)
                                         << QRect(-1920, 0, 1920, 1080) << "left"
                                         << QPoint(-1920, 0);
        QTest::newRow("second screen right") << QSize(400, 300) << QRect(2500, 500, 300, 200)
                                             << QRect(1920, 0, 1280, 1024) << "right"
                                             << QPoint(2800, 450);
        QTest::newRow("odd +1 halves to 0") << QSize(400, 300) << QRect(10, 10, 401, 301) << schirm
                                            << "center" << QPoint(10, 10);
        QTest::newRow("odd -1 halves to 0") << QSize(400, 300) << QRect(10, 10, 399, 299) << schirm
                                            << "center" << QPoint(10, 10);
    }
    void platzierung()
    {
        QFETCH(QSize, frm);
        QFETCH(QRect, eltern);
        QFETCH(QRect, bereich);
        QFETCH(QString, position);
        QFETCH(QPoint, erwartet);
        QCOMPARE(kit::platzierung(frm, eltern, bereich, position, 10), erwartet);
    }

    // A stored window frame comes back wholly on a screen: one pixel on a screen is not
    // enough (the bar at the lower right corner, the bar at the upper left, a column half
    // below the edge), each of the four edges, far off, two screens side by side, and a
    // window larger than its screen.
    void fensterLage_data()
    {
        QTest::addColumn<QRect>("gespeichert");
        QTest::addColumn<QRect>("erwartet");
        const QSize bar(349, 36);
        const QSize saeule(34, 330);
        QTest::newRow("inside") << QRect(QPoint(200, 300), bar) << QRect(QPoint(200, 300), bar);
        QTest::newRow("corner 1599,1199") << QRect(QPoint(1599, 1199), bar) << QRect(QPoint(1251, 1164), bar);
        QTest::newRow("corner -342,-29") << QRect(QPoint(-342, -29), bar) << QRect(QPoint(0, 0), bar);
        QTest::newRow("column 229 px below") << QRect(QPoint(500, 1099), saeule) << QRect(QPoint(500, 870), saeule);
        QTest::newRow("left edge") << QRect(QPoint(-10, 500), bar) << QRect(QPoint(0, 500), bar);
        QTest::newRow("right edge") << QRect(QPoint(2870, 500), bar) << QRect(QPoint(2531, 500), bar);
        QTest::newRow("top edge") << QRect(QPoint(500, -5), bar) << QRect(QPoint(500, 0), bar);
        QTest::newRow("bottom edge") << QRect(QPoint(500, 1190), bar) << QRect(QPoint(500, 1164), bar);
        QTest::newRow("far off") << QRect(QPoint(-90000, 90000), bar) << QRect(QPoint(0, 1164), bar);
        QTest::newRow("across both screens") << QRect(QPoint(1500, 100), bar) << QRect(QPoint(1500, 100), bar);
        QTest::newRow("below the smaller screen") << QRect(QPoint(1700, 1000), bar) << QRect(QPoint(1700, 988), bar);
        QTest::newRow("larger than its screen") << QRect(100, 100, 2000, 1500) << QRect(0, 0, 1600, 1200);
    }
    void fensterLage()
    {
        QFETCH(QRect, gespeichert);
        QFETCH(QRect, erwartet);
        const QList<QRect> schirme{QRect(0, 0, 1600, 1200), QRect(1600, 0, 1280, 1024)};
        QCOMPARE(kit::fensterLage(gespeichert, QSize(), schirme), erwartet);
    }

    // The real move: inside the parent's screen work area, not resized, not shown.
    void formPlatzieren()
    {
        QWidget eltern;
        eltern.setGeometry(100, 100, 800, 600);
        eltern.show();
        QWidget dialog;
        dialog.resize(400, 300);
        kit::FormPlatzieren(&dialog, &eltern, QStringLiteral("center"), 10);
        const QRect area = eltern.screen()->availableGeometry();
        QCOMPARE(dialog.pos(), kit::platzierung(QSize(400, 300), eltern.frameGeometry(), area,
                                                QStringLiteral("center"), 10));
        QCOMPARE(dialog.size(), QSize(400, 300));
        QVERIFY(!dialog.isVisible());
        QVERIFY(area.contains(QRect(dialog.pos(), dialog.size())));
    }

    // Channel words and colour literals.
    void farbanteilWort_data()
    {
        QTest::addColumn<int>("wert");
        QTest::addColumn<int>("wort");
        QTest::newRow("65280") << 65280 << -256;
        QTest::newRow("32767") << 32767 << 32767;
        QTest::newRow("32768") << 32768 << -32768;
        QTest::newRow("0") << 0 << 0;
    }
    void farbanteilWort()
    {
        QFETCH(int, wert);
        QFETCH(int, wort);
        QCOMPARE(kit::FarbanteilWort(wert), wort);
    }

    // &H00BBGGRR is blue-green-red; &H8000000F is the palette's button face.
    void farbeAusWert()
    {
        QCOMPARE(kit::farbeAusWert(0xC0E0FF), QColor(255, 224, 192));
        QCOMPARE(kit::farbeAusWert(0xFFFFFF), QColor(255, 255, 255));
        QCOMPARE(kit::farbeAusWert(0xC0C0FF), QColor(255, 192, 192));
        QCOMPARE(kit::farbeAusWert(0x8000000F), QGuiApplication::palette().color(QPalette::Button));
        QCOMPARE(kit::farbeAusWert(0x80000005), QGuiApplication::palette().color(QPalette::Base));
    }

    // The gradient runs from the first colour to the second, down (1) or across (0).
    void farbverlauf_data()
    {
        QTest::addColumn<qint64>("farbe1");
        QTest::addColumn<qint64>("farbe2");
        QTest::addColumn<int>("modus");
        QTest::newRow("search dialog vertical") << qint64(0xF4EAE3) << qint64(0xDEC9AD) << 1;
        QTest::newRow("video window horizontal") << qint64(0xDEC9AD) << qint64(0xF4EAE3) << 0;
        QTest::newRow("system face") << qint64(0x8000000F) << qint64(0xDEC9AD) << 1;
    }
    void farbverlauf()
    {
        QFETCH(qint64, farbe1);
        QFETCH(qint64, farbe2);
        QFETCH(int, modus);
        Verlauf w;
        w.farbe1 = farbe1;
        w.farbe2 = farbe2;
        w.modus = modus;
        w.resize(120, 80);
        const QImage bild = w.grab().toImage();
        const QColor a = kit::farbeAusWert(farbe1);
        const QColor b = kit::farbeAusWert(farbe2);
        const QPoint ende = modus == 1 ? QPoint(60, 79) : QPoint(119, 40);
        const QPoint quer = modus == 1 ? QPoint(119, 0) : QPoint(0, 79);
        QVERIFY(aehnlich(bild.pixelColor(0, 0), a));
        QVERIFY(aehnlich(bild.pixelColor(quer), a)); // constant across the gradient
        QVERIFY2(aehnlich(bild.pixelColor(ende), b), qPrintable(bild.pixelColor(ende).name()));
    }

    // A window of zero size paints nothing and does not fail.
    void farbverlaufOhneFlaeche()
    {
        Verlauf w;
        w.resize(0, 0);
        QImage bild(10, 10, QImage::Format_ARGB32);
        bild.fill(Qt::black);
        QPainter p(&bild);
        kit::FarbverlaufZeichnen(p, &w, 0xFFFFFF, 0xFFFFFF, 1);
        p.end();
        QCOMPARE(bild.pixelColor(5, 5), QColor(Qt::black));
        kit::FarbverlaufZeichnen(static_cast<QWidget*>(nullptr), 0, 0, 1);
    }

    // File name and folder split at the last "\" or "/".
    void pfade_data()
    {
        QTest::addColumn<QString>("pfad");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ordner");
        QTest::newRow("backslash") << "C:\\Musik\\Titel.mp3" << "Titel.mp3" << "C:\\Musik\\";
        QTest::newRow("bare name") << "Titel.mp3" << "Titel.mp3" << "";
        QTest::newRow("trailing backslash") << "C:\\Musik\\" << "" << "C:\\Musik\\";
        QTest::newRow("slash") << "/home/a/Titel.mp3" << "Titel.mp3" << "/home/a/";
        QTest::newRow("trailing slash") << "/home/a/" << "" << "/home/a/";
        QTest::newRow("mixed") << "C:\\x/y\\z.wav" << "z.wav" << "C:\\x/y\\";
        QTest::newRow("empty") << "" << "" << "";
    }
    void pfade()
    {
        QFETCH(QString, pfad);
        QFETCH(QString, name);
        QFETCH(QString, ordner);
        QCOMPARE(kit::DateinameAusPfad(pfad), name);
        QCOMPARE(kit::OrdnerAusPfad(pfad), ordner);
    }

    // Umlauts become patterns that find the rich-text escapes; the argument changes too.
    void umlautSuchmuster_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("muster");
        QTest::newRow("Mädchen") << "Mädchen" << "M\\?e4dchen";
        QTest::newRow("MÄDCHEN") << "MÄDCHEN" << "M\\?c4DCHEN";
        QTest::newRow("Straße") << "Straße" << "Stra\\?dfe";
        QTest::newRow("all") << "ßÄÖÜäöü" << "\\?df\\?c4\\?d6\\?dc\\?e4\\?f6\\?fc";
        QTest::newRow("none") << "Rock" << "Rock";
    }
    void umlautSuchmuster()
    {
        QFETCH(QString, text);
        QFETCH(QString, muster);
        QString argument = text;
        QCOMPARE(kit::UmlautSuchmuster(argument), muster);
        QCOMPARE(argument, muster);
    }

    // Mode 2 writes whole blocks of 4096 and the rest.
    void ueberschreibBloecke_data()
    {
        QTest::addColumn<qint64>("laenge");
        QTest::addColumn<QList<qint64>>("bloecke");
        QTest::newRow("10000") << qint64(10000) << QList<qint64>{4096, 4096, 1808};
        QTest::newRow("empty") << qint64(0) << QList<qint64>{};
        QTest::newRow("4096") << qint64(4096) << QList<qint64>{4096};
        QTest::newRow("4097") << qint64(4097) << QList<qint64>{4096, 1};
    }
    void ueberschreibBloecke()
    {
        QFETCH(qint64, laenge);
        QFETCH(QList<qint64>, bloecke);
        QCOMPARE(kit::ueberschreibBloecke(laenge), bloecke);
    }

    // Deleting: plain, into the trash, overwritten; failures give false (and a report only
    // when asked for), unknown modes touch nothing.
    void dateiLoeschen_data()
    {
        QTest::addColumn<int>("modus");
        QTest::addColumn<bool>("vorhanden");
        QTest::addColumn<bool>("fehlerZeigen");
        QTest::addColumn<bool>("ergebnis");
        QTest::addColumn<bool>("danachDa");
        QTest::addColumn<int>("meldungen");
        QTest::newRow("0 deletes") << 0 << true << false << true << false << 0;
        QTest::newRow("0 missing silent") << 0 << false << false << false << false << 0;
        QTest::newRow("0 missing reported") << 0 << false << true << false << false << 1;
        QTest::newRow("1 into trash") << 1 << true << true << true << false << 0;
        QTest::newRow("2 overwrites") << 2 << true << false << true << false << 0;
        QTest::newRow("2 missing not created") << 2 << false << false << false << false << 0;
        QTest::newRow("3 untouched") << 3 << true << true << false << true << 0;
        QTest::newRow("-1 untouched") << -1 << true << false << false << true << 0;
    }
    void dateiLoeschen()
    {
        QFETCH(int, modus);
        QFETCH(bool, vorhanden);
        QFETCH(bool, fehlerZeigen);
        QFETCH(bool, ergebnis);
        QFETCH(bool, danachDa);
        QFETCH(int, meldungen);
        const QString pfad = m_env.path(QStringLiteral("loeschen")) + QStringLiteral("/Datei.txt");
        QFile::remove(pfad);
        if (vorhanden)
            QVERIFY(schreiben(pfad, QByteArray(100, 'x')));
        QCOMPARE(kit::DateiLoeschen(pfad, modus, fehlerZeigen), ergebnis);
        QCOMPARE(QFile::exists(pfad), danachDa);
        if (danachDa)
            QCOMPARE(lesen(pfad), QByteArray(100, 'x'));
        QCOMPARE(kit::testhook::calls().size(), meldungen);
        if (meldungen)
            QCOMPARE(kit::testhook::calls().first().style, 4);
    }

    // Mode 1 leaves the file in the trash; where the trash cannot be used the file stays
    // and the result is false (never a permanent delete).
    void papierkorb()
    {
        m_env.homeHere();
        const QString trash = m_env.dataHome() + QStringLiteral("/Trash");
        const QString pfad = m_env.path(QStringLiteral("pk")) + QStringLiteral("/Bild.jpg");
        QVERIFY(schreiben(pfad, "Bild"));
        QVERIFY(kit::DateiLoeschen(pfad, 1, false));
        QVERIFY(!QFile::exists(pfad));
        QCOMPARE(lesen(trash + QStringLiteral("/files/Bild.jpg")), QByteArray("Bild"));

        // A trash that cannot be made: a plain file where its folder should be.
        QVERIFY(QDir(trash).removeRecursively());
        QVERIFY(schreiben(trash, "kein Ordner"));
        QVERIFY(schreiben(pfad, "Bild2"));
        QVERIFY(!kit::DateiLoeschen(pfad, 1, false));
        QCOMPARE(lesen(pfad), QByteArray("Bild2"));
        QVERIFY(!QFile::exists(QStringLiteral("files/Bild.jpg")));
        QFile::remove(trash);
    }

    // Mode 2 really overwrites the contents with blanks before deleting (seen through a
    // second name of the same file).
    void ueberschreibenMitLeerzeichen()
    {
        const QString ordner = m_env.path(QStringLiteral("ueber"));
        const QString pfad = ordner + QStringLiteral("/Geheim.txt");
        const QString zweiterName = ordner + QStringLiteral("/Zweiter.txt");
        QVERIFY(schreiben(pfad, QByteArray(10000, 'g')));
        QCOMPARE(::link(QFile::encodeName(pfad).constData(),
                        QFile::encodeName(zweiterName).constData()),
                 0);
        QVERIFY(kit::DateiLoeschen(pfad, 2, false));
        QVERIFY(!QFile::exists(pfad));
        QCOMPARE(lesen(zweiterName), QByteArray(10000, ' '));
    }

    // A symbolic link is deleted as a link in every mode that deletes: its target keeps its
    // contents (mode 2 used to fill the target with blanks and report success).
    void symbolischerLinkNieDurchschrieben_data()
    {
        QTest::addColumn<int>("modus");
        QTest::newRow("plain") << 0;
        QTest::newRow("overwrite") << 2;
    }
    void symbolischerLinkNieDurchschrieben()
    {
        QFETCH(int, modus);
        const QString ordner = m_env.path(QStringLiteral("link%1").arg(modus));
        const QString ziel = ordner + QStringLiteral("/Wichtig.txt");
        const QString link = ordner + QStringLiteral("/Verweis.txt");
        QVERIFY(schreiben(ziel, QByteArray(5000, 'w')));
        QVERIFY(QFile::link(ziel, link));
        QVERIFY(kit::DateiLoeschen(link, modus, false));
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(lesen(ziel), QByteArray(5000, 'w'));
    }

    // Each column fits its widest text (header included) + 200 twips, at most 10000 twips.
    void spaltenbreiten()
    {
        QTableWidget grid(2, 3);
        grid.setHorizontalHeaderLabels({QStringLiteral("Interpret"), QStringLiteral("T"),
                                        QStringLiteral("Lang")});
        grid.setItem(0, 0, new QTableWidgetItem(QStringLiteral("AB")));
        grid.setItem(1, 0, new QTableWidgetItem(QStringLiteral("Ein langer Bandname")));
        grid.setItem(0, 1, new QTableWidgetItem(QStringLiteral("x")));
        grid.setItem(0, 2, new QTableWidgetItem(QString(3000, QLatin1Char('W'))));
        kit::SpaltenbreitenAnpassen(&grid);
        const QFontMetrics fm(grid.font());
        const QFontMetrics kopf(grid.horizontalHeader()->font());
        const int breit = qMax(fm.horizontalAdvance(QStringLiteral("Ein langer Bandname")),
                               kopf.horizontalAdvance(QStringLiteral("Interpret")));
        const int minimum = grid.horizontalHeader()->minimumSectionSize();
        QCOMPARE(grid.columnWidth(0), qMax((breit * 15 + 200) / 15, minimum));
        const int schmal = qMax(fm.horizontalAdvance(QStringLiteral("x")),
                                kopf.horizontalAdvance(QStringLiteral("T")));
        QCOMPARE(grid.columnWidth(1), qMax((schmal * 15 + 200) / 15, minimum));
        QCOMPARE(grid.columnWidth(2), 10000 / 15);
    }

    // Every window closes once, also when a close handler calls the function again.
    void alleFormsEntladen()
    {
        Fenster a, b, c;
        b.entladenBeimSchliessen = true;
        for (Fenster* f : {&a, &b, &c})
            f->show();
        kit::AlleFormsEntladen();
        for (Fenster* f : {&a, &b, &c}) {
            QCOMPARE(f->geschlossen, 1);
            QVERIFY(!f->isVisible());
        }
    }

    // Stay-on-top on and off keeps position and size.
    void fensterOnTop()
    {
        QWidget w;
        w.setGeometry(120, 130, 300, 200);
        w.show();
        kit::FensterOnTop(&w, true);
        QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(w.geometry(), QRect(120, 130, 300, 200));
        QVERIFY(w.isVisible());
        kit::FensterOnTop(&w, false);
        QVERIFY(!(w.windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(w.geometry(), QRect(120, 130, 300, 200));
    }

    // A program is not its own associated program; short names are the path itself.
    void programmUndKurzname()
    {
        const QString selbst = QCoreApplication::applicationFilePath();
        QCOMPARE(kit::ProgrammZuDatei(selbst), QString());
        QCOMPARE(kit::ProgrammZuDatei(m_env.root() + QStringLiteral("/fehlt.mp3")), QString());
        QCOMPARE(kit::KurzerPfadname(selbst), selbst);
    }

    // Help opens the user's page, else the installed one, in the browser; a missing page or
    // a system without any browser is said in German instead of nothing happening.
    void hilfe_data()
    {
        QTest::addColumn<QString>("thema");
        QTest::addColumn<bool>("browser");
        QTest::addColumn<QString>("geoeffnet"); // path below the program or resource folder
        QTest::addColumn<QString>("meldung");   // part of the message, "" for none
        QTest::newRow("Startseite, installiert") << "" << true << "res:help/index.html" << "";
        QTest::newRow("Thema im Programmordner") << "Suchen" << true << "prog:help/Suchen.html" << "";
        QTest::newRow("Seite fehlt") << "Gibtsnicht" << true << "" << "wurde nicht gefunden";
        QTest::newRow("Weg hinaus") << "../../etwas" << true << "" << "";
        QTest::newRow("kein Browser") << "" << false << "" << "kein Webbrowser installiert";
    }
    void hilfe()
    {
        QFETCH(QString, thema);
        QFETCH(bool, browser);
        QFETCH(QString, geoeffnet);
        QFETCH(QString, meldung);
        const QString ordner = klang::programmPfad() + QStringLiteral("help/");
        QVERIFY(QDir().mkpath(ordner));
        QVERIFY(schreiben(ordner + QStringLiteral("Suchen.html"), "<html/>"));
        // Without a browser: no program for web pages, no browser on the search path.
        const QByteArray pfad = qgetenv("PATH"), browserVar = qgetenv("BROWSER"),
                         datenOrdner = qgetenv("XDG_DATA_DIRS");
        if (browser) {
            qputenv("BROWSER", "testbrowser");
        } else {
            qunsetenv("BROWSER");
            qputenv("PATH", m_env.path(QStringLiteral("leer")).toUtf8());
            qputenv("XDG_DATA_DIRS", m_env.path(QStringLiteral("leer")).toUtf8());
        }
        UrlFaenger faenger;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &faenger, "oeffnen");
        kit::HilfeAufrufen(thema);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        qputenv("PATH", pfad);
        qputenv("XDG_DATA_DIRS", datenOrdner);
        browserVar.isNull() ? qunsetenv("BROWSER") : qputenv("BROWSER", browserVar);

        QString erwartet = geoeffnet;
        erwartet.replace(QStringLiteral("res:"), klang::resourceDir())
            .replace(QStringLiteral("prog:"), klang::programmPfad());
        QCOMPARE(faenger.urls.size(), erwartet.isEmpty() ? 0 : 1);
        if (!erwartet.isEmpty())
            QCOMPARE(faenger.urls.first().toLocalFile(), QFileInfo(erwartet).absoluteFilePath());
        QCOMPARE(kit::testhook::calls().size(), meldung.isEmpty() ? 0 : 1);
        if (!meldung.isEmpty())
            QVERIFY2(kit::testhook::calls().first().prompt.contains(meldung),
                     qPrintable(kit::testhook::calls().first().prompt));
    }

    // Hooked text fields move the caret by 50 per wheel turn within the text's bounds.
    void radText_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("ende");
        QTest::newRow("60 forward -> 110") << 60 << -120 << 110;
        QTest::newRow("60 back -> 10") << 60 << 120 << 10;
        QTest::newRow("80 forward stays") << 80 << -120 << 80;
        QTest::newRow("50 back stays") << 50 << 120 << 50;
        QTest::newRow("big delta one step") << 60 << -720 << 110;
    }
    void radText()
    {
        QFETCH(int, start);
        QFETCH(int, delta);
        QFETCH(int, ende);
        QWidget fenster;
        auto* layout = new QVBoxLayout(&fenster);
        auto* zeile = new QLineEdit(QString(120, QLatin1Char('a')));
        auto* text = new QTextEdit;
        text->setPlainText(QString(120, QLatin1Char('b')));
        layout->addWidget(zeile);
        layout->addWidget(text);
        fenster.show();
        kit::MausradEinhaengen(&fenster);
        zeile->setCursorPosition(start);
        rad(zeile, delta);
        QCOMPARE(zeile->cursorPosition(), ende);
        QTextCursor c = text->textCursor();
        c.setPosition(start);
        text->setTextCursor(c);
        rad(text->viewport(), delta);
        QCOMPARE(text->textCursor().position(), ende);
    }

    // Sliders step by one within their range; the control's own wheel handling is replaced,
    // and comes back after unhooking.
    void radSchieber()
    {
        QWidget fenster;
        auto* schieber = new QSlider(Qt::Horizontal, &fenster);
        schieber->setRange(0, 10);
        schieber->setValue(5);
        fenster.show();
        kit::MausradEinhaengen(&fenster);
        QVERIFY(kit::MausradEingehaengt(&fenster));
        rad(schieber, -120);
        QCOMPARE(schieber->value(), 6);
        rad(schieber, 120);
        rad(schieber, 120);
        QCOMPARE(schieber->value(), 4);
        schieber->setValue(10);
        rad(schieber, -120);
        QCOMPARE(schieber->value(), 10);
        schieber->setValue(0);
        rad(schieber, 120);
        QCOMPARE(schieber->value(), 0);

        kit::MausradAushaengen(&fenster);
        QVERIFY(!kit::MausradEingehaengt(&fenster));
        schieber->setValue(5);
        rad(schieber, 120); // Qt's own handling again: not the hook's one step back
        QVERIFY(schieber->value() != 4);
    }

    // Lists move their top row by exactly one per turn, never before the first row.
    void radListe()
    {
        QWidget fenster;
        auto* liste = new QListWidget(&fenster);
        for (int i = 0; i < 100; ++i)
            liste->addItem(QStringLiteral("Eintrag %1").arg(i));
        liste->setGeometry(0, 0, 200, 100);
        fenster.resize(200, 100);
        fenster.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenster));
        kit::MausradEinhaengen(&fenster);
        QCOMPARE(obersteZeile(liste), 0);
        rad(liste->viewport(), 120);
        QCOMPARE(obersteZeile(liste), 0);
        rad(liste->viewport(), -120);
        QCOMPARE(obersteZeile(liste), 1);
        rad(liste->viewport(), -600);
        QCOMPARE(obersteZeile(liste), 2);
        rad(liste->viewport(), 120);
        QCOMPARE(obersteZeile(liste), 1);
        liste->scrollToBottom();
        const int unten = obersteZeile(liste);
        rad(liste->viewport(), -120);
        QCOMPARE(obersteZeile(liste), unten);
    }

    // Grids move their top row the same way.
    void radRaster()
    {
        QWidget fenster;
        auto* grid = new QTableWidget(50, 3, &fenster);
        grid->setGeometry(0, 0, 300, 150);
        fenster.resize(300, 150);
        fenster.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenster));
        kit::MausradEinhaengen(&fenster);
        QCOMPARE(grid->rowAt(0), 0);
        rad(grid->viewport(), -120);
        QCOMPARE(grid->rowAt(0), 1);
        rad(grid->viewport(), 120);
        rad(grid->viewport(), 120);
        QCOMPARE(grid->rowAt(0), 0);
    }

    // At most 49 controls are hooked, in creation order; parts of controls are not counted.
    void hoechstens49()
    {
        QWidget fenster;
        QList<QWidget*> schieber;
        auto* liste = new QListWidget(&fenster); // its own scroll bars are parts, not controls
        for (int i = 0; i < 60; ++i)
            schieber << new QSlider(&fenster);
        kit::MausradEinhaengen(&fenster);
        const QList<QWidget*> haken = kit::MausradSteuerelemente();
        QCOMPARE(haken.size(), 49);
        QCOMPARE(haken.first(), static_cast<QWidget*>(liste));
        QCOMPARE(haken.mid(1), schieber.mid(0, 48));
    }

    // Activating a second window releases the first; a late release of the first window
    // keeps the second's hooks.
    void nurEinFenster()
    {
        QWidget eins, zwei;
        new QSlider(&eins);
        new QSlider(&zwei);
        kit::MausradEinhaengen(&eins);
        kit::MausradEinhaengen(&zwei);
        QVERIFY(!kit::MausradEingehaengt(&eins));
        QVERIFY(kit::MausradEingehaengt(&zwei));
        kit::MausradAushaengen(&eins);
        QVERIFY(kit::MausradEingehaengt(&zwei));
        kit::MausradEinhaengen(nullptr);
        QVERIFY(kit::MausradEingehaengt(&zwei));
    }

    // A window set up once hooks itself on activation and lets go on deactivation.
    void automatisch()
    {
        QWidget fenster;
        new QSlider(&fenster);
        kit::MausradAutomatisch(&fenster);
        QEvent an(QEvent::WindowActivate);
        QApplication::sendEvent(&fenster, &an);
        QVERIFY(kit::MausradEingehaengt(&fenster));
        QEvent aus(QEvent::WindowDeactivate);
        QApplication::sendEvent(&fenster, &aus);
        QVERIFY(!kit::MausradEingehaengt(&fenster));
    }

    // Other input reaches hooked controls unchanged.
    void andereEingabenUnveraendert()
    {
        QWidget fenster;
        auto* zeile = new QLineEdit(&fenster);
        fenster.show();
        kit::MausradEinhaengen(&fenster);
        QTest::keyClicks(zeile, QStringLiteral("abc"));
        QCOMPARE(zeile->text(), QStringLiteral("abc"));
    }
};

QTEST_MAIN(TestKitHelpers)
#include "tst_helpers.moc"
