// The window of the database manager driven as a user would: buttons clicked, menus
// triggered, message boxes answered through the kit's test hook.

#include "dbmanager/BildKnopf.h"
#include "dbmanager/DatenbankVerwaltung.h"
#include "dbmanager/JetKatalog.h"
#include "dbmanager/frmDatenbank.h"
#include "kit/MsgFenn.h"
#include "kit/TestHook.h"
#include "platform/jet/Database.h"
#include "platform/jet/Schema.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Paths.h"
#include "tests/dbmanager/Katalog.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

#include <memory>

using namespace dbmanager;

namespace {

QByteArray lesen(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestFenster : public QObject
{
    Q_OBJECT

    std::unique_ptr<klang::test::TestEnvironment> m_env;
    std::unique_ptr<frmDatenbank> m_fenster;
    QString m_ordner;
    QString m_gewaehlt;
    int m_dialogAufrufe = 0;
    QString m_vorschlag;

    template<typename T>
    T* kind(const QString& name)
    {
        T* w = m_fenster->findChild<T*>(name);
        if (!w)
            qWarning("missing child %s", qPrintable(name));
        return w;
    }
    BildKnopf* knopf(int i) { return kind<BildKnopf>(QStringLiteral("imgButton(%1)").arg(i)); }
    QTextEdit* log() { return kind<QTextEdit>(QStringLiteral("rtfText")); }
    void klicken(int i) { QTest::mouseClick(knopf(i), Qt::LeftButton, {}, QPoint(5, 5)); }
    bool warteAufEnde()
    {
        QSignalSpy fertig(&m_fenster->verwaltung(), &DatenbankVerwaltung::fertig);
        return !m_fenster->verwaltung().beschaeftigt() || fertig.wait(30000);
    }
    QList<kit::testhook::Call> boxen(const QString& titel)
    {
        QList<kit::testhook::Call> r;
        for (const auto& c : kit::testhook::calls())
            if (c.title == titel)
                r << c;
        return r;
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<klang::test::TestEnvironment>();
        m_ordner = m_env->path(QStringLiteral("Musik"));
        kit::testhook::enable();
        kit::testhook::clear();
        m_fenster = std::make_unique<frmDatenbank>();
        m_dialogAufrufe = 0;
        m_fenster->setDateiAuswahl([this](QWidget*, const QString& vorschlag) {
            ++m_dialogAufrufe;
            m_vorschlag = vorschlag;
            // "=" stands for pressing Open on what the dialog proposes.
            return m_gewaehlt == QLatin1String("=") ? vorschlag : m_gewaehlt;
        });
        m_fenster->Form_Load();
    }
    void cleanup()
    {
        m_fenster.reset();
        kit::testhook::disable();
        m_env.reset();
    }

    // Start-up: program folder in the status line, only open/help/quit offered, and the
    // safety notice shown although no animation file exists.
    void startZustand()
    {
        QTRY_COMPARE(boxen(QStringLiteral("Sicherheitshinweis")).size(), 1);
        const auto hinweis = boxen(QStringLiteral("Sicherheitshinweis")).first();
        QCOMPARE(hinweis.prompt, QStringLiteral("Stellen Sie sicher, dass keine PC/Netzwerkbenutzer\nmehr mit der Datenbank verbunden sind!"));
        QCOMPARE(hinweis.style, 3);
        QCOMPARE(hinweis.backColor, qint64(0xC0E0FF));
        QCOMPARE(m_fenster->windowTitle(), QStringLiteral("Bestandswart"));
        QCOMPARE(kind<QLabel>(QStringLiteral("lblStatuszeile"))->text(), klang::programmPfad());
        for (int i : {0, 3, 4})
            QVERIFY(knopf(i)->isVisible());
        for (int i : {1, 2}) {
            QVERIFY(!knopf(i)->isVisible());
            QVERIFY(!kind<QLabel>(QStringLiteral("lblBez(%1)").arg(i))->isVisible());
        }
        QVERIFY(!kind<QAction>(QStringLiteral("mnuUpdate"))->isEnabled());
        QVERIFY(!kind<QAction>(QStringLiteral("mnuKomprimieren"))->isEnabled());
        QCOMPARE(kind<QAction>(QStringLiteral("mnuUpdate"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+U")));
        // Ctrl+K without a database asks nothing.
        kit::testhook::clear();
        QTest::keyClick(m_fenster.get(), Qt::Key_K, Qt::ControlModifier);
        QVERIFY(kit::testhook::calls().isEmpty());
    }

    // The open dialog proposes an existing catalogue file with its extension, so that
    // pressing Open opens it: the archive's catalogue, another catalogue in its folder when
    // that one is gone, else the empty catalogue in the program folder.
    void oeffnenVorschlag_data()
    {
        QTest::addColumn<QString>("archivPfad"); // {M} = the music folder
        QTest::addColumn<QString>("erwartet");   // {P} = the program folder
        QTest::newRow("no setting") << "" << "{P}Archiv_leer.mdb";
        QTest::newRow("archive exists") << "{M}/Haupt.mdb" << "{M}/Haupt.mdb";
        QTest::newRow("archive gone, folder kept") << "{M}/Weg.mdb" << "{M}/Alt.mdb";
        QTest::newRow("folder gone") << "/nicht/da/Archiv.mdb" << "{P}Archiv_leer.mdb";
    }
    void oeffnenVorschlag()
    {
        QFETCH(QString, archivPfad);
        QFETCH(QString, erwartet);
        QDir().mkpath(klang::programmPfad());
        QVERIFY(klang::jet::Database::createCatalogue(klang::programmPfad() + QStringLiteral("Archiv_leer.mdb")));
        QVERIFY(test::katalogErzeugen(m_ordner + QStringLiteral("/Alt.mdb"), 3));
        QVERIFY(test::katalogErzeugen(m_ordner + QStringLiteral("/Haupt.mdb"), 3));
        if (!archivPfad.isEmpty())
            klang::SaveSetting(QStringLiteral("Klangtruhe"), QStringLiteral("Options"), QStringLiteral("ArchivPfad"),
                               archivPfad.replace(QStringLiteral("{M}"), m_ordner));
        erwartet.replace(QStringLiteral("{M}"), m_ordner).replace(QStringLiteral("{P}"), klang::programmPfad());
        m_gewaehlt = QStringLiteral("=");
        klicken(0);
        QCOMPARE(m_dialogAufrufe, 1);
        QCOMPARE(m_vorschlag, erwartet);
        QVERIFY2(boxen(QStringLiteral("frmDatenbank_mnuOeffnen_Click")).isEmpty(),
                 qPrintable(kit::testhook::calls().value(0).prompt));
        QCOMPARE(m_fenster->verwaltung().datenbankDatei(), erwartet);
    }

    // Done-when, through the window: open, update and compact a 20,000-record old catalogue.
    void oeffnenAktualisierenKomprimieren()
    {
        const QString datei = m_ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeCatalogue(datei, [] {
            klang::test::CatalogueSpec spec;
            spec.records = 20000;
            spec.olderForm = true;
            spec.picturePercent = 5;
            return spec;
        }()));
        const QStringList alt = klang::jet::schema::olderFieldNames();
        const QString abdruck = dbmanager::test::fingerabdruck(datei, alt);
        const QByteArray vorher = lesen(datei);

        m_gewaehlt = datei;
        klicken(0);
        QCOMPARE(kind<QLabel>(QStringLiteral("lblStatuszeile"))->text(), datei);
        QCOMPARE(log()->toPlainText(), datei + QStringLiteral("\nDatenbank geladen, klicken Sie nur auf das Icon Update oder Kompress."));
        QVERIFY(knopf(1)->isVisible());
        QVERIFY(kind<QAction>(QStringLiteral("mnuKomprimieren"))->isEnabled());

        kit::testhook::clear();
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        klicken(1);
        const auto frage = boxen(QStringLiteral("Update ausführen?"));
        QCOMPARE(frage.size(), 1);
        QCOMPARE(frage.first().style, 22);
        QCOMPARE(frage.first().defaultButton, 2);
        // While the update runs no other command starts.
        QVERIFY(m_fenster->verwaltung().beschaeftigt());
        QVERIFY(!knopf(0)->isEnabled());
        QVERIFY(!kind<QAction>(QStringLiteral("mnuOeffnen"))->isEnabled());
        kind<QAction>(QStringLiteral("mnuOeffnen"))->trigger();
        m_fenster->mnuOeffnen_Click();
        QCOMPARE(m_dialogAufrufe, 1);
        QVERIFY(warteAufEnde());
        QVERIFY(knopf(0)->isEnabled());

        const QTextDocument* doc = log()->document();
        QCOMPARE(doc->firstBlock().text(), QStringLiteral("Datenbank-Update"));
        QVERIFY(doc->firstBlock().begin().fragment().charFormat().font().bold());
        QVERIFY(log()->toPlainText().endsWith(QStringLiteral("Datenbank-Update erfolgreich!\nUpdate beendet\n")));
        QCOMPARE(dbmanager::test::spaltenVon(datei).mid(alt.size()).size(), 8);
        QCOMPARE(dbmanager::test::fingerabdruck(datei, alt), abdruck);
        // The engine's backup: every page as it was (the header counts its own changes).
        QCOMPARE(lesen(m_ordner + QStringLiteral("/Archiv_Kopie.mdb")).mid(100), vorher.mid(100));

        const qint64 groesse = QFileInfo(datei).size();
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        QTest::keyClick(m_fenster.get(), Qt::Key_K, Qt::ControlModifier);
        QVERIFY(warteAufEnde());
        QVERIFY2(log()->toPlainText().endsWith(QStringLiteral("Komprimierung erfolgreich beendet!")), qPrintable(log()->toPlainText()));
        QVERIFY(QFileInfo(datei).size() <= groesse);
        QCOMPARE(dbmanager::test::fingerabdruck(datei, alt), abdruck);
        // The closing line is bold black and ends the pane without a line break.
        const QTextBlock letzter = doc->lastBlock();
        QCOMPARE(letzter.text(), QStringLiteral("Komprimierung erfolgreich beendet!"));
        QVERIFY(letzter.begin().fragment().charFormat().font().bold());
        QCOMPARE(letzter.begin().fragment().charFormat().foreground().color(), QColor(Qt::black));
    }

    // An old Access file chosen in the open dialog: one question, and on "Ja" its copy beside
    // it is the database the window holds; the Access file stays as it was.
    void accessDateiWirdUmgewandelt()
    {
        const QString jet = m_ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(QFile::copy(QStringLiteral(KLANG_JET_TESTDATA "/nwind-jet3.mdb"), jet));
        const QByteArray vorher = lesen(jet);
        const QString kopie = m_ordner + QStringLiteral("/Archiv (SQLite).mdb");
        m_gewaehlt = jet;
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        klicken(0);
        QCOMPARE(boxen(QStringLiteral("Datenbank umwandeln")).size(), 1);
        QCOMPARE(m_fenster->verwaltung().datenbankDatei(), kopie);
        QCOMPARE(kind<QLabel>(QStringLiteral("lblStatuszeile"))->text(), kopie);
        QCOMPARE(lesen(jet), vorher);
        klang::jet::Database db;
        QVERIFY(db.open(kopie));
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM \"Order Details\"")).toInt(), 2155);
    }

    // "Nein" (also the box's default) leaves the log and the files untouched.
    void neinAendertNichts_data()
    {
        QTest::addColumn<int>("knopfIndex");
        QTest::addColumn<QString>("antwort");
        QTest::newRow("update no") << 1 << "Nein";
        QTest::newRow("compact no") << 2 << "Nein";
        QTest::newRow("compact closed box") << 2 << "";
    }
    void neinAendertNichts()
    {
        QFETCH(int, knopfIndex);
        QFETCH(QString, antwort);
        const QString datei = m_ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(dbmanager::test::katalogErzeugen(datei, 50));
        m_gewaehlt = datei;
        klicken(0);
        const QString text = log()->toPlainText();
        const QByteArray vorher = lesen(datei);
        kit::testhook::queueAnswer(antwort);
        klicken(knopfIndex);
        QVERIFY(!m_fenster->verwaltung().beschaeftigt());
        QCOMPARE(log()->toPlainText(), text);
        QCOMPARE(lesen(datei), vorher);
        QCOMPARE(QDir(m_ordner).entryList(QDir::Files).size(), 1);
    }

    // A file named like the compaction's temporary file that the program did not make (the
    // user's own) is deleted only on "Ja"; a copy left by an interrupted compaction, which
    // carries the program's mark, goes without a question.
    void fremdeTempDatei_data()
    {
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<bool>("eigene");
        QTest::newRow("user's file, no") << "Nein" << false;
        QTest::newRow("user's file, yes") << "Ja" << false;
        QTest::newRow("leftover of an interrupted run") << "" << true;
    }
    void fremdeTempDatei()
    {
        QFETCH(QString, antwort);
        QFETCH(bool, eigene);
        const QString datei = m_ordner + QStringLiteral("/Archiv.mdb");
        const QString temp = m_ordner + QStringLiteral("/Archiv_temp.mdb");
        QVERIFY(dbmanager::test::katalogErzeugen(datei, 50));
        QVERIFY(dbmanager::test::katalogErzeugen(temp, 5));
        if (eigene) {
            klang::jet::Database db;
            QVERIFY(db.open(temp));
            QVERIFY(db.executeBound(QStringLiteral("PRAGMA application_id = %1").arg(JetKatalog::TempKennung)) >= 0);
        }
        const QByteArray vorher = lesen(temp);
        QTRY_COMPARE(boxen(QStringLiteral("Sicherheitshinweis")).size(), 1);
        m_gewaehlt = datei;
        klicken(0);
        kit::testhook::clear();
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        kit::testhook::queueAnswer(antwort);
        klicken(2);
        QVERIFY(warteAufEnde());
        const auto fragen = boxen(QStringLiteral("Datenbank komprimieren"));
        QCOMPARE(fragen.size(), eigene ? 1 : 2);
        QVERIFY(eigene || fragen.last().prompt.contains(temp));
        const bool geloescht = eigene || antwort == QLatin1String("Ja");
        QVERIFY2((lesen(temp) == vorher) == !geloescht, qPrintable(log()->toPlainText()));
        QVERIFY2(log()->toPlainText().endsWith(geloescht ? QStringLiteral("Komprimierung erfolgreich beendet!")
                                                         : QStringLiteral("Komprimierung der Datenbank gescheitert.")),
                 qPrintable(log()->toPlainText()));
    }

    // A failed open shows the error box, creates nothing and offers no update or compact;
    // a cancel changes nothing.
    void oeffnenFehler()
    {
        const QString datei = m_ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(dbmanager::test::katalogErzeugen(datei, 10));
        m_gewaehlt = datei;
        klicken(0);
        const QString status = kind<QLabel>(QStringLiteral("lblStatuszeile"))->text();
        const QString text = log()->toPlainText();

        m_gewaehlt.clear();
        klicken(0);
        QCOMPARE(kind<QLabel>(QStringLiteral("lblStatuszeile"))->text(), status);
        QCOMPARE(log()->toPlainText(), text);
        QVERIFY(kind<QAction>(QStringLiteral("mnuUpdate"))->isEnabled());

        kit::testhook::clear();
        m_gewaehlt = m_ordner + QStringLiteral("/Neu.mdb");
        klicken(0);
        const auto fehler = boxen(QStringLiteral("frmDatenbank_mnuOeffnen_Click"));
        QCOMPARE(fehler.size(), 1);
        QCOMPARE(fehler.first().style, 4);
        QCOMPARE(fehler.first().backColor, qint64(0xC0C0FF));
        QVERIFY(fehler.first().prompt.startsWith(QStringLiteral("3024 ")));
        QVERIFY(!QFile::exists(m_gewaehlt));
        QVERIFY(!kind<QAction>(QStringLiteral("mnuUpdate"))->isEnabled());
        QVERIFY(!knopf(2)->isVisible());
        QVERIFY(log()->toPlainText().isEmpty());
    }

    // A failed command writes the red error line and a bold red closing line without a
    // line break.
    void fehlerZeileImLog()
    {
        const QString datei = m_ordner + QStringLiteral("/Anderes.mdb");
        QVERIFY(klang::jet::Database::createCatalogue(datei, true));
        {
            klang::jet::Database db;
            QVERIFY(db.open(datei));
            QVERIFY(db.executeBound(QStringLiteral("ALTER TABLE Schallplatten RENAME TO Platten")) >= 0);
        }
        m_gewaehlt = datei;
        klicken(0);
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        klicken(1);
        QVERIFY(warteAufEnde());
        const QTextDocument* doc = log()->document();
        const QTextBlock letzter = doc->lastBlock();
        QCOMPARE(letzter.text(), QStringLiteral("Update gescheitert!"));
        const QTextCharFormat fmt = letzter.begin().fragment().charFormat();
        QVERIFY(fmt.font().bold());
        QCOMPARE(fmt.foreground().color(), QColor(Qt::red));
        const QTextBlock davor = letzter.previous();
        QVERIFY(davor.text().startsWith(QStringLiteral("Fehlermeldung: ")));
        QCOMPARE(davor.begin().fragment().charFormat().foreground().color(), QColor(Qt::red));
        QVERIFY(!davor.begin().fragment().charFormat().font().bold());
    }

    // The version box: five parts separated by blank lines, version 2025.9.84, the
    // copyright part beginning with 2025.
    void versionsBox()
    {
        kit::testhook::clear();
        kind<QAction>(QStringLiteral("mnuVersion"))->trigger();
        const auto box = boxen(QStringLiteral("Info´s - Quarzwerk"));
        QCOMPARE(box.size(), 1);
        QCOMPARE(box.first().style, 1);
        const QStringList teile = box.first().prompt.split(QStringLiteral("\n\n"));
        QCOMPARE(teile.size(), 5);
        QCOMPARE(teile.at(0), QStringLiteral("Produkt: Bestandswart"));
        QVERIFY(teile.at(1).startsWith(QStringLiteral("Hersteller: ")));
        QVERIFY(teile.at(2).startsWith(QStringLiteral("2025")));
        QCOMPARE(teile.at(3), QStringLiteral("Version: 2025.9.84"));
        QVERIFY(teile.at(4).startsWith(QStringLiteral("Online: ")));
    }

    // A picture button moves 20 twips right and down while held and back on release.
    void gedruecktesAussehen()
    {
        BildKnopf* k = knopf(3);
        const QPoint ort = k->pos();
        QTest::mousePress(k, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(k->pos(), ort + QPoint(1, 1));
        QTest::mouseRelease(k, Qt::LeftButton, {}, QPoint(4, 4));
        QCOMPARE(k->pos(), ort);
    }

    // Quitting without the archive program says so and still closes the window.
    // Quitting without any archive program beside us tells the user and still closes.
    void beendenOhneArchivprogramm()
    {
        const QByteArray alterOrdner = qgetenv("KLANGTRUHE_BIN_DIR");
        qputenv("KLANGTRUHE_BIN_DIR", m_env->path(QStringLiteral("leer")).toUtf8());
        QTRY_COMPARE(boxen(QStringLiteral("Sicherheitshinweis")).size(), 1);
        QVERIFY(m_fenster->isVisible());
        kit::testhook::clear();
        klicken(4);
        qputenv("KLANGTRUHE_BIN_DIR", alterOrdner);
        QVERIFY(!m_fenster->isVisible());
        QCOMPARE(boxen(QStringLiteral("frmDatenbank_mnuBeenden_Click")).size(), 1);
    }

    // Quitting starts the archive program that lies beside the programs.
    void beendenStartetArchivprogramm()
    {
        const QString ordner = m_env->path(QStringLiteral("bin"));
        const QString marke = m_env->path(QStringLiteral("marke")) + QStringLiteral("/gestartet");
        QFile skript(ordner + QStringLiteral("/Klangtruhe"));
        QVERIFY(skript.open(QIODevice::WriteOnly));
        skript.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marke).toUtf8());
        skript.close();
        skript.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QByteArray alterOrdner = qgetenv("KLANGTRUHE_BIN_DIR");
        qputenv("KLANGTRUHE_BIN_DIR", ordner.toUtf8());
        QTRY_COMPARE(boxen(QStringLiteral("Sicherheitshinweis")).size(), 1);
        kit::testhook::clear();
        klicken(4);
        qputenv("KLANGTRUHE_BIN_DIR", alterOrdner);
        QVERIFY(!m_fenster->isVisible());
        QVERIFY(boxen(QStringLiteral("frmDatenbank_mnuBeenden_Click")).isEmpty());
        QTRY_VERIFY(QFile::exists(marke));
    }
};

QTEST_MAIN(TestFenster)
#include "tst_fenster.moc"
