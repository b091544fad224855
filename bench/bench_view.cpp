// Timed runs of the player's main window on generated catalogues: showing a record whose
// rich-text field is 5 MB, moving through 1,000 ordinary records, a quick-search miss over a
// big catalogue and a song search that collects 100,000 rated files.
//
//   klang_bench_view [records for the quick search] [--hits N]   (default: 100000, 100000)

#include "kit/TestHook.h"
#include "platform/shell/Paths.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Suchbox.h"
#include "tests/support/CatalogueGenerator.h"
#include "platform/textfiles/LineFile.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextStream>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

using klang::player::Ausgabebox;

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

// A song text of about `bytes` bytes as the rich-text box stores it: one heading per track,
// verses with umlauts below.
QString grosserSongtext(int bytes)
{
    QStringList zeilen;
    int laenge = 0;
    for (int track = 1; laenge < bytes; ++track) {
        const QString kopf = QStringLiteral("%1 Lied Nummer %1.mp3").arg(track, 3, 10, QLatin1Char('0'));
        zeilen << kopf;
        laenge += int(kopf.size());
        for (int vers = 0; vers < 12 && laenge < bytes; ++vers) {
            const QString z = QStringLiteral("Über die Brücke gehen wir, Strophe %1, Zeile %2 – schön und läßlich")
                                  .arg(track)
                                  .arg(vers);
            zeilen << z;
            laenge += int(z.size()) + 8;
        }
        zeilen << QString();
    }
    return klang::test::rtfDocument(zeilen);
}

std::unique_ptr<Ausgabebox> fensterOeffnen(const QString& katalog)
{
    klang::player::setOption(QStringLiteral("ArchivPfad"), katalog);
    klang::player::setOption(QStringLiteral("WinMediaPlayer"), QStringLiteral("False"));
    auto w = std::make_unique<Ausgabebox>();
    w->Form_Load();
    w->show();
    QCoreApplication::processEvents();
    return w;
}

int zeileMitBand(Ausgabebox& w, const QString& band)
{
    auto& rs = w.katalog().data1().recordset();
    for (int r = 0; r < w.katalog().anzahl(); ++r) {
        if (rs.value(r, QStringLiteral("Band")) == band)
            return r;
    }
    return -1;
}

// Moves the grid to a row as a click or a key would, and lets the window draw it.
double zeileWaehlen(Ausgabebox& w, int zeile)
{
    QElapsedTimer t;
    t.start();
    w.MSFlexGrid1->setCurrentIndex(w.MSFlexGrid1->model()->index(zeile, 0));
    QCoreApplication::processEvents();
    return ms(t.nsecsElapsed());
}

void benchRichText(const QString& dir)
{
    out << QStringLiteral("\nRecord view (main window, 1,000 generated records)\n");
    const QString katalog = dir + QStringLiteral("/Text.mdb");
    klang::test::CatalogueSpec spec;
    spec.records = 1000;
    QString fehler;
    if (!klang::test::writeCatalogue(katalog, spec, &fehler)) {
        out << "generator failed: " << fehler << "\n";
        return;
    }
    const QString gross = grosserSongtext(5 * 1024 * 1024);
    const QString mittel = grosserSongtext(1024 * 1024);
    klang::test::insertCatalogueRecords(
        katalog, {{{QStringLiteral("Band"), QStringLiteral("Zzz Songtext 5 MB")}, {QStringLiteral("SongText"), gross}},
                  {{QStringLiteral("Band"), QStringLiteral("Zzz Songs 5 MB")}, {QStringLiteral("Songs"), gross}},
                  {{QStringLiteral("Band"), QStringLiteral("Zzz Songs 1 MB")}, {QStringLiteral("Songs"), mittel}}});
    auto w = fensterOeffnen(katalog);
    const struct { const char* band; const char* name; const QString& feld; } faelle[] = {
        {"Zzz Songs 1 MB", "record with 1 MB Songs (text pane)", mittel},
        {"Zzz Songs 5 MB", "record with 5 MB Songs (text pane)", gross},
        {"Zzz Songtext 5 MB", "record with 5 MB SongText (song-text pane)", gross},
    };
    for (const auto& f : faelle) {
        const int zeile = zeileMitBand(*w, QString::fromUtf8(f.band));
        zeileWaehlen(*w, 0);
        const double hin = zeileWaehlen(*w, zeile);
        const double weg = zeileWaehlen(*w, 1);
        row(QString::fromUtf8(f.name), QStringLiteral("%1 ms shown, %2 ms to leave it (%3 MB of RTF)")
                                           .arg(hin, 0, 'f', 1)
                                           .arg(weg, 0, 'f', 1)
                                           .arg(double(f.feld.size()) / (1024 * 1024), 0, 'f', 1));
    }
    // The record change itself (data control, detail fields, panes, track list, cover), and
    // the same with the window drawn after every move (the offscreen platform draws the
    // whole window in software).
    {
        // The song-text pane shown on that record, scrolled to the current track's heading.
        zeileWaehlen(*w, zeileMitBand(*w, QStringLiteral("Zzz Songtext 5 MB")));
        QElapsedTimer t;
        t.start();
        w->mnuSongTextEinAus_Click();
        QCoreApplication::processEvents();
        row(QStringLiteral("song-text pane shown (5 MB SongText)"), QStringLiteral("%1 ms").arg(ms(t.nsecsElapsed()), 0, 'f', 1));
        w->mnuSongTextEinAus_Click();
    }
    zeileWaehlen(*w, 0);
    QElapsedTimer t;
    t.start();
    for (int r = 0; r < 1000; ++r)
        w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(r, 0));
    QCoreApplication::processEvents();
    double gesamt = ms(t.nsecsElapsed());
    row(QStringLiteral("1,000 record moves (ordinary fields)"),
        QStringLiteral("%1 ms, %2 ms per record").arg(gesamt, 0, 'f', 1).arg(gesamt / 1000.0, 0, 'f', 3));
    zeileWaehlen(*w, 0);
    t.start();
    for (int r = 0; r < 1000; ++r)
        zeileWaehlen(*w, r);
    gesamt = ms(t.nsecsElapsed());
    row(QStringLiteral("the same, window drawn after each move"),
        QStringLiteral("%1 ms, %2 ms per record").arg(gesamt, 0, 'f', 1).arg(gesamt / 1000.0, 0, 'f', 3));
}

void benchSchnellsuche(int records, const QString& dir)
{
    out << QStringLiteral("\nQuick search (main window)\n");
    const QString katalog = dir + QStringLiteral("/Suche_%1.mdb").arg(records);
    klang::test::CatalogueSpec spec;
    spec.records = records;
    QString fehler;
    if (!klang::test::writeCatalogue(katalog, spec, &fehler)) {
        out << "generator failed: " << fehler << "\n";
        return;
    }
    auto w = fensterOeffnen(katalog);
    std::vector<double> zeiten;
    for (int i = 0; i < 3; ++i) {
        w->txtSuchen->setText(QStringLiteral("qqxxzzkeintreffer%1").arg(i));
        QElapsedTimer t;
        t.start();
        w->Suchen();
        zeiten.push_back(ms(t.nsecsElapsed()));
    }
    std::sort(zeiten.begin(), zeiten.end());
    row(QStringLiteral("miss over %1 records").arg(records),
        QStringLiteral("best %1 ms, median %2 ms").arg(zeiten.front(), 0, 'f', 1).arg(zeiten[1], 0, 'f', 1));

    // Rich-text columns sort and filter by their plain text.
    QElapsedTimer t;
    t.start();
    w->katalog().sortieren(QStringLiteral("Songs"));
    QCoreApplication::processEvents();
    row(QStringLiteral("header sort by Songs (plain text)"), QStringLiteral("%1 ms").arg(ms(t.nsecsElapsed()), 0, 'f', 1));
    t.start();
    w->katalog().filtern(QStringLiteral("Songs"), 0);
    QCoreApplication::processEvents();
    row(QStringLiteral("letter A on Songs (plain text)"),
        QStringLiteral("%1 ms, %2 rows").arg(ms(t.nsecsElapsed()), 0, 'f', 1).arg(w->katalog().anzahl()));
}

void benchSongsuche(int treffer, const QString& dir)
{
    out << QStringLiteral("\nSong search by rating (main window)\n");
    const int proOrdner = 100;
    const int ordner = std::max(1, treffer / proOrdner);
    const QString katalog = dir + QStringLiteral("/Songs.mdb");
    klang::test::CatalogueSpec spec;
    spec.records = 2000;
    QString fehler;
    if (!klang::test::writeCatalogue(katalog, spec, &fehler)) {
        out << "generator failed: " << fehler << "\n";
        return;
    }
    QList<QVariantMap> saetze;
    for (int o = 0; o < ordner; ++o) {
        const QString pfad = dir + QStringLiteral("/musik/%1/").arg(o, 5, 10, QLatin1Char('0'));
        QDir().mkpath(pfad);
        for (int i = 0; i < proOrdner; ++i) {
            QFile f(pfad + QStringLiteral("%1 Lied - 4.mp3").arg(i, 3, 10, QLatin1Char('0')));
            f.open(QIODevice::WriteOnly);
        }
        saetze.append({{QStringLiteral("Band"), QStringLiteral("Bewertet %1").arg(o)},
                       {QStringLiteral("Stil"), QStringLiteral("Rock")},
                       {QStringLiteral("Musikpfad"), pfad}});
    }
    klang::test::insertCatalogueRecords(katalog, saetze);
    auto w = fensterOeffnen(katalog);
    kit::testhook::clear();
    kit::testhook::queueAnswer(QString()); // no name: the result stays in "Suchliste.txt"
    auto* warten = new QTimer;
    warten->setInterval(5);
    QObject::connect(warten, &QTimer::timeout, [warten] {
        auto* box = qobject_cast<klang::player::Suchbox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        warten->stop();
        warten->deleteLater();
        QTest::mouseClick(box->chkBewertungSong, Qt::LeftButton, {}, QPoint(4, box->chkBewertungSong->height() / 2));
        QTest::mouseClick(box->imgStern[4], Qt::LeftButton);
        QTest::mouseClick(box->ButtonOk, Qt::LeftButton);
    });
    warten->start();
    QElapsedTimer t;
    t.start();
    w->MenuSuchen_Click();
    // Longest time the event loop stayed away while the search ran.
    qint64 luecke = 0;
    qint64 zuletzt = t.nsecsElapsed();
    while (kit::testhook::calls().isEmpty() && t.elapsed() < 600000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 jetzt = t.nsecsElapsed();
        luecke = std::max(luecke, jetzt - zuletzt);
        zuletzt = jetzt;
    }
    const double gesamt = ms(t.nsecsElapsed());
    const QStringList liste = klang::readLines(klang::programmPfad() + QStringLiteral("Playlist/Suchliste.txt"));
    row(QStringLiteral("%1 hits in %2 records").arg(liste.size()).arg(w->katalog().anzahl()),
        QStringLiteral("%1 ms to the name question, longest stall %2 ms").arg(gesamt, 0, 'f', 1).arg(ms(luecke), 0, 'f', 1));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("KLANGTRUHE_MEDIA_OUTPUT", "null");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    klang::test::TestEnvironment env;
    int records = 100000;
    int hits = 100000;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--hits") && i + 1 < args.size())
            hits = std::max(1, args[++i].toInt());
        else if (args[i].toInt() > 0)
            records = args[i].toInt();
    }
    klang::seedProgramFolder();
    kit::testhook::enable();
    out << "Klangtruhe record view benchmark\n";
    benchRichText(env.path(QStringLiteral("text")));
    benchSchnellsuche(records, env.path(QStringLiteral("suche")));
    benchSongsuche(hits, env.path(QStringLiteral("songs")));
    kit::testhook::disable();
    return 0;
}
