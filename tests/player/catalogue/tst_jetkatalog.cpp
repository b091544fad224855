// An old Access catalogue met by the player: at start-up and through the open dialog it asks
// once, converts on "Ja" into a copy beside the original and opens the copy through the usual
// open path; "Nein" keeps the refusal; an existing copy is replaced only when confirmed.

#include "kit/TestHook.h"
#include "kit/umwandlung/JetUmwandlung.h"
#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/KatalogController.h"
#include "platform/jet/Database.h"
#include "tests/player/catalogue/FensterUmgebung.h"
#include "tests/support/Unveraenderlich.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace klang::player;

namespace {

QByteArray sha(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

qint64 mdbCount(const QString& file, const QString& table)
{
    QProcess p;
    p.start(QStringLiteral("mdb-count"), {file, table});
    p.waitForFinished(30000);
    return p.readAllStandardOutput().trimmed().toLongLong();
}

QStringList titel()
{
    QStringList t;
    for (const kit::testhook::Call& c : kit::testhook::calls())
        t << c.title;
    return t;
}

} // namespace

class JetKatalogTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FensterUmgebung> m_env;
    QString m_jet;
    QString m_kopie;
    QByteArray m_vorher;

private slots:
    void init()
    {
        m_env = std::make_unique<FensterUmgebung>();
        // The sample file with its biggest table renamed (same length) to the catalogue's
        // table name: a real Jet file holding a table "Schallplatten".
        QFile in(QStringLiteral(KLANG_JET_TESTDATA "/nwind-jet3.mdb"));
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray bytes = in.readAll();
        bytes.replace("Order Details", "Schallplatten");
        m_jet = m_env->path(QStringLiteral("daten")) + QStringLiteral("/Archiv.mdb");
        QFile out(m_jet);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        m_kopie = m_env->path(QStringLiteral("daten")) + QStringLiteral("/Archiv (SQLite).mdb");
        m_vorher = sha(m_jet);
    }
    void cleanup()
    {
        kit::setJetZielDialog(nullptr);
        m_env.reset();
    }

    // ArchivPfad names the Access file: the player asks, "Ja" writes the copy beside it with
    // every table, the copy goes through the catalogue check like any SQLite file and is the
    // catalogue of the next start, which asks nothing.
    void startMitAccessKatalog()
    {
        setOption(QStringLiteral("ArchivPfad"), m_jet);
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        {
            auto w = hauptfensterZeigen();
            const QList<kit::testhook::Call> calls = kit::testhook::calls();
            QCOMPARE(titel(), (QStringList{QStringLiteral("Datenbank umwandeln"), QStringLiteral("Datenbank umgewandelt"),
                                           QStringLiteral("Ausgabebox_Form_Load")}));
            QVERIFY(calls[0].prompt.contains(m_jet));
            QVERIFY(calls[0].prompt.contains(m_kopie));
            QCOMPARE(calls[0].defaultButton, 1);
            QVERIFY(calls[1].prompt.contains(QStringLiteral("Schallplatten (2.155 Datensätze)")));
            // The step after the conversion: the catalogue check finds the table and names
            // what the database manager has to add, as for an older SQLite catalogue.
            QVERIFY(calls[2].prompt.contains(QStringLiteral("In der Tabelle \"Schallplatten\" fehlen die Felder")));
            QCOMPARE(calls[2].prompt, KatalogController::katalogPruefen(m_kopie));
        }
        QCOMPARE(sha(m_jet), m_vorher);
        QCOMPARE(option(QStringLiteral("ArchivPfad")), m_kopie);
        klang::jet::Database db;
        QVERIFY(db.open(m_kopie));
        for (const QString& tabelle : {QStringLiteral("Schallplatten"), QStringLiteral("Orders"), QStringLiteral("Umsätze"),
                                       QStringLiteral("Categories")})
            QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(tabelle)).toLongLong(),
                     mdbCount(m_jet, tabelle));
        db.close();

        kit::testhook::clear();
        auto zweiter = hauptfensterZeigen();
        QVERIFY(!titel().contains(QStringLiteral("Datenbank umwandeln")));
        QCOMPARE(QDir(QFileInfo(m_jet).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // A damaged Access file at start-up: "Ja" ends in one German report, no new file, and the
    // window opens without a catalogue (no second refusal on top). The file is read in a helper
    // process: one that hangs is ended after the time limit while this program's events go on,
    // one that crashes takes only itself down.
    void startMitBeschaedigterDatei_data()
    {
        QTest::addColumn<QByteArray>("helfer"); // empty: the real helper on a cut file
        QTest::addColumn<QString>("grund");
        QTest::newRow("abgeschnitten") << QByteArray() << "die Datei ist unvollständig";
        QTest::newRow("hängt") << QByteArray("exec sleep 60") << "kam 0,5 Sekunden lang nicht voran";
        QTest::newRow("stürzt ab") << QByteArray("kill -SEGV $$") << "brach ab";
    }
    void startMitBeschaedigterDatei()
    {
        QFETCH(QByteArray, helfer);
        QFETCH(QString, grund);
        if (helfer.isEmpty()) {
            QFile f(m_jet);
            QVERIFY(f.resize(f.size() / 2 + 100)); // a copy that stopped short
        } else {
            const QString pfad = m_env->path(QStringLiteral("bin")) + QStringLiteral("/helfer");
            QFile f(pfad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n" + helfer + "\n");
            f.close();
            QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
            qputenv("KLANGTRUHE_JETIMPORT", pfad.toUtf8());
            qputenv("KLANGTRUHE_JETIMPORT_STALL_MS", "500");
        }
        const QByteArray vorher = sha(m_jet);
        setOption(QStringLiteral("ArchivPfad"), m_jet);
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        int takte = 0;
        QTimer takt;
        connect(&takt, &QTimer::timeout, [&] { ++takte; });
        takt.start(50);
        auto w = hauptfensterZeigen();
        takt.stop();
        qunsetenv("KLANGTRUHE_JETIMPORT");
        qunsetenv("KLANGTRUHE_JETIMPORT_STALL_MS");
        if (helfer.startsWith("exec sleep"))
            QVERIFY2(takte >= 5, qPrintable(QString::number(takte)));
        QCOMPARE(titel(), (QStringList{QStringLiteral("Datenbank umwandeln"), QStringLiteral("Ausgabebox_Form_Load")}));
        QVERIFY(kit::testhook::calls()[1].prompt.contains(QStringLiteral("beschädigt")));
        QVERIFY2(kit::testhook::calls()[1].prompt.contains(grund), qPrintable(kit::testhook::calls()[1].prompt));
        QCOMPARE(w->panelText(1), QStringLiteral(" Fehler beim Laden der Datenbank!"));
        QCOMPARE(QDir(QFileInfo(m_jet).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList{"Archiv.mdb"});
        QCOMPARE(sha(m_jet), vorher);
        QCOMPARE(option(QStringLiteral("ArchivPfad")), m_jet);
    }

    // A folder that cannot be written (immutable, so also for root): the question says so
    // before "Ja", and the user picks another place, where the copy is written and opened.
    void ordnerNichtBeschreibbar()
    {
        auto w = hauptfensterZeigen();
        const QString anderer = m_env->path(QStringLiteral("anderswo")) + QStringLiteral("/Neu.mdb");
        QString vorschlag;
        kit::setJetZielDialog([&](QWidget*, const QString& v) {
            vorschlag = v;
            return anderer;
        });
        klang::test::Unveraenderlich sperre(QFileInfo(m_jet).absolutePath());
        QVERIFY(sperre.ok());
        kit::testhook::clear();
        w->dateiDialog = [this](const QString&) { return m_jet; };
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        w->mnuOeffnen_Click();
        sperre.aufheben();
        QCOMPARE(titel().mid(0, 2), (QStringList{QStringLiteral("Datenbank umwandeln"), QStringLiteral("Datenbank umgewandelt")}));
        QVERIFY(kit::testhook::calls()[0].prompt.contains(QStringLiteral("kann keine neue Datei angelegt werden")));
        QVERIFY(!kit::testhook::calls()[0].prompt.contains(m_kopie));
        QVERIFY(vorschlag.endsWith(QStringLiteral("/Archiv (SQLite).mdb")));
        QVERIFY(!QFileInfo::exists(m_kopie));
        klang::jet::Database db;
        QVERIFY(db.open(anderer));
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Schallplatten")).toInt(), 2155);
    }

    // Through the open dialog, "Nein" leaves everything as it was: the refusal as before and
    // no new file; what a killed conversion left behind is gone.
    void oeffnenNein()
    {
        auto w = hauptfensterZeigen();
        const QString rest = QFileInfo(m_jet).absolutePath() + QStringLiteral("/.Archiv (SQLite).mdb.k1LLed");
        QFile(rest).open(QIODevice::WriteOnly);
        QVERIFY(QFileInfo::exists(rest));
        const QString archiv = option(QStringLiteral("ArchivPfad"));
        kit::testhook::clear();
        w->dateiDialog = [this](const QString&) { return m_jet; };
        kit::testhook::queueAnswer(QStringLiteral("Nein"));
        w->mnuOeffnen_Click();
        QCOMPARE(titel(), (QStringList{QStringLiteral("Datenbank umwandeln"), QStringLiteral("Ausgabebox_mnuOeffnen_Click")}));
        QVERIFY(kit::testhook::calls()[1].prompt.contains(QStringLiteral("Access-Datenbank")));
        QVERIFY(!QFileInfo::exists(m_kopie));
        QVERIFY(!QFileInfo::exists(rest));
        QCOMPARE(option(QStringLiteral("ArchivPfad")), archiv);
        QCOMPARE(sha(m_jet), m_vorher);
    }

    // A copy of that name exists: replacing it is asked with "Nein" as the default; "Nein"
    // lets the user pick another place, and the old copy stays as it was. A file picked in the
    // save dialog, which asks itself, is not asked about a second time.
    void vorhandeneKopie()
    {
        auto w = hauptfensterZeigen();
        {
            QFile alt(m_kopie);
            QVERIFY(alt.open(QIODevice::WriteOnly));
            alt.write("alt");
        }
        const QString anderer = m_env->path(QStringLiteral("anderswo")) + QStringLiteral("/Neu.mdb");
        QFile(anderer).open(QIODevice::WriteOnly);
        kit::setJetZielDialog([&](QWidget*, const QString&) { return anderer; });
        kit::testhook::clear();
        w->dateiDialog = [this](const QString&) { return m_jet; };
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        kit::testhook::queueAnswer(QStringLiteral("Nein"));
        w->mnuOeffnen_Click();
        const QList<kit::testhook::Call> calls = kit::testhook::calls();
        QVERIFY(calls.size() >= 3);
        QCOMPARE(calls[1].title, QStringLiteral("Datei ersetzen?"));
        QCOMPARE(calls[1].defaultButton, 2);
        QCOMPARE(titel().count(QStringLiteral("Datei ersetzen?")), 1);
        QCOMPARE(sha(m_kopie), QCryptographicHash::hash("alt", QCryptographicHash::Sha256));
        klang::jet::Database db;
        QVERIFY(db.open(anderer));
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Schallplatten")).toInt(), 2155);
        QCOMPARE(sha(m_jet), m_vorher);
    }
};

QTEST_MAIN(JetKatalogTest)
#include "tst_jetkatalog.moc"
