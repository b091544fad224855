// The catalogue's data in the main window under real faults: long values, catalogues that
// cannot be written, writes that fail, hand-edited views, older and damaged files on every
// way of opening, and a settings file that cannot be saved. Nothing typed or stored is lost,
// shortened or changed unasked, and every failure is said once, in German.

#include "kit/TestHook.h"
#include "tests/player/catalogue/FensterUmgebung.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Felder.h"
#include "player/catalogue/detail/Sternreihe.h"
#include "platform/jet/Database.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Paths.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/SmallFileSystem.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Unveraenderlich.h"

#include <QAction>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <memory>

using namespace klang::player;

namespace {

QVariantMap satz(const QString& band, const QString& stil, const QString& info = QString(),
                 const QString& bildPfad = QString())
{
    return {{QStringLiteral("Band"), band}, {QStringLiteral("LPTitel"), band + QStringLiteral(" Titel")},
            {QStringLiteral("Stil"), stil}, {QStringLiteral("Info"), info},
            {QStringLiteral("BildPfad"), bildPfad}, {QStringLiteral("Bewertung"), QStringLiteral("2")}};
}

QByteArray hashVon(const QString& pfad)
{
    QFile f(pfad);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString gespeichert(const QString& katalog, const QString& band, const QString& feld)
{
    klang::jet::Database db;
    if (!db.open(katalog))
        return QStringLiteral("<nicht offen>");
    return db.scalar(QStringLiteral("select \"%1\" from Schallplatten where Band = ?").arg(feld), {band}).toString();
}

// A catalogue damaged past its first page: a record's overflow chain points past the end.
bool beschaedigen(const QString& pfad)
{
    QFile f(pfad);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    const QByteArray kopf = f.read(100);
    const int seite = (quint8(kopf[16]) << 8) | quint8(kopf[17]);
    return f.seek(qint64(seite) * 3) && f.write("\xff\xff\xff\xff", 4) == 4;
}

void zeile(Ausgabebox* w, int r)
{
    w->MSFlexGrid1->setCurrentIndex(w->MSFlexGrid1->model()->index(r, 0));
    QCoreApplication::processEvents();
}

} // namespace

class DatensicherheitTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<FensterUmgebung> m_env;
    QString m_katalog;
    QString m_langInfo;
    QString m_langBild;

    std::unique_ptr<Ausgabebox> starten()
    {
        return hauptfensterZeigen();
    }

private slots:
    void init()
    {
        m_env = std::make_unique<FensterUmgebung>();
        m_katalog = m_env->path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(m_katalog));
        // Longer than any line edit's default limit, with umlauts, quotes and line breaks.
        m_langInfo = QStringLiteral("Anfang äöü 'x' \"y\"\r\nzweite Zeile\t");
        while (m_langInfo.size() < 40003)
            m_langInfo += QStringLiteral("Grüße aus Köln; ");
        m_langInfo.truncate(40003);
        for (int i = 0; m_langBild.size() < 40000; ++i)
            m_langBild += QStringLiteral("Bilder/Cover_%1.jpg°").arg(i);
        QVERIFY(klang::test::insertCatalogueRecords(
            m_katalog, {satz("Abba", "Pop", m_langInfo, m_langBild), satz("Beatles", "Pop", QStringLiteral("kurz")),
                        satz("Can", "Rock"), satz("Doors", "Rock"), satz("Eagles", "Pop"), satz("Faust", "Rock")}));
    }
    void cleanup()
    {
        m_env.reset();
    }

    // A 40,003-character Info and a 40,000-character picture list survive ten row changes
    // byte for byte; the file is not even written, and an edit of another field of the same
    // record leaves them whole.
    void langeWerteBleibenGanz()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        const QByteArray vorher = hashVon(m_katalog);
        {
            auto w = starten();
            for (int i = 0; i < 10; ++i) {
                zeile(w.get(), 0);
                QCOMPARE(w->TextInfo->text().size(), m_langInfo.size());
                zeile(w.get(), 1 + i % 5);
            }
            QCOMPARE(hashVon(m_katalog), vorher);
            zeile(w.get(), 0);
            w->TextStil->setText(QStringLiteral("Disco"));
            zeile(w.get(), 2);
            w->close();
        }
        QCOMPARE(gespeichert(m_katalog, QStringLiteral("Abba"), QStringLiteral("Stil")), QStringLiteral("Disco"));
        QCOMPARE(gespeichert(m_katalog, QStringLiteral("Abba"), QStringLiteral("Info")), m_langInfo);
        QCOMPARE(gespeichert(m_katalog, QStringLiteral("Abba"), QStringLiteral("BildPfad")), m_langBild);
        QVERIFY(kit::testhook::calls().isEmpty());
    }

    // A catalogue whose file or folder cannot be written opens with a notice, its fields take
    // no typing and no rating; moving, refreshing and closing say nothing and change nothing.
    void schreibgeschuetzterKatalog_data()
    {
        QTest::addColumn<bool>("ordner");
        QTest::newRow("file") << false;
        QTest::newRow("folder") << true;
    }
    void schreibgeschuetzterKatalog()
    {
        QFETCH(bool, ordner);
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        const QByteArray vorher = hashVon(m_katalog);
        klang::test::Unveraenderlich sperre(ordner ? QFileInfo(m_katalog).absolutePath() : m_katalog);
        QVERIFY(sperre.ok());
        {
            auto w = starten();
            QVERIFY(w->lblNurLesen->isVisible());
            QVERIFY(w->lblNurLesen->text().contains(QStringLiteral("schreibgeschützt")));
            zeile(w.get(), 1);
            QVERIFY(w->TextInfo->isReadOnly());
            QVERIFY(w->TextSongs->isReadOnly());
            w->TextInfo->setFocus();
            QTest::keyClicks(w->TextInfo, QStringLiteral("neu"));
            QCOMPARE(w->TextInfo->text(), QStringLiteral("kurz"));
            auto* sterne = w->findChild<klang::detail::Sternreihe*>(QStringLiteral("imgCDnote"));
            QVERIFY(sterne);
            QLabel* stern = sterne->stern(4);
            QTest::mouseClick(stern, Qt::LeftButton, {}, QPoint(stern->width() / 2, stern->height() / 2));
            QCOMPARE(w->txtBewertung->text(), QStringLiteral("2"));
            QCOMPARE(sterne->sterne(), 2);
            zeile(w.get(), 3);
            w->MenuAktualisieren_Click();
            QVERIFY(w->lblNurLesen->isVisible());
            QVERIFY(w->TextBand->isReadOnly());
            w->close();
        }
        QVERIFY(kit::testhook::calls().isEmpty());
        sperre.aufheben();
        QCOMPARE(hashVon(m_katalog), vorher);
    }

    // A write that fails after opening keeps the user on the record with the edit, says so
    // once per attempt in German, and quitting asks before the edit is given up.
    void fehlgeschlagenesSchreiben()
    {
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        zeile(w.get(), 1);
        QVERIFY(!w->lblNurLesen->isVisible());
        klang::test::Unveraenderlich sperre(QFileInfo(m_katalog).absolutePath());
        QVERIFY(sperre.ok());
        w->TextInfo->setText(QStringLiteral("getippt"));
        zeile(w.get(), 3);
        QCOMPARE(kit::testhook::calls().size(), 1);
        const kit::testhook::Call meldung = kit::testhook::calls().first();
        QCOMPARE(meldung.title, QStringLiteral("Ausgabebox_Data1_Validate"));
        QVERIFY2(meldung.prompt.contains(QStringLiteral("nicht gespeichert")), qPrintable(meldung.prompt));
        QVERIFY2(!meldung.prompt.startsWith(QLatin1String("0 ")), qPrintable(meldung.prompt));
        QCOMPARE(w->katalog().data1().absolutePosition(), 1);
        QTRY_COMPARE(w->MSFlexGrid1->currentIndex().row(), 1);
        QCOMPARE(w->TextInfo->text(), QStringLiteral("getippt"));
        QCOMPARE(w->TextBand->text(), QStringLiteral("Beatles"));

        // Another action: one more report, and the view stays.
        w->MenuAktualisieren_Click();
        QCOMPARE(kit::testhook::calls().size(), 2);
        QCOMPARE(w->TextInfo->text(), QStringLiteral("getippt"));

        // Quitting: asked once; "Nein" keeps the window and the edit.
        kit::testhook::queueAnswer(QStringLiteral("Nein"));
        QVERIFY(!w->close());
        QCOMPARE(kit::testhook::calls().size(), 3);
        QCOMPARE(kit::testhook::calls().last().title, QStringLiteral("Ausgabebox_Form_Unload"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->TextInfo->text(), QStringLiteral("getippt"));

        // Writable again: the edit goes in when the window closes, with no further box.
        sperre.aufheben();
        QVERIFY(w->close());
        QCOMPARE(kit::testhook::calls().size(), 3);
        QCOMPARE(gespeichert(m_katalog, QStringLiteral("Beatles"), QStringLiteral("Info")), QStringLiteral("getippt"));
    }

    // Another player changes or deletes the record the user edits in the window: a deleted
    // record is reported in German and the edit stays; a field changed meanwhile is asked
    // about once (overwrite, take the stored record, or keep the edit unsaved). A record whose
    // place another record took (the table compacted without its rowids kept, the last record
    // replaced) is gone as well: the other record keeps its values.
    void anderesProgrammAmDatensatz_data()
    {
        QTest::addColumn<QString>("fremd");       // statements of the other program, ";" apart
        QTest::addColumn<QString>("antwort");
        QTest::addColumn<QString>("imText");      // in the one box shown
        QTest::addColumn<int>("stil");            // of that box
        QTest::addColumn<int>("zeileDanach");     // the current row after the attempted move
        QTest::addColumn<QString>("gespeichertPreis");
        const QString preis = QStringLiteral("UPDATE Schallplatten SET Preis = 'fremd' WHERE Band = 'Beatles'");
        QTest::newRow("deleted") << "DELETE FROM Schallplatten WHERE Band = 'Beatles'" << "Nein" << "gelöscht" << 24 << 1
                                 << "<nicht offen>";
        QTest::newRow("compacted, rowids renumbered")
            << "DELETE FROM Schallplatten WHERE Band = 'Abba';VACUUM" << "Nein" << "gelöscht" << 24 << 1
            << "<nicht offen>";
        QTest::newRow("last deleted, new one in its place")
            << "DELETE FROM Schallplatten WHERE rowid >= (SELECT rowid FROM Schallplatten WHERE Band = 'Beatles');"
               "INSERT INTO Schallplatten (Band) VALUES ('Neu')"
            << "Nein" << "gelöscht" << 24 << 1 << "<nicht offen>";
        QTest::newRow("conflict, overwrite") << preis << "Ja" << "von einem anderen Programm geändert (Feld: Preis)"
                                             << 32 << 3 << "getippt";
        QTest::newRow("conflict, take stored") << preis << "Nein" << "von einem anderen Programm geändert" << 32 << 3
                                               << "fremd";
        QTest::newRow("conflict, keep editing") << preis << "Exit" << "von einem anderen Programm geändert" << 32 << 1
                                                << "fremd";
    }
    void anderesProgrammAmDatensatz()
    {
        QFETCH(QString, fremd);
        QFETCH(QString, antwort);
        QFETCH(QString, imText);
        QFETCH(int, stil);
        QFETCH(int, zeileDanach);
        QFETCH(QString, gespeichertPreis);
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        zeile(w.get(), 1);
        QCOMPARE(w->TextBand->text(), QStringLiteral("Beatles"));
        {
            klang::jet::Database anderes;
            QVERIFY(anderes.open(m_katalog));
            for (const QString& anweisung : fremd.split(QLatin1Char(';')))
                QVERIFY(anderes.executeBound(anweisung) >= 0);
        }
        w->TextPreis->setText(QStringLiteral("getippt"));
        kit::testhook::queueAnswer(antwort);
        zeile(w.get(), 3);
        QCOMPARE(kit::testhook::calls().size(), 1);
        const kit::testhook::Call box = kit::testhook::calls().first();
        QCOMPARE(box.title, QStringLiteral("Ausgabebox_Data1_Validate"));
        QCOMPARE(box.style, stil);
        QVERIFY2(box.prompt.contains(imText), qPrintable(box.prompt));
        QCOMPARE(w->katalog().data1().absolutePosition(), zeileDanach);
        if (zeileDanach == 1)
            QCOMPARE(w->TextPreis->text(), QStringLiteral("getippt"));
        const QString stand = gespeichert(m_katalog, QStringLiteral("Beatles"), QStringLiteral("Preis"));
        QCOMPARE(stand.isEmpty() ? QStringLiteral("<nicht offen>") : stand, gespeichertPreis);
        klang::jet::Database db; // no other record took the edit
        QVERIFY(db.open(m_katalog));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from Schallplatten where Preis = 'getippt'")).toInt(),
                 int(gespeichertPreis == QLatin1String("getippt")));
        // Back on the record: it shows what is stored.
        if (zeileDanach == 3 && gespeichertPreis != QLatin1String("<nicht offen>")) {
            zeile(w.get(), 1);
            QCOMPARE(w->TextPreis->text(), gespeichertPreis);
        }
    }

    // A hand-edited stored view that is not a select over the catalogue never runs: every
    // record stays, the default view shows and the view label reads "alle" again.
    void gespeicherteAnsicht_data()
    {
        QTest::addColumn<QString>("quelle");
        QTest::addColumn<int>("anzahl");
        QTest::addColumn<QString>("label");
        QTest::newRow("delete") << "delete from Schallplatten" << 6 << "alle";
        QTest::newRow("update") << "update Schallplatten set Band = ''" << 6 << "alle";
        QTest::newRow("select; delete") << "select * from Schallplatten; delete from Schallplatten" << 6 << "alle";
        QTest::newRow("drop") << "drop table Schallplatten" << 6 << "alle";
        QTest::newRow("other table") << "select * from sqlite_master" << 6 << "alle";
        QTest::newRow("not all fields") << "select Band from Schallplatten" << 6 << "alle";
        QTest::newRow("a real filter") << "select * from Schallplatten where Stil = 'Rock' order by Band" << 3
                                       << "Rock-Auswahl";
    }
    void gespeicherteAnsicht()
    {
        QFETCH(QString, quelle);
        QFETCH(int, anzahl);
        QFETCH(QString, label);
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        setOption(QStringLiteral("Data1RecordSource"), quelle);
        setOption(QStringLiteral("TabellenName"), QStringLiteral("Rock-Auswahl"));
        {
            auto w = starten();
            QCOMPARE(w->katalog().anzahl(), anzahl);
            QCOMPARE(w->lblTabellenName->text(), label);
            w->close();
        }
        klang::jet::Database db;
        QVERIFY(db.open(m_katalog));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from Schallplatten where Band <> ''")).toInt(), 6);
        if (label == QLatin1String("alle"))
            QCOMPARE(option(QStringLiteral("Data1RecordSource")), StandardAbfrage);
    }

    // Every way of opening refuses an older catalogue and one damaged past its first page,
    // once and in German, leaving the file, the next start's catalogue and the recent list.
    void oeffnenPrueft_data()
    {
        QTest::addColumn<QString>("weg");
        QTest::addColumn<bool>("beschaedigt");
        for (const char* weg : {"start", "erststart", "dialog", "zuletzt"}) {
            QTest::addRow("%s older", weg) << QString::fromLatin1(weg) << false;
            QTest::addRow("%s damaged", weg) << QString::fromLatin1(weg) << true;
        }
    }
    void oeffnenPrueft()
    {
        QFETCH(QString, weg);
        QFETCH(bool, beschaedigt);
        const QString datei = m_env->path(QStringLiteral("anders")) + QStringLiteral("/Anders.mdb");
        if (beschaedigt) {
            QVERIFY(klang::test::writeEmptyCatalogue(datei));
            const QString lang(20000, QLatin1Char('x'));
            QVERIFY(klang::test::insertCatalogueRecords(
                datei, {satz("A", "Pop", lang), satz("B", "Pop", lang), satz("C", "Pop", lang)}));
            QVERIFY(beschaedigen(datei));
        } else {
            QVERIFY(klang::test::writeEmptyCatalogue(datei, true));
        }
        const QByteArray vorher = hashVon(datei);
        if (weg == QLatin1String("start")) {
            setOption(QStringLiteral("ArchivPfad"), datei);
        } else if (weg == QLatin1String("erststart")) {
            QFile erst(klang::programmPfad() + QStringLiteral("PfadErststart.txt"));
            QVERIFY(erst.open(QIODevice::WriteOnly));
            erst.write(datei.toUtf8() + "\r\n");
        } else {
            setOption(QStringLiteral("ArchivPfad"), m_katalog);
            setOption(QStringLiteral("Ordnerpfad0"), datei);
        }
        auto w = starten();
        if (weg == QLatin1String("dialog")) {
            w->dateiDialog = [&](const QString&) { return datei; };
            w->mnuOeffnen_Click();
        } else if (weg == QLatin1String("zuletzt")) {
            w->mnuOrdner_Click(0);
        }
        QCOMPARE(kit::testhook::calls().size(), 1);
        const QString text = kit::testhook::calls().first().prompt;
        QVERIFY2(text.contains(beschaedigt ? QStringLiteral("beschädigt") : QStringLiteral("fehlen die Felder")),
                 qPrintable(text));
        QCOMPARE(hashVon(datei), vorher);
        if (weg == QLatin1String("start") || weg == QLatin1String("erststart")) {
            QCOMPARE(w->panelText(1), QStringLiteral(" Fehler beim Laden der Datenbank!"));
            QCOMPARE(w->katalog().anzahl(), 0);
            QVERIFY(w->TextBand->isReadOnly());
        } else {
            QCOMPARE(w->katalog().anzahl(), 6);
            QCOMPARE(option(QStringLiteral("ArchivPfad")), m_katalog);
            QCOMPARE(option(QStringLiteral("Ordnerpfad0")), datei);
            QCOMPARE(option(QStringLiteral("Ordnerpfad1")), QString());
        }
    }

    // A stored catalogue that has gone is said once, then the empty catalogue opens.
    void verschwundenerKatalogGemeldet()
    {
        const QString weg = m_env->path(QStringLiteral("weg")) + QStringLiteral("/Weg.mdb");
        setOption(QStringLiteral("ArchivPfad"), weg);
        auto w = starten();
        QCOMPARE(kit::testhook::calls().size(), 1);
        QCOMPARE(kit::testhook::calls().first().title, QStringLiteral("Datenbank nicht gefunden"));
        QVERIFY(kit::testhook::calls().first().prompt.contains(weg));
        QCOMPARE(w->panelText(1), QStringLiteral("Archiv_leer.mdb"));
        QCOMPARE(option(QStringLiteral("ArchivPfad")), weg);
    }

    // A record that cannot be read (damage that came after opening) is said once and cannot
    // be changed; its neighbours can.
    void unlesbarerDatensatz()
    {
        const QString datei = m_env->path(QStringLiteral("spaeter")) + QStringLiteral("/Spaeter.mdb");
        QVERIFY(klang::test::writeEmptyCatalogue(datei));
        const QString lang(20000, QLatin1Char('x'));
        QVERIFY(klang::test::insertCatalogueRecords(
            datei, {satz("A", "Pop", lang), satz("B", "Pop", lang), satz("C", "Pop", lang)}));
        setOption(QStringLiteral("ArchivPfad"), datei);
        auto w = starten();
        QVERIFY(kit::testhook::calls().isEmpty());
        QVERIFY(beschaedigen(datei));
        w->MenuAktualisieren_Click();
        zeile(w.get(), 1);
        zeile(w.get(), 0);
        zeile(w.get(), 2);
        zeile(w.get(), 0);
        QCOMPARE(kit::testhook::calls().size(), 1);
        QCOMPARE(kit::testhook::calls().first().title, QStringLiteral("Ausgabebox_Data1_Reposition"));
        QVERIFY(kit::testhook::calls().first().prompt.contains(QStringLiteral("beschädigt")));
        QVERIFY(w->TextInfo->isReadOnly());
        QVERIFY(w->lblNurLesen->isVisible());
        zeile(w.get(), 1);
        QVERIFY(!w->TextInfo->isReadOnly());
        QVERIFY(!w->lblNurLesen->isVisible());
    }

    // A damaged rich-text field (text after an early closing brace, a picture, a table)
    // shows everything it holds; moving through the records never rewrites it, and an edit
    // keeps the text that followed the brace and the picture.
    void richTextUnberuehrt()
    {
        const QString songs = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Intro{\\pict\\wmetafile8 0102ab}"
                                             "\\par\\trowd A\\cell B\\cell\\row } Zugabe\\par Ende}\r\n");
        {
            klang::jet::Database db;
            QVERIFY(db.open(m_katalog));
            QCOMPARE(db.executeBound(QStringLiteral("update Schallplatten set Songs = ?, InfoTab = ? where Band = 'Can'"),
                                     {songs, songs}),
                     1);
        }
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        for (int i = 0; i < 10; ++i) {
            zeile(w.get(), 2);
            zeile(w.get(), i % 2);
        }
        QCOMPARE(gespeichert(m_katalog, QStringLiteral("Can"), QStringLiteral("Songs")), songs);
        QCOMPARE(gespeichert(m_katalog, QStringLiteral("Can"), QStringLiteral("InfoTab")), songs);
        zeile(w.get(), 2);
        QCOMPARE(w->TextSongs->toPlainText(), QStringLiteral("Intro[Bild]\nA\tB\t\n Zugabe\nEnde"));
        QTextCursor c(w->TextSongs->document());
        c.movePosition(QTextCursor::End);
        c.insertText(QStringLiteral("!"));
        zeile(w.get(), 0);
        const QString neu = gespeichert(m_katalog, QStringLiteral("Can"), QStringLiteral("Songs"));
        QVERIFY2(neu.contains(QStringLiteral("Zugabe")) && neu.contains(QStringLiteral("Ende!"))
                     && neu.contains(QStringLiteral("{\\pict\\wmetafile8 0102ab}")),
                 qPrintable(neu));
        QCOMPARE(gespeichert(m_katalog, QStringLiteral("Can"), QStringLiteral("InfoTab")), songs);
    }

    // A settings file that cannot be written (read-only folder, full disk) is said once, in
    // German; the program goes on and keeps the value for the session, the old file stays whole.
    void einstellungenNichtGespeichert_data()
    {
        QTest::addColumn<bool>("voll");
        QTest::addColumn<QString>("grund");
        QTest::newRow("read-only folder") << false << QStringLiteral("schreibgeschützt");
        QTest::newRow("full disk") << true << QStringLiteral("Der Datenträger ist voll.");
    }
    void einstellungenNichtGespeichert()
    {
        QFETCH(bool, voll);
        QFETCH(QString, grund);
        const QString ordner = QFileInfo(klang::settingsFilePath(QStringLiteral("KlangtruhePlayer"))).absolutePath();
        std::unique_ptr<klang::test::SmallFileSystem> platte;
        if (voll) {
            platte = std::make_unique<klang::test::SmallFileSystem>(ordner);
            QVERIFY(platte->mounted());
        }
        setOption(QStringLiteral("ArchivPfad"), m_katalog);
        auto w = starten();
        QVERIFY(kit::testhook::calls().isEmpty());
        QFile datei(klang::settingsFilePath(QStringLiteral("KlangtruhePlayer")));
        QVERIFY(datei.open(QIODevice::ReadOnly));
        const QByteArray vorher = datei.readAll();
        datei.close();
        std::unique_ptr<klang::test::Unveraenderlich> sperre;
        if (voll) {
            platte->fill();
        } else {
            sperre = std::make_unique<klang::test::Unveraenderlich>(ordner);
            QVERIFY(sperre->ok());
        }
        w->chkTabelle->setChecked(true);
        w->chkTabelle->setChecked(false);
        w->chkTabelle->setChecked(true);
        QCOMPARE(kit::testhook::calls().size(), 1);
        QCOMPARE(kit::testhook::calls().first().title, QStringLiteral("Einstellungen speichern"));
        QVERIFY2(kit::testhook::calls().first().prompt.contains(grund), qPrintable(kit::testhook::calls().first().prompt));
        QCOMPARE(option(QStringLiteral("TopRow")), QStringLiteral("1"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->katalog().anzahl(), 6);
        QVERIFY(datei.open(QIODevice::ReadOnly));
        QCOMPARE(datei.readAll(), vorher);
    }
};

QTEST_MAIN(DatensicherheitTest)
#include "tst_datensicherheit.moc"
