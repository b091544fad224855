// The main window's commands that reach outside: clipboard formats, links and the shop search,
// the SQL statement list and dialog, and the real window's tool bar, links and options.

#include "kit/TestHook.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/SQLform.h"
#include "player/catalogue/Weblinks.h"
#include "player/catalogue/Zwischenablage.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Schema.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/Rtf.h"
#include "platform/shell/Paths.h"
#include "platform/textfiles/LineFile.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QIdentityProxyModel>
#include <QStatusBar>
#include <QDesktopServices>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

#include <sys/stat.h>

using namespace klang::player;

namespace {

// Rows of a table whose first row holds the headings.
std::unique_ptr<QStandardItemModel> tabelle(const QList<QStringList>& zeilen)
{
    auto m = std::make_unique<QStandardItemModel>(zeilen.size() - 1, zeilen.first().size());
    m->setHorizontalHeaderLabels(zeilen.first());
    for (int r = 1; r < zeilen.size(); ++r)
        for (int c = 0; c < zeilen[r].size(); ++c)
            m->setItem(r - 1, c, new QStandardItem(zeilen[r][c]));
    return m;
}

// A file with the given content and permissions.
bool dateiSchreiben(const QString& pfad, const QByteArray& inhalt, int rechte = 0644)
{
    QFile f(pfad);
    return f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size() && f.flush()
           && ::chmod(QFile::encodeName(pfad).constData(), mode_t(rechte)) == 0;
}

// A program for text files, as a desktop sets it up, in the test's own folders.
void textProgrammEinrichten(const klang::test::TestEnvironment& env)
{
    QDir().mkpath(env.dataHome() + QStringLiteral("/applications"));
    QFile starter(env.dataHome() + QStringLiteral("/applications/leser.desktop"));
    QVERIFY(starter.open(QIODevice::WriteOnly));
    starter.write("[Desktop Entry]\nType=Application\nName=Leser\nExec=/bin/true %f\nMimeType=text/plain;\n");
    starter.close();
    QDir().mkpath(env.configHome());
    QFile zuordnung(env.configHome() + QStringLiteral("/mimeapps.list"));
    QVERIFY(zuordnung.open(QIODevice::WriteOnly));
    zuordnung.write("[Default Applications]\ntext/plain=leser.desktop\n");
}

class Empfaenger : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void oeffnen(const QUrl& url) { urls << url; }
};

} // namespace

class BefehleTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<klang::test::TestEnvironment> m_env;
    Empfaenger m_desktop;

private slots:
    void init()
    {
        m_env = std::make_unique<klang::test::TestEnvironment>();
        kit::testhook::enable();
        kit::testhook::clear();
        m_desktop.urls.clear();
        for (const char* schema : {"http", "https", "mailto", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(schema), &m_desktop, "oeffnen");
    }
    void cleanup()
    {
        for (const char* schema : {"http", "https", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(schema));
        kit::testhook::disable();
        m_env.reset();
    }

    // The record copy keeps the fixed field order, fills empty and missing fields with " "
    // and copies a bottom-up selection in ascending order.
    void kopierformat_data()
    {
        QTest::addColumn<int>("von");
        QTest::addColumn<int>("bis");
        QTest::newRow("one row") << 0 << 0;
        QTest::newRow("bottom-up") << 1 << 0;
    }
    void kopierformat()
    {
        QFETCH(int, von);
        QFETCH(int, bis);
        // Shuffled columns, one unknown, Musikpfad and most others missing, an empty Preis.
        auto m = tabelle({{"Preis", "LPTitel", "Notiz", "Band"},
                          {"", "Animals", "x", "Pink Floyd"},
                          {"12", "Tago Mago", "y", "Can"}});
        const QString text = tontraegerKopierformat(*m, von, bis);
        // 1 + 18 separators per row; the values in order with " " for every empty slot.
        const int zeilen = std::abs(bis - von) + 1;
        QCOMPARE(text.count(KopierTrenner), 1 + 18 * zeilen);
        QStringList teile = text.split(KopierTrenner);
        QCOMPARE(teile.takeFirst(), QStringLiteral("3"));
        QCOMPARE(teile.mid(0, 18).join(QLatin1Char('|')),
                 QStringLiteral("Pink Floyd|Animals| | | | | | | | | | | | | | | | "));
        if (zeilen == 2)
            QCOMPARE(teile.mid(18, 18).join(QLatin1Char('|')),
                     QStringLiteral("Can|Tago Mago| | | | | |12| | | | | | | | | | "));
        QCOMPARE(m->item(0, 0)->text(), QString()); // the table is never written
    }

    // The list copy: heading line, a Tab after every cell, CR LF after every line, in any
    // selection direction; the HTML carries the same block as a table.
    void listenKopie_data()
    {
        QTest::addColumn<QList<int>>("auswahl");
        QTest::newRow("top-down") << QList<int>{0, 1, 0, 1};
        QTest::newRow("bottom-up, right-to-left") << QList<int>{1, 0, 1, 0};
    }
    void listenKopie()
    {
        QFETCH(QList<int>, auswahl);
        auto m = tabelle({{"H1", "H2", "H3"}, {"A", "B", "-"}, {"C", "D&", "-"}});
        QCOMPARE(klang::player::listenKopie(*m, auswahl[0], auswahl[1], auswahl[2], auswahl[3]),
                 QStringLiteral("H1\tH2\t\r\nA\tB\t\r\nC\tD&\t\r\n"));
        const QString html = listenKopieHtml(*m, auswahl[0], auswahl[1], auswahl[2], auswahl[3]);
        QVERIFY(html.contains(QStringLiteral("<tr><td>C</td><td>D&amp;</td></tr>")));
    }

    // Text and picture travel in one mime data object.
    void mimeDatenTragenTextUndBild()
    {
        QImage bild(4, 4, QImage::Format_RGB32);
        bild.fill(Qt::red);
        QApplication::clipboard()->setMimeData(zwischenablageDaten(QStringLiteral("x"), QString(), bild));
        const QMimeData* d = QApplication::clipboard()->mimeData();
        QVERIFY(d->hasText() && d->hasImage());
    }

    // Shop search text: blanks to "+", lower-case umlauts written out, the rest percent-encoded.
    void shopSuchtext_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("band");
        QTest::addColumn<QString>("erwartet");
        QTest::newRow("capital umlauts") << 0 << "Die Ärzte Über" << "Die+%C3%84rzte+%C3%9Cber";
        QTest::newRow("ampersand") << 0 << "Simon & Garfunkel" << "Simon+%26+Garfunkel";
        QTest::newRow("small umlauts") << 0 << "Mötley Crüe" << "Moetley+Cruee";
        QTest::newRow("typed plus and hash") << 0 << "A+B #1?" << "A%2BB+%231%3F";
        QTest::newRow("band and title") << 1 << "Can" << "Can+Tago+Mago";
        QTest::newRow("order number") << 8 << "Can" << "CD-4711";
        QTest::newRow("other label") << 2 << "Can" << "";
    }
    void shopSuchtext()
    {
        QFETCH(int, index);
        QFETCH(QString, band);
        QFETCH(QString, erwartet);
        QCOMPARE(weblinks::shopSuchtext(index, band, QStringLiteral("Tago Mago"), QStringLiteral("CD-4711")), erwartet);
    }

    // Which links are opened at all: web, mail and existing files only.
    void sichererLink_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("erwartet"); // "" = refused
        QTest::newRow("www") << "www.example.org" << "http://www.example.org";
        QTest::newRow("https") << "https://example.org/a?b=1" << "https://example.org/a?b=1";
        QTest::newRow("mailto") << "mailto:a@b.de" << "mailto:a@b.de";
        QTest::newRow("javascript") << "javascript:alert(1)" << "";
        QTest::newRow("ftp") << "ftp://example.org/x" << "";
        QTest::newRow("missing file") << "/gibt/es/nicht.txt" << "";
        QTest::newRow("program by scheme") << "file:///bin/sh.missing" << "";
        // A text with a scheme is read as it stands, never guessed at.
        QTest::newRow("blank in host") << "http://a b.c/?q=ä" << "";
        QTest::newRow("blank in path") << "http://example.org/a b?q=ä" << "http://example.org/a%20b?q=%C3%A4";
        QTest::newRow("www with port") << "www.example.org:8080/x" << "http://www.example.org:8080/x";
        // Mail keeps the address and the subject, nothing that picks files or adds receivers.
        QTest::newRow("mail attachment") << "mailto:a@b.de?attach=/etc/passwd&subject=Hallo Welt"
                                         << "mailto:a@b.de?subject=Hallo%20Welt";
        QTest::newRow("mail receivers and body") << "mailto:a@b.de?cc=x@y.de&bcc=z@y.de&body=hi&Attachment=%2Fetc"
                                                 << "mailto:a@b.de";
    }
    void sichererLink()
    {
        QFETCH(QString, link);
        QFETCH(QString, erwartet);
        QString grund;
        const QUrl url = weblinks::sichererLink(link, &grund);
        QCOMPARE(url.isValid() ? QString::fromLatin1(url.toEncoded()) : QString(), erwartet);
        QCOMPARE(grund.isEmpty(), !erwartet.isEmpty());
    }

    // Files the desktop would run are refused like unsafe addresses, by path and by file URL.
    void unsichereDatei_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<int>("rechte");
        QTest::addColumn<bool>("erlaubt");
        QTest::newRow("text") << "liste.txt" << QByteArray("Hallo") << 0644 << true;
        QTest::newRow("script with execute bit") << "start.sh" << QByteArray("#!/bin/sh\necho x\n") << 0755 << false;
        QTest::newRow("owner execute bit only") << "liste2.txt" << QByteArray("Hallo") << 0744 << false;
        QTest::newRow("launcher") << "start.desktop" << QByteArray("[Desktop Entry]\nExec=xterm\n") << 0644 << false;
        QTest::newRow("launcher, capital suffix") << "Start.DESKTOP" << QByteArray("x") << 0644 << false;
        QTest::newRow("launcher without suffix") << "starter"
                                                 << QByteArray("[Desktop Entry]\nType=Application\nExec=xterm\n")
                                                 << 0644 << false;
        QTest::newRow("script without execute bit") << "aufraeumen" << QByteArray("#!/bin/sh\nrm -rf x\n") << 0644
                                                    << false;
        // Windows programs and installers: wine, Java Web Start or a software centre would take them.
        for (const char* name : {"setup.msi", "start.BAT", "start.cmd", "makro.vbs", "skript.ps1", "verknuepfung.lnk",
                                 "start.jnlp", "app.flatpakref", "paket.deb", "paket.rpm", "app.AppImage", "setup.exe"})
            QTest::newRow(name) << name << QByteArray("x") << 0644 << false;
        // By content where the name says nothing or misleads.
        QTest::newRow("windows program, no suffix") << "setup" << QByteArray("MZ\x90\0\3\0\0\0", 8) << 0644 << false;
        QTest::newRow("windows program as picture") << "bild.jpg" << QByteArray("MZ\x90\0\3\0\0\0", 8) << 0644 << false;
        QTest::newRow("debian package, no suffix") << "paket" << QByteArray("!<arch>\ndebian-binary   ") << 0644 << false;
        QTest::newRow("rpm, no suffix") << "paket2" << QByteArray("\xed\xab\xee\xdb\3\0\0\1", 8) << 0644 << false;
    }
    void unsichereDatei()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, inhalt);
        QFETCH(int, rechte);
        QFETCH(bool, erlaubt);
        const QString pfad = m_env->path(QStringLiteral("dateien")) + QLatin1Char('/') + name;
        QVERIFY(dateiSchreiben(pfad, inhalt, rechte));
        for (const QString& link : {pfad, QUrl::fromLocalFile(pfad).toString()}) {
            QString grund;
            const QUrl url = weblinks::sichererLink(link, &grund);
            QCOMPARE(url.isValid(), erlaubt);
            QCOMPARE(grund.isEmpty(), erlaubt);
        }
    }

    // The link command end to end: what reaches the desktop's opener on the search path for a
    // selected text accepted as offered (no second scheme, a file link as the file it is).
    void linkBeimOeffner_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("erwartet"); // "file:" stands for the test's file
        QTest::newRow("mailto with subject") << "mailto:a@b.de?subject=Hallo Welt" << "mailto:a@b.de?subject=Hallo%20Welt";
        QTest::newRow("mail address") << "a@b.de" << "mailto:a@b.de";
        QTest::newRow("file link") << "file:" << "file:";
        QTest::newRow("web address") << "www.example.org/a b" << "http://www.example.org/a%20b";
    }
    void linkBeimOeffner()
    {
        QFETCH(QString, text);
        QFETCH(QString, erwartet);
        for (const char* schema : {"http", "https", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(schema));
        const QString ordner = m_env->path(QStringLiteral("oeffner"));
        QVERIFY(dateiSchreiben(ordner + QStringLiteral("/xdg-open"),
                               "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.neu\" && /bin/mv \"$0.neu\" \"${0%/*}/aufrufe\"\n", 0700));
        const QString datei = m_env->path(QStringLiteral("Meine Musik")) + QStringLiteral("/liste.txt");
        QVERIFY(dateiSchreiben(datei, "Hallo"));
        const QString dateiLink = QString::fromUtf8(QUrl::fromLocalFile(datei).toEncoded());
        text.replace(QStringLiteral("file:"), dateiLink);
        erwartet.replace(QStringLiteral("file:"), dateiLink);

        const QByteArray pfad = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(ordner));
        Ausgabebox w;
        w.txtSuchen->setText(text);
        w.txtSuchen->selectAll();
        w.LetzterFokus = QStringLiteral("txtSuchen");
        kit::testhook::queueAnswer(text); // the offered text accepted as it stands
        w.mnuWeblink_Click();
        qputenv("PATH", pfad);
        QVERIFY2(kit::testhook::calls().size() == 1 && kit::testhook::calls().first().kind == QLatin1String("InputFenn"),
                 qPrintable(kit::testhook::calls().value(0).prompt));
        QFile aufrufe(ordner + QStringLiteral("/aufrufe")); // written whole by the stand-in
        QTRY_VERIFY_WITH_TIMEOUT(aufrufe.exists(), 5000);
        QVERIFY(aufrufe.open(QIODevice::ReadOnly));
        QCOMPARE(aufrufe.readAll(), (erwartet + QLatin1Char('\n')).toUtf8());
    }

    // The read-me opens only with a program for it; otherwise the command says why.
    void readme_data()
    {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<bool>("geoeffnet");
        QTest::newRow("program set up") << "programm" << true;
        QTest::newRow("no program for text") << "ohne" << false;
        QTest::newRow("a folder of that name") << "ordner" << false;
        QTest::newRow("missing") << "fehlt" << false;
    }
    void readme()
    {
        QFETCH(QString, fall);
        QFETCH(bool, geoeffnet);
        // Nothing of this machine's own associations.
        const QByteArray alteDaten = qgetenv("XDG_DATA_DIRS"), alteConfig = qgetenv("XDG_CONFIG_DIRS");
        qputenv("XDG_DATA_DIRS", m_env->path(QStringLiteral("leer")).toUtf8());
        qputenv("XDG_CONFIG_DIRS", m_env->path(QStringLiteral("leer")).toUtf8());
        auto zurueck = qScopeGuard([&] {
            qputenv("XDG_DATA_DIRS", alteDaten);
            qputenv("XDG_CONFIG_DIRS", alteConfig);
        });
        if (fall == QLatin1String("programm"))
            textProgrammEinrichten(*m_env);
        const QString readme = klang::programmPfad() + QStringLiteral("readme.txt");
        QFile::remove(readme);
        if (fall == QLatin1String("ordner"))
            QVERIFY(QDir().mkpath(readme));
        else if (fall != QLatin1String("fehlt"))
            QVERIFY(klang::writeLines(readme, {QStringLiteral("Lies mich")}));
        Ausgabebox w;
        kit::testhook::clear();
        w.mnuReadMe_Click();
        QCOMPARE(m_desktop.urls.size(), geoeffnet ? 1 : 0);
        if (geoeffnet) {
            QCOMPARE(m_desktop.urls.last(), QUrl::fromLocalFile(readme));
            QVERIFY(kit::testhook::calls().isEmpty());
        } else {
            QCOMPARE(kit::testhook::calls().size(), 1);
            QCOMPARE(kit::testhook::calls().last().title, QStringLiteral("Ausgabebox_mnuReadme_Click"));
        }
    }

    // sql.dat: kept in order, duplicates refused without touching the file, removal rewrites.
    void sqlListe()
    {
        const QString pfad = m_env->path(QStringLiteral("p")) + QStringLiteral("/sql.dat");
        SqlListe liste(pfad);
        QVERIFY(liste.laden());
        QVERIFY(liste.eintraege().isEmpty());
        QVERIFY(liste.hinzufuegen(QStringLiteral("select * from Schallplatten")));
        QVERIFY(liste.hinzufuegen(QStringLiteral("update x set a = 1")));
        QFile f(pfad);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray vorher = f.readAll();
        f.close();
        QCOMPARE(vorher, QByteArray("select * from Schallplatten\r\nupdate x set a = 1\r\n"));
        QVERIFY(!liste.hinzufuegen(QStringLiteral("select * from Schallplatten")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), vorher);
        f.close();
        QVERIFY(liste.hinzufuegen(QStringLiteral("SELECT * FROM Schallplatten")));
        QVERIFY(liste.entfernen(0));
        SqlListe neu(pfad);
        QVERIFY(neu.laden());
        QCOMPARE(neu.eintraege(), (QStringList{"update x set a = 1", "SELECT * FROM Schallplatten"}));
        QVERIFY(SqlListe::istAusfuehrung(QStringLiteral("insert into x")));
        QVERIFY(!SqlListe::istAusfuehrung(QStringLiteral("INSERT INTO x")));
    }

    // The dialog deletes only on "Ja", does nothing without a chosen entry, never takes a
    // quote, and Enter accepts the statement.
    void sqlDialog_data()
    {
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<int>("danach");
        QTest::newRow("Ja") << "Ja" << 1;
        QTest::newRow("Nein") << "Nein" << 2;
        QTest::newRow("close box") << "" << 2;
    }
    void sqlDialog()
    {
        QFETCH(QString, antwort);
        QFETCH(int, danach);
        QVERIFY(klang::writeLines(klang::programmPfad() + QStringLiteral("sql.dat"),
                                  {QStringLiteral("select 1"), QStringLiteral("select 2")}));
        SQLform dlg(QStringLiteral("select * from Schallplatten"));
        QCOMPARE(dlg.TextSQL->text(), QStringLiteral("select * from Schallplatten"));
        dlg.CommandLoeschen_Click();
        QVERIFY(kit::testhook::calls().isEmpty()); // nothing chosen: no question, no error
        dlg.ListSQL->setCurrentRow(0);
        kit::testhook::queueAnswer(antwort);
        dlg.CommandLoeschen_Click();
        QCOMPARE(kit::testhook::calls().last().title, QStringLiteral("Quarzwerk"));
        QCOMPARE(dlg.ListSQL->count(), danach);
        QCOMPARE(klang::readLines(klang::programmPfad() + QStringLiteral("sql.dat")).size(), danach);

        dlg.show();
        dlg.TextSQL->clear();
        QTest::keyClicks(dlg.TextSQL, QStringLiteral("select 'a'"));
        QCOMPARE(dlg.TextSQL->text(), QStringLiteral("select a"));
        QTest::keyClick(dlg.TextSQL, Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.SQLAnweisung(), QStringLiteral("select a"));
    }

    // sql.dat holds what a user keeps over years: 20,000 statements and a long pasted one open
    // whole and can be deleted. A damaged file (a line of 2 MB, 120,000 lines) opens at once with
    // what the list can show and says what was left out; a new statement goes at the end without
    // rewriting the file; the cut list is never written back over the file.
    void sqlGrosseDatei_data()
    {
        QTest::addColumn<int>("langeZeile");
        QTest::addColumn<int>("anweisungen");
        QTest::addColumn<int>("gezeigt");
        QTest::newRow("20.000 Anweisungen, eine lange") << (512 << 10) << 20000 << 20002;
        QTest::newRow("beschädigt") << (2 << 20) << 120000 << 100000;
    }
    void sqlGrosseDatei()
    {
        QFETCH(int, langeZeile);
        QFETCH(int, anweisungen);
        QFETCH(int, gezeigt);
        const bool ganz = anweisungen == gezeigt - 2;
        const QString pfad = klang::programmPfad() + QStringLiteral("sql.dat");
        QByteArray inhalt = "select 1\r\n" + QByteArray(langeZeile, 'x') + "\r\n";
        for (int i = 0; i < anweisungen; ++i)
            inhalt += "select " + QByteArray::number(i) + " from t\r\n";
        QFile f(pfad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(inhalt);
        f.close();
        auto dateiInhalt = [&] {
            QFile d(pfad);
            return d.open(QIODevice::ReadOnly) ? d.readAll() : QByteArray();
        };
        QElapsedTimer uhr;
        uhr.start();
        SQLform dlg{QString()};
        QVERIFY2(uhr.elapsed() < 2000, qPrintable(QString::number(uhr.elapsed())));
        QCOMPARE(dlg.ListSQL->count(), gezeigt);
        QCOMPARE(dlg.ListSQL->item(ganz ? 2 : 1)->text(), QStringLiteral("select 0 from t"));
        const QString meldung = dlg.staBar->currentMessage();
        QVERIFY2(ganz ? meldung.isEmpty()
                      : meldung.contains(QStringLiteral("100.000")) && meldung.contains(QStringLiteral("länger als 1.024 KB")),
                 qPrintable(meldung));
        for (const char* neu : {"select neu", "select zwei"}) {
            dlg.TextSQL->setText(QLatin1String(neu));
            dlg.CommandUebernehmen_Click();
            inhalt += QByteArray(neu) + "\r\n";
            QCOMPARE(dateiInhalt(), inhalt);
            QCOMPARE(dlg.ListSQL->item(dlg.ListSQL->count() - 1)->text(), QLatin1String(neu));
        }
        kit::testhook::clear();
        dlg.ListSQL->setCurrentRow(0);
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        dlg.CommandLoeschen_Click();
        // A whole list is written without the deleted "select 1"; a cut one is never written back.
        QVERIFY(ganz || kit::testhook::calls().last().title == QLatin1String("SQLform_Speichern"));
        QCOMPARE(dateiInhalt(), ganz ? inhalt.mid(10) : inhalt);
    }

    // The list copy in the real window: exactly the Ctrl-clicked rows, the stored values whole
    // (a long field, the plain text of rich text), and one line per row whatever the values hold.
    void listenKopieImFenster()
    {
        const QString katalog = m_env->path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(katalog));
        const QString lang = QString(39990, QLatin1Char('l')) + QStringLiteral("0123456789");
        QVERIFY(klang::test::insertCatalogueRecords(
            katalog, {{{QStringLiteral("Band"), QStringLiteral("Can")}, {QStringLiteral("Info"), lang},
                       {QStringLiteral("Plattenfirma"), QStringLiteral("United\tArtists")},
                       {QStringLiteral("Songs"), QStringLiteral("{\\rtf1\\ansi Eins\\par Zwei\\par}")}},
                      {{QStringLiteral("Band"), QStringLiteral("Dazwischen")}},
                      {{QStringLiteral("Band"), QStringLiteral("Zappa")}, {QStringLiteral("Info"), QStringLiteral("Zeile1\r\nZeile2")}}}));
        setOption(QStringLiteral("ArchivPfad"), katalog);
        Ausgabebox w;
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QAbstractItemModel* m = w.MSFlexGrid1->model();
        auto spalte = [m](const char* feld) {
            for (int c = 0; c < m->columnCount(); ++c)
                if (m->headerData(c, Qt::Horizontal).toString() == QLatin1String(feld))
                    return c;
            return -1;
        };
        auto zeile = [m, &spalte](const char* band) {
            for (int r = 0; r < m->rowCount(); ++r)
                if (m->index(r, spalte("Band")).data().toString() == QLatin1String(band))
                    return r;
            return -1;
        };
        QVERIFY(zeile("Dazwischen") > std::min(zeile("Can"), zeile("Zappa"))
                && zeile("Dazwischen") < std::max(zeile("Can"), zeile("Zappa")));
        QWidget* flaeche = w.MSFlexGrid1->viewport();
        const int bandSpalte = spalte("Band");
        w.MSFlexGrid1->scrollTo(m->index(0, bandSpalte));
        QTest::mouseClick(flaeche, Qt::LeftButton, {},
                          w.MSFlexGrid1->visualRect(m->index(zeile("Can"), bandSpalte)).center());
        QTest::mouseClick(flaeche, Qt::LeftButton, Qt::ControlModifier,
                          w.MSFlexGrid1->visualRect(m->index(zeile("Zappa"), bandSpalte)).center());
        w.mnuKopierenListe_Click();

        const QString text = QApplication::clipboard()->text();
        QStringList zeilen = text.split(QStringLiteral("\r\n"));
        QCOMPARE(zeilen.takeLast(), QString());
        QCOMPARE(zeilen.size(), 3); // headings, Can, Zappa
        QVERIFY(!text.contains(QStringLiteral("Dazwischen")));
        for (const QString& z : zeilen) {
            QVERIFY(!z.contains(QLatin1Char('\n')) && !z.contains(QLatin1Char('\r')));
            QCOMPARE(z.count(QLatin1Char('\t')), m->columnCount());
        }
        const int can = zeile("Can") < zeile("Zappa") ? 1 : 2;
        const QStringList canZellen = zeilen[can].split(QLatin1Char('\t'));
        const QStringList zappaZellen = zeilen[3 - can].split(QLatin1Char('\t'));
        QCOMPARE(canZellen[spalte("Info")], lang);
        QCOMPARE(canZellen[spalte("Songs")], QStringLiteral("Eins / Zwei"));
        QCOMPARE(canZellen[spalte("Plattenfirma")], QStringLiteral("United Artists"));
        QCOMPARE(zappaZellen[spalte("Info")], QStringLiteral("Zeile1 / Zeile2"));
        // The table for office programs keeps the line breaks.
        const QString html = QApplication::clipboard()->mimeData()->html();
        QVERIFY(html.contains(QStringLiteral("Eins<br>Zwei")));
        QVERIFY(html.contains(lang));
        QVERIFY(!html.contains(QStringLiteral("Dazwischen")));
    }

    // Copies of thousands of rows are read off the window's thread in blocks on connections of
    // their own and built by several threads: they hold exactly what the grid's model holds,
    // row by row in the view's order, also with gaps, a record another program deleted
    // meanwhile (empty, never another row's values) and an edit of the current row not yet
    // written.
    void kopienVielerZeilen_data()
    {
        QTest::addColumn<bool>("liste");
        QTest::addColumn<int>("luecke"); // rows left out after every 100 selected
        QTest::newRow("record copy, all rows") << false << 0;
        QTest::newRow("list copy, all rows") << true << 0;
        QTest::newRow("list copy, gaps, some columns") << true << 50;
    }
    void kopienVielerZeilen()
    {
        QFETCH(bool, liste);
        QFETCH(int, luecke);
        const QString katalog = m_env->path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
        klang::test::CatalogueSpec spec;
        spec.records = 9000;
        QVERIFY(klang::test::writeCatalogue(katalog, spec));
        setOption(QStringLiteral("ArchivPfad"), katalog);
        Ausgabebox w;
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTableView* grid = w.MSFlexGrid1;
        QAbstractItemModel* m = grid->model();
        QVERIFY(m->rowCount() == 9000 && m->columnCount() > 6);
        klang::jet::Recordset& rs = w.katalog().data1().recordset();
        const int spalteA = luecke == 0 ? 0 : 2, spalteB = luecke == 0 ? m->columnCount() - 1 : 5;
        grid->setCurrentIndex(m->index(0, spalteA));
        QVERIFY(rs.setField(QStringLiteral("Band"), QStringLiteral("Noch nicht gespeichert")));
        const int geloescht = 4321;
        klang::jet::Database anderes;
        QVERIFY(anderes.open(katalog));
        QCOMPARE(anderes.executeBound(QStringLiteral("DELETE FROM Schallplatten WHERE rowid = ?"),
                                      {rs.rowId(geloescht)}), 1);
        rs.invalidateCache();

        QList<int> zeilen;
        grid->selectionModel()->clearSelection();
        for (int r = m->rowCount() - luecke - 100; r >= 0; r -= luecke + 100) { // stretches of 100, made bottom-up
            for (int z = r; z < r + 100; ++z)
                zeilen << z;
            grid->selectionModel()->select(QItemSelection(m->index(r, spalteA), m->index(r + 99, spalteB)),
                                           QItemSelectionModel::Select);
        }
        w.findChild<QAction*>(QString::fromLatin1(liste ? "mnuKopierenListe" : "mnuKopieren"))->trigger();
        const QString text = QApplication::clipboard()->text();

        // The same read through the model, cell by cell on this thread.
        QIdentityProxyModel zellen;
        zellen.setSourceModel(m);
        auto klartext = [](const QString& feld, const QString& wert) {
            return klang::jet::schema::isRichTextField(feld) ? klang::richtext::rtfToPlainText(wert) : wert;
        };
        if (liste) {
            QCOMPARE(text, klang::player::listenKopie(zellen, zeilen, spalteA, spalteB, klartext));
            QCOMPARE(QApplication::clipboard()->mimeData()->html(),
                     listenKopieHtml(zellen, zeilen, spalteA, spalteB, klartext));
        } else {
            QCOMPARE(text, tontraegerKopierformat(zellen, 0, m->rowCount() - 1, klartext));
            const QStringList felder = text.split(KopierTrenner);
            QCOMPARE(felder.size(), 1 + 18 * 9000 + 1);
            QCOMPARE(felder[1], QStringLiteral("Noch nicht gespeichert"));
            QCOMPARE(felder.mid(1 + 18 * geloescht, 18), QStringList(18, QStringLiteral(" ")));
            QVERIFY(felder[1 + 18 * (geloescht + 1)].size() > 1);
        }
        QCOMPARE(text.contains(QStringLiteral("Noch nicht gespeichert")), spalteA == 0);
    }

    // While another program holds the catalogue locked, a copy says so and leaves the user's
    // clipboard alone; once the lock is gone the next copy works.
    void kopieGesperrt()
    {
        const QString katalog = m_env->path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(katalog));
        QVERIFY(klang::test::insertCatalogueRecords(katalog, {{{QStringLiteral("Band"), QStringLiteral("Can")}}}));
        setOption(QStringLiteral("ArchivPfad"), katalog);
        Ausgabebox w;
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.MSFlexGrid1->selectAll();
        klang::jet::Database anderes;
        QVERIFY(anderes.open(katalog));
        QCOMPARE(anderes.executeBound(QStringLiteral("BEGIN EXCLUSIVE")), 0);
        QApplication::clipboard()->setText(QStringLiteral("meins"));
        kit::testhook::clear();
        w.mnuKopierenListe_Click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("meins"));
        QCOMPARE(kit::testhook::calls().size(), 1);
        QCOMPARE(kit::testhook::calls().last().title, QStringLiteral("Ausgabebox_mnuKopierenListe_Click"));
        QCOMPARE(anderes.executeBound(QStringLiteral("ROLLBACK")), 0);
        w.mnuKopierenListe_Click();
        QVERIFY(QApplication::clipboard()->text().contains(QStringLiteral("\r\nCan\t")));
    }

    // The real window: tool-bar releases, links through the desktop, the services' clipboard,
    // the program font and the pause question.
    void hauptfenster()
    {
        const QString katalog = m_env->path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(katalog));
        QVERIFY(klang::test::insertCatalogueRecords(
            katalog, {{{QStringLiteral("Band"), QStringLiteral("Can")}, {QStringLiteral("Preis"), QString()}}}));
        setOption(QStringLiteral("ArchivPfad"), katalog);
        Ausgabebox w;
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        kit::testhook::clear();

        // Record copy: text with the separators; the grid keeps its empty cells.
        w.MSFlexGrid1->setCurrentIndex(w.MSFlexGrid1->model()->index(0, 0));
        w.findChild<QAction*>(QStringLiteral("mnuKopieren"))->trigger();
        QVERIFY(QApplication::clipboard()->text().startsWith(QString::number(w.MSFlexGrid1->model()->columnCount() - 1)
                                                             + KopierTrenner + QStringLiteral("Can") + KopierTrenner));
        QCOMPARE(kit::testhook::calls().last().prompt, QStringLiteral("Tonträger in die Zwischenablage kopiert!"));

        // Translation with the grid last focused leaves the clipboard alone.
        w.LetzterFokus = QStringLiteral("MSFlexGrid1");
        QApplication::clipboard()->setText(QStringLiteral("meins"));
        w.mnuTranslation_Click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("meins"));
        QCOMPARE(m_desktop.urls.size(), 1);
        w.rtfInfo->setPlainText(QStringLiteral("Hallo Welt"));
        w.LetzterFokus = QStringLiteral("rtfInfo");
        w.mnuDeeplWrite_Click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Hallo Welt"));

        // Weblink: an edited answer is opened; a script link is refused with a message.
        w.txtSuchen->setText(QStringLiteral("  http://example.org "));
        w.txtSuchen->selectAll();
        w.LetzterFokus = QStringLiteral("txtSuchen");
        m_desktop.urls.clear();
        kit::testhook::queueAnswer(QStringLiteral("https://example.org/neu"));
        w.mnuWeblink_Click();
        QCOMPARE(kit::testhook::calls().last().defaultText, QStringLiteral("http://example.org"));
        kit::testhook::queueAnswer(QStringLiteral("javascript:alert(1)"));
        w.mnuWeblink_Click();
        QCOMPARE(kit::testhook::calls().last().title, QStringLiteral("Linkausführung"));
        QCOMPARE(kit::testhook::calls().last().kind, QStringLiteral("MsgFenn"));
        QCOMPARE(m_desktop.urls, (QList<QUrl>{QUrl(QStringLiteral("https://example.org/neu"))}));
        w.txtSuchen->setText(QStringLiteral("a@b.de"));
        w.txtSuchen->selectAll();
        kit::testhook::queueAnswer(QStringLiteral("a@b.de"));
        w.mnuWeblink_Click();
        QCOMPARE(m_desktop.urls.last(), QUrl(QStringLiteral("mailto:a@b.de")));

        // A document path (blanks and a comma) opens through the desktop after asking; a
        // missing one is reported. The read-me opens the same way.
        const QString dokument = m_env->path(QStringLiteral("Meine Musik, alt")) + QStringLiteral("/liste.txt");
        QFile datei(dokument);
        QVERIFY(datei.open(QIODevice::WriteOnly));
        datei.close();
        w.txtSuchen->setText(dokument);
        w.txtSuchen->selectAll();
        kit::testhook::queueAnswer(dokument);
        w.mnuWeblink_Click();
        QCOMPARE(m_desktop.urls.last(), QUrl::fromLocalFile(dokument));
        w.txtSuchen->setText(dokument + QStringLiteral(".weg"));
        w.txtSuchen->selectAll();
        w.mnuWeblink_Click();
        QCOMPARE(kit::testhook::calls().last().title, QStringLiteral("Dateipfad"));
        QVERIFY(klang::writeLines(klang::programmPfad() + QStringLiteral("readme.txt"), {QStringLiteral("x")}));
        textProgrammEinrichten(*m_env);
        w.mnuReadMe_Click();
        QCOMPARE(m_desktop.urls.last().fileName(), QStringLiteral("readme.txt"));

        // Tool bar: no context menu; a middle release on the playlist button does nothing,
        // right releases on the starters report what is missing.
        QToolBar* leiste = w.findChild<QToolBar*>(QStringLiteral("cmdButtonLeiste"));
        QCOMPARE(leiste->contextMenuPolicy(), Qt::PreventContextMenu);
        kit::testhook::clear();
        QWidget* knopf14 = leiste->widgetForAction(w.cmdButton[14]);
        QTest::mouseClick(knopf14, Qt::MiddleButton);
        QVERIFY(kit::testhook::calls().isEmpty());
        int dialoge = 0;
        w.playlistDialog = [&dialoge] { ++dialoge; return QString(); };
        const bool verborgen = w.lvwPlaylist->isHidden();
        QTest::mouseClick(knopf14, Qt::LeftButton); // shows or hides once, not twice
        QCOMPARE(w.lvwPlaylist->isHidden(), !verborgen);
        dialoge = 0;
        QTest::mouseClick(knopf14, Qt::RightButton); // loads once
        QCOMPARE(dialoge, 1);
        QTest::mouseClick(leiste->widgetForAction(w.cmdButton[17]), Qt::RightButton);
        QVERIFY(w.isVisible());
        QCOMPARE(kit::testhook::calls().last().title, QStringLiteral("Ausgabebox_mnuKlangtruhe_Click"));
        QTest::mouseClick(leiste->widgetForAction(w.cmdButton[11]), Qt::RightButton);
        QCOMPARE(kit::testhook::calls().last().prompt, QStringLiteral("Silberling.exe nicht gefunden."));
        QCOMPARE(kit::testhook::calls().last().title, QStringLiteral("Silberling starten"));

        // Program font: cancel stores nothing; a half size is stored locale-free.
        const QString vorher = option(QStringLiteral("ProgSchriftSize"));
        w.schriftDialog = [](QFont&) { return false; };
        w.mnuProgSchrift_Click();
        QCOMPARE(option(QStringLiteral("ProgSchriftSize")), vorher);
        w.schriftDialog = [](QFont& f) { f.setFamily(QStringLiteral("DejaVu Sans")); f.setPointSizeF(10.5); return true; };
        w.mnuProgSchrift_Click();
        QCOMPARE(option(QStringLiteral("ProgSchriftSize")), QStringLiteral("10.5"));
        QCOMPARE(w.TextLPTitel->font().pointSizeF(), 10.5);
        QVERIFY(w.TextSongs->font().pointSizeF() != 10.5);
        QCOMPARE(schriftGroesse(QStringLiteral("10,5")), 10.5);

        // Pause above 60 s: the closed question stores nothing.
        setOption(QStringLiteral("PauseZwischenTracks"), QStringLiteral("5"));
        kit::testhook::queueAnswer(QStringLiteral("61"));
        kit::testhook::queueAnswer(QString());
        w.findChild<QAction*>(QStringLiteral("mnuPauseZwischenTracks"))->trigger();
        QCOMPARE(option(QStringLiteral("PauseZwischenTracks")), QStringLiteral("5"));
    }
};

QTEST_MAIN(BefehleTest)
#include "tst_befehle.moc"
