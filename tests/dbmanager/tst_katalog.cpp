// The database manager's commands on real catalogue files (SQLite through the jet layer):
// the update and compaction of a generated old-format catalogue, and the files that must
// be refused or left alone.

#include "dbmanager/Dateisystem.h"
#include "dbmanager/DatenbankVerwaltung.h"
#include "dbmanager/JetKatalog.h"
#include "platform/jet/Database.h"
#include "platform/jet/Schema.h"
#include "tests/dbmanager/Fakes.h"
#include "tests/dbmanager/Katalog.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/CatalogueGenerator.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>
#include <tuple>
#include <utility>

using namespace dbmanager;
using namespace dbmanager::test;

namespace {

QByteArray lesen(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList alteFelder()
{
    return klang::jet::schema::olderFieldNames();
}

QStringList neueNamen()
{
    QStringList n;
    for (const NeueSpalte& s : DatenbankVerwaltung::neueSpalten())
        n << s.name;
    return n;
}

// A log through which a test acts at a step, as another program would.
class BeobachtendesProtokoll : public AufzeichnendesProtokoll
{
public:
    std::function<void(const QString&)> beiZeile;
    void schreiben(const QString& text, quint32 farbe, bool fett) override
    {
        AufzeichnendesProtokoll::schreiben(text, farbe, fett);
        if (beiZeile)
            beiZeile(text);
    }
};

QString bandVon(const QString& datei, qint64 rowid)
{
    klang::jet::Database db;
    if (!db.open(datei))
        return QStringLiteral("<nicht lesbar>");
    return db.scalar(QStringLiteral("SELECT Band FROM Schallplatten WHERE rowid = ?"), {rowid}).toString();
}

mode_t rechteVon(const QString& pfad)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(pfad).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// The child process of the kill test: compacts the catalogue and kills itself with SIGKILL
// when the log reaches a line (at once, or after a few milliseconds, inside the step).
class Abbrecher : public Protokoll
{
public:
    QString zeile;
    int verzoegerungMs = -1;
    void leeren() override {}
    void schreiben(const QString& text, quint32, bool) override
    {
        if (text != zeile)
            return;
        if (verzoegerungMs <= 0) // at the line itself: no thread that could come too late
            ::kill(::getpid(), SIGKILL);
        const int ms = verzoegerungMs;
        std::thread([ms] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            ::kill(::getpid(), SIGKILL);
        }).detach();
    }
};

int kindKomprimieren()
{
    JetKatalog db;
    EchtesDateisystem fs;
    Abbrecher log;
    log.zeile = qEnvironmentVariable("KLANG_KIND_ZEILE") + QStringLiteral("\n");
    log.verzoegerungMs = qEnvironmentVariableIntValue("KLANG_KIND_MS") - 1;
    DatenbankVerwaltung v(db, fs, log);
    if (v.oeffnen(qEnvironmentVariable("KLANG_KIND_DATEI")))
        return 2;
    v.komprimieren();
    return 3; // the line never came, or the delay outlasted the command
}

// The owner of the catalogue's folder at work, with the owner's rights, through a file system
// layer in front of the engine's: as the engine resolves the armed file's name, a link to
// root's folder takes its place; or, as it opens the file, the folder itself becomes one.
namespace tausch {
sqlite3_vfs* s_unix = nullptr;
QString s_datei, s_ziel;
bool s_ordner = false, s_getan = false;
QByteArray ordner() { return QFile::encodeName(QFileInfo(s_datei).absolutePath()); }
void tauschen(const char* name, bool beimOeffnen)
{
    if (s_getan || beimOeffnen != s_ordner || s_datei.isEmpty() || QString::fromUtf8(name ? name : "") != s_datei)
        return;
    s_getan = true;
    const int fsuid = ::setfsuid(65534);
    if (s_ordner && ::rename(ordner().constData(), ordner() + ".weg") == 0)
        ::symlink(QFile::encodeName(QFileInfo(s_ziel).absolutePath()).constData(), ordner().constData());
    else if (!s_ordner && ::unlink(name) == 0)
        ::symlink(QFile::encodeName(s_ziel).constData(), name);
    ::setfsuid(uid_t(fsuid));
}
void auf(bool imOrdner, const QString& datei, const QString& ziel)
{
    static sqlite3_vfs vfs = [] {
        s_unix = sqlite3_vfs_find(nullptr);
        sqlite3_vfs v = *s_unix;
        v.zName = "klang-tausch";
        v.xFullPathname = [](sqlite3_vfs*, const char* n, int l, char* aus) {
            tauschen(n, false);
            return s_unix->xFullPathname(s_unix, n, l, aus);
        };
        v.xOpen = [](sqlite3_vfs*, sqlite3_filename n, sqlite3_file* f, int flags, int* aus) {
            tauschen(n, true);
            return s_unix->xOpen(s_unix, n, f, flags, aus);
        };
        return v;
    }();
    std::tie(s_ordner, s_datei, s_ziel, s_getan) = std::make_tuple(imOrdner, datei, ziel, false);
    sqlite3_vfs_register(&vfs, 1);
}
// The engine's own layer again, and a swapped folder back in its place.
void ab()
{
    if (s_unix)
        sqlite3_vfs_register(s_unix, 1);
    if (std::exchange(s_getan, false) && s_ordner && ::unlink(ordner().constData()) == 0)
        ::rename(ordner() + ".weg", ordner().constData());
    s_datei.clear();
}
} // namespace tausch

} // namespace

class TestKatalog : public QObject
{
    Q_OBJECT

    struct Aufbau
    {
        JetKatalog db;
        StoerDateisystem fs;
        BeobachtendesProtokoll log;
        DatenbankVerwaltung v{db, fs, log};
    };

private Q_SLOTS:
    // Done-when: 20,000 old-format records updated (eight columns in order, every value
    // unchanged, backup identical and usable), then compacted (not larger, same content).
    void aktualisierenUndKomprimieren20000()
    {
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("Musik")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(klang::test::writeCatalogue(datei, [] {
            klang::test::CatalogueSpec spec;
            spec.records = 20000;
            spec.olderForm = true;
            spec.picturePercent = 5;
            return spec;
        }()));
        const QByteArray vorher = lesen(datei);
        const QString abdruck = fingerabdruck(datei, alteFelder());
        QVERIFY(abdruck.startsWith(QStringLiteral("20000:")));

        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.aktualisieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("Update beendet\n")), qPrintable(a.log.text()));
        QCOMPARE(a.db.spalten(QStringLiteral("Schallplatten"), nullptr), alteFelder() + neueNamen());
        QCOMPARE(fingerabdruck(datei, alteFelder()), abdruck);
        const QString sicherung = QFileInfo(datei).absolutePath() + QStringLiteral("/Archiv_Kopie.mdb");
        // The engine's backup: every page as it was (the header counts its own changes).
        QCOMPARE(lesen(sicherung).mid(100), vorher.mid(100));
        QCOMPARE(fingerabdruck(sicherung, alteFelder()), abdruck);
        QCOMPARE(spaltenVon(sicherung), alteFelder());

        // Memo and Text columns keep text as text.
        auto& jet = a.db.datenbank();
        QVERIFY(jet.executeBound(QStringLiteral("UPDATE Schallplatten SET Bildpfad = ?, Bewertung = ? WHERE rowid = 1"),
                                 {QStringLiteral("007"), QStringLiteral("1.50")}) == 1);
        QCOMPARE(jet.scalar(QStringLiteral("SELECT Bildpfad FROM Schallplatten WHERE rowid = 1")).toString(), QStringLiteral("007"));
        QCOMPARE(jet.scalar(QStringLiteral("SELECT typeof(Bewertung) FROM Schallplatten WHERE rowid = 1")).toString(), QStringLiteral("text"));
        const QString mitNeuen = fingerabdruck(datei, alteFelder() + neueNamen());

        // A second update changes nothing but reports each column.
        QSignalSpy ton(&a.v, &DatenbankVerwaltung::signalton);
        QVERIFY(a.v.aktualisieren());
        QCOMPARE(ton.count(), 8);
        QCOMPARE(a.db.spalten(QStringLiteral("Schallplatten"), nullptr), alteFelder() + neueNamen());

        const qint64 groesseVor = QFileInfo(datei).size();
        const QByteArray vorKompression = lesen(datei);
        QVERIFY(a.v.komprimieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("Komprimierung erfolgreich beendet!")), qPrintable(a.log.text()));
        QVERIFY(a.v.datenbankOffen());
        QVERIFY(QFileInfo(datei).size() <= groesseVor);
        QCOMPARE(lesen(sicherung).mid(100), vorKompression.mid(100));
        QCOMPARE(fingerabdruck(datei, alteFelder() + neueNamen()), mitNeuen);
        QVERIFY(!QFile::exists(QFileInfo(datei).absolutePath() + QStringLiteral("/Archiv_temp.mdb")));
        QCOMPARE(a.db.pruefen(datei).nummer, 0);
    }

    // An edit another program saves while the catalogue is compacted is never lost: either
    // it waits for the lock and lands in the compacted catalogue, or it is refused and saved
    // afterwards. The other program is a second real connection that writes at each step.
    void andererSchreibtWaehrendKomprimierung_data()
    {
        QTest::addColumn<QString>("zeile");
        QTest::newRow("at the backup") << "Datenbank sichern...\n";
        QTest::newRow("after the compacted copy") << "Datenbank komprimiert.\n";
        QTest::newRow("before the write-back") << "Datenbank umbenennen...\n";
    }
    void andererSchreibtWaehrendKomprimierung()
    {
        QFETCH(QString, zeile);
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("x")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(datei, 2000, false));
        QVERIFY(jedenNtenLoeschen(datei, 3));
        klang::jet::Database anderes;
        QVERIFY(anderes.open(datei));
        sqlite3_busy_timeout(anderes.handle(), 50);
        const QString neu = QStringLiteral("Während der Komprimierung");
        const QString sql = QStringLiteral("UPDATE Schallplatten SET Band = ? WHERE rowid = 1");
        int gespeichert = -2;
        klang::jet::DbError fehler;
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        a.log.beiZeile = [&](const QString& text) {
            if (text == zeile)
                gespeichert = anderes.executeBound(sql, {neu}, &fehler);
        };
        QVERIFY(a.v.komprimieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("erfolgreich beendet!")), qPrintable(a.log.text()));
        QVERIFY(gespeichert != -2);
        if (gespeichert < 0) {
            // Refused while locked, as "locked by another program": the edit is saved now.
            QCOMPARE(fehler.number, klang::jet::errors::kLocked);
            QCOMPARE(anderes.executeBound(sql, {neu}), 1);
        } else {
            QCOMPARE(gespeichert, 1);
        }
        anderes.close();
        QCOMPARE(bandVon(datei, 1), neu);
        QCOMPARE(a.db.pruefen(datei).nummer, 0);
    }

    // A catalogue another program is writing, or holds open in write-ahead-log mode, is
    // refused before anything is done, in German; once the program is gone it is compacted.
    void beschaeftigtNichtAngefasst_data()
    {
        QTest::addColumn<bool>("wal");
        QTest::newRow("writer in a transaction") << false;
        QTest::newRow("open in write-ahead-log mode") << true;
    }
    void beschaeftigtNichtAngefasst()
    {
        QFETCH(bool, wal);
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("x"));
        const QString datei = ordner + QStringLiteral("/Archiv.mdb");
        const QString sicherung = ordner + QStringLiteral("/Archiv_Kopie.mdb");
        QVERIFY(katalogErzeugen(datei, 1500, false));
        QVERIFY(jedenNtenLoeschen(datei, 2));
        QVERIFY(QFile::copy(datei, sicherung));
        const QByteArray alteSicherung = lesen(sicherung);
        klang::jet::Database anderes;
        QVERIFY(anderes.open(datei));
        if (wal) {
            QCOMPARE(anderes.scalar(QStringLiteral("PRAGMA journal_mode = WAL")).toString(), QStringLiteral("wal"));
            QCOMPARE(anderes.executeBound(QStringLiteral("UPDATE Schallplatten SET Band = 'offen' WHERE rowid = 1")), 1);
        } else {
            QVERIFY(anderes.executeBound(QStringLiteral("BEGIN IMMEDIATE")) >= 0);
            QCOMPARE(anderes.executeBound(QStringLiteral("UPDATE Schallplatten SET Band = 'offen' WHERE rowid = 1")), 1);
        }
        const QByteArray vorher = lesen(datei);
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.komprimieren());
        const QString log = a.log.text();
        QVERIFY2(log.contains(QStringLiteral("Fehlermeldung: 3260 Die Datenbank „%1“ wird gerade von einem "
                                             "anderen Programm benutzt").arg(datei)),
                 qPrintable(log));
        QVERIFY(!log.contains(QStringLiteral("Datenbank sichern...")));
        QCOMPARE(a.log.eintraege.last().text, QStringLiteral("Komprimierung der Datenbank gescheitert."));
        QCOMPARE(lesen(datei), vorher);
        QCOMPARE(lesen(sicherung), alteSicherung);
        QStringList dateien = QDir(ordner).entryList(QDir::Files | QDir::System);
        QStringList erwartet = QStringList({QStringLiteral("Archiv.mdb"), QStringLiteral("Archiv_Kopie.mdb")})
                               + (wal ? QStringList({QStringLiteral("Archiv.mdb-shm"), QStringLiteral("Archiv.mdb-wal")})
                                      : QStringList({QStringLiteral("Archiv.mdb-journal")}));
        dateien.sort();
        erwartet.sort();
        QCOMPARE(dateien, erwartet);
        QVERIFY(a.v.datenbankOffen());
        if (!wal)
            QVERIFY(anderes.executeBound(QStringLiteral("COMMIT")) >= 0);
        anderes.close();
        // Second use: nobody else is connected now.
        QVERIFY(a.v.komprimieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("erfolgreich beendet!")), qPrintable(a.log.text()));
        QCOMPARE(bandVon(datei, 1), QStringLiteral("offen"));
        QCOMPARE(bandVon(sicherung, 1), QStringLiteral("offen"));
    }

    // Committed data that is still only in the write-ahead log is part of the backup.
    void sicherungMitProtokollDatei()
    {
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("x"));
        const QString datei = ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(datei, 800, false));
        {
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(datei).constData(), &db), SQLITE_OK);
            const auto zu = qScopeGuard([db] { sqlite3_close(db); });
            QCOMPARE(sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; "
                                      "UPDATE Schallplatten SET Band = 'nur im Protokoll' WHERE rowid = 5",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
        }
        QVERIFY(QFileInfo(datei + QStringLiteral("-wal")).size() > 0);
        const QString sicherung = ordner + QStringLiteral("/Sicherung.mdb");
        JetKatalog k;
        QCOMPARE(k.sperren(datei).nummer, 0);
        QCOMPARE(k.sichern(sicherung).nummer, 0);
        k.entsperren();
        QCOMPARE(bandVon(sicherung, 5), QStringLiteral("nur im Protokoll"));
        QCOMPARE(k.pruefen(sicherung).nummer, 0);
    }

    // Files the command creates are new files: a link planted under the temporary or the new
    // backup's name is never followed, and a private catalogue gets a private backup, also
    // beside an older shared backup or with a link to a shared file under the backup's name.
    // Run by root in folders a second user owns, a link that user swaps in between a file's
    // creation and the engine's use of its name (under the name, or for the folder) leads
    // nothing into a folder only root may enter, nor into root's file there.
    void neueDateienExklusiv_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("privat");
        QTest::addColumn<QString>("art"); // link, geteilt (link to a 0644 file), datei (0644 file), tausch, ordner
        QTest::newRow("link as temporary file") << "Archiv_temp.mdb" << false << "link";
        QTest::newRow("link as new backup") << "Archiv_Kopie.mdb.neu" << false << "link";
        QTest::newRow("link as the compacted copy's journal") << "Archiv_temp.mdb-journal" << false << "link";
        QTest::newRow("private catalogue") << "" << true << "";
        QTest::newRow("private catalogue, older shared backup") << "Archiv_Kopie.mdb" << true << "datei";
        QTest::newRow("private catalogue, link to a shared file as backup") << "Archiv_Kopie.mdb" << true << "geteilt";
        QTest::newRow("root: link swapped in for the copy") << "Archiv_temp.mdb" << true << "tausch";
        QTest::newRow("root: folder swapped at the new backup") << "Archiv_Kopie.mdb.neu" << true << "ordner";
        QTest::newRow("root: folder swapped at the copy") << "Archiv_temp.mdb" << true << "ordner";
    }
    void neueDateienExklusiv()
    {
        QFETCH(QString, name);
        QFETCH(bool, privat);
        QFETCH(QString, art);
        const bool getauscht = art == QLatin1String("tausch") || art == QLatin1String("ordner");
        if (getauscht && ::geteuid() != 0)
            QSKIP("only root has more rights than the folder's owner");
        klang::test::TestEnvironment env;
        QFile::setPermissions(env.root(), QFileDevice::Permissions(0x7755));
        const QString heim = env.path(QStringLiteral("heim"));
        const QString ordner = env.path(QStringLiteral("heim/x"));
        const QString draussen = env.path(QStringLiteral("fremd")) + QStringLiteral("/geschrieben.mdb");
        const QString geheim = env.path(QStringLiteral("geheim"));
        QFile::setPermissions(geheim, QFileDevice::Permissions(0x7700));
        const QString datei = ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(datei, 600, false));
        QVERIFY(jedenNtenLoeschen(datei, 2));
        const QString gepflanzt = ordner + QLatin1Char('/') + name;
        if (art == QLatin1String("datei") || art == QLatin1String("geteilt")) {
            QFile f(art == QLatin1String("datei") ? gepflanzt : draussen);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("fremd") == 5 && f.setPermissions(QFileDevice::Permissions(0x6644)));
        }
        if (art == QLatin1String("link") || art == QLatin1String("geteilt"))
            QVERIFY(QFile::link(draussen, gepflanzt));
        if (privat)
            QCOMPARE(::chmod(QFile::encodeName(datei).constData(), 0600), 0);
        if (getauscht) {
            for (const QString& p : {heim, ordner, datei})
                QCOMPARE(::chown(QFile::encodeName(p).constData(), 65534, 65534), 0);
            tausch::auf(art == QLatin1String("ordner"), gepflanzt, geheim + QStringLiteral("/kopie.mdb"));
        }
        // Root's own empty file of the name a swapped folder leads to.
        const QStringList geheimVorher = art == QLatin1String("ordner") ? QStringList{name} : QStringList{};
        QFile rootDatei(geheim + QLatin1Char('/') + name);
        QVERIFY(geheimVorher.isEmpty()
                || (rootDatei.open(QIODevice::WriteOnly) && rootDatei.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)));
        const auto aus = qScopeGuard([] { tausch::ab(); });
        const mode_t alteMaske = ::umask(022);
        const auto maske = qScopeGuard([alteMaske] { ::umask(alteMaske); });
        const QString abdruck = fingerabdruck(datei, klang::jet::schema::fieldNames());
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        for (int lauf = 0; lauf < (getauscht ? 1 : 2); ++lauf) {
            QVERIFY(a.v.komprimieren());
            const QString log = a.log.text();
            if (getauscht) {
                QVERIFY(tausch::s_getan);
                tausch::ab();
                QCOMPARE(QDir(geheim).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
                         geheimVorher);
                QVERIFY(geheimVorher.isEmpty() || QFileInfo(rootDatei.fileName()).size() == 0);
                QVERIFY2(log.endsWith(QStringLiteral("Komprimierung der Datenbank gescheitert."))
                             && log.contains(QStringLiteral("Verknüpfung")), qPrintable(log));
                QCOMPARE(fingerabdruck(datei, klang::jet::schema::fieldNames()), abdruck);
                return;
            }
            QVERIFY2(log.endsWith(QStringLiteral("erfolgreich beendet!")), qPrintable(log));
            if (art == QLatin1String("geteilt")) {
                QCOMPARE(lesen(draussen), QByteArray("fremd"));
                QCOMPARE(rechteVon(draussen), 0644u);
            } else {
                QVERIFY(!QFileInfo::exists(draussen));
                QVERIFY(!QFileInfo(draussen).dir().exists() || QFileInfo(draussen).dir().isEmpty());
            }
            QCOMPARE(QDir(ordner).entryList(QDir::Files | QDir::System),
                     QStringList({QStringLiteral("Archiv.mdb"), QStringLiteral("Archiv_Kopie.mdb")}));
            QCOMPARE(rechteVon(ordner + QStringLiteral("/Archiv_Kopie.mdb")), privat ? 0600u : 0644u);
            QCOMPARE(rechteVon(datei), privat ? 0600u : 0644u);
            QCOMPARE(fingerabdruck(ordner + QStringLiteral("/Archiv_Kopie.mdb"), klang::jet::schema::fieldNames()), abdruck);
        }
    }

    // A compaction killed at any step (also inside the backup, the compaction and the
    // write-back) leaves the catalogue and a backup whole; the next run cleans up and works.
    void abgebrochenBleibtGanz_data()
    {
        QTest::addColumn<QString>("zeile");
        QTest::addColumn<int>("ms"); // 0: at the line; else that many milliseconds after it
        const QString sichern = QStringLiteral("Datenbank sichern...");
        const QString komprimieren = QStringLiteral("Datenbank komprimieren...");
        const QString zurueck = QStringLiteral("Datenbank umbenennen...");
        QTest::newRow("before the backup") << sichern << 0;
        QTest::newRow("inside the backup") << sichern << 3;
        QTest::newRow("before the old backup is replaced") << QStringLiteral("Datenbanksicherung löschen...") << 0;
        QTest::newRow("inside the compaction") << komprimieren << 4;
        QTest::newRow("before the write-back") << zurueck << 0;
        QTest::newRow("early in the write-back") << zurueck << 2;
        QTest::newRow("inside the write-back") << zurueck << 8;
        QTest::newRow("late in the write-back") << zurueck << 25;
        QTest::newRow("after the write-back") << QStringLiteral("Datenbank umbenannt.") << 0;
    }
    void abgebrochenBleibtGanz()
    {
        QFETCH(QString, zeile);
        QFETCH(int, ms);
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("x"));
        const QString datei = ordner + QStringLiteral("/Archiv.mdb");
        const QString sicherung = ordner + QStringLiteral("/Archiv_Kopie.mdb");
        // One pair of files for all rows: the old backup, and the catalogue after deletions.
        static QTemporaryDir vorlagen;
        static QString alteSicherung;
        static QString abdruck;
        const QString vorlageDatei = vorlagen.filePath(QStringLiteral("Archiv.mdb"));
        const QString vorlageSicherung = vorlagen.filePath(QStringLiteral("Archiv_Kopie.mdb"));
        if (abdruck.isEmpty()) {
            QVERIFY(katalogErzeugen(vorlageDatei, 10000, false));
            QVERIFY(QFile::copy(vorlageDatei, vorlageSicherung));
            QVERIFY(jedenNtenLoeschen(vorlageDatei, 3));
            alteSicherung = fingerabdruck(vorlageSicherung, klang::jet::schema::fieldNames());
            abdruck = fingerabdruck(vorlageDatei, klang::jet::schema::fieldNames());
        }
        QVERIFY(QFile::copy(vorlageDatei, datei));
        QVERIFY(QFile::copy(vorlageSicherung, sicherung));

        QProcess kind;
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        umgebung.insert(QStringLiteral("KLANG_KIND_DATEI"), datei);
        umgebung.insert(QStringLiteral("KLANG_KIND_ZEILE"), zeile);
        umgebung.insert(QStringLiteral("KLANG_KIND_MS"), QString::number(ms + 1));
        kind.setProcessEnvironment(umgebung);
        kind.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(kind.waitForFinished(60000));
        QVERIFY2(kind.exitStatus() == QProcess::CrashExit || ms > 0,
                 qPrintable(QStringLiteral("exit %1").arg(kind.exitCode())));

        JetKatalog pruefer;
        QCOMPARE(pruefer.pruefen(datei).nummer, 0);
        QCOMPARE(fingerabdruck(datei, klang::jet::schema::fieldNames()), abdruck);
        QCOMPARE(pruefer.pruefen(sicherung).nummer, 0);
        const QString sicherungJetzt = fingerabdruck(sicherung, klang::jet::schema::fieldNames());
        QVERIFY(sicherungJetzt == alteSicherung || sicherungJetzt == abdruck);

        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        // A copy cut short before it was marked as the program's is asked about: yes.
        a.v.setRueckfrage([](const QString&) { return true; });
        QVERIFY(a.v.komprimieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("erfolgreich beendet!")), qPrintable(a.log.text()));
        QCOMPARE(fingerabdruck(datei, klang::jet::schema::fieldNames()), abdruck);
        QCOMPARE(fingerabdruck(sicherung, klang::jet::schema::fieldNames()), abdruck);
        QCOMPARE(QDir(ordner).entryList(QDir::Files | QDir::System),
                 QStringList({QStringLiteral("Archiv.mdb"), QStringLiteral("Archiv_Kopie.mdb")}));
    }

    // After deleting records the compacted file is smaller, and the size lines say so.
    void komprimierenVerkleinert()
    {
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("x")) + QStringLiteral("/Rock'n'Roll.mdb");
        QVERIFY(katalogErzeugen(datei, 3000, false));
        QVERIFY(jedenNtenLoeschen(datei, 2));
        const QString abdruck = fingerabdruck(datei, klang::jet::schema::fieldNames());
        const qint64 vor = QFileInfo(datei).size();
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.komprimieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("erfolgreich beendet!")), qPrintable(a.log.text()));
        QVERIFY(QFileInfo(datei).size() < vor);
        QCOMPARE(fingerabdruck(datei, klang::jet::schema::fieldNames()), abdruck);
        QVERIFY(a.log.text().contains(QStringLiteral("Datenbankgröße vor der Komprimierung: ")
                                      + DatenbankVerwaltung::groesseText(vor)));
        QVERIFY(QFile::exists(QFileInfo(datei).absolutePath() + QStringLiteral("/Rock'n'Roll_Kopie.mdb")));
    }

    // Files that are no catalogue are refused at open and stay byte for byte as they were.
    void keineDatenbankAbgelehnt_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::newRow("text") << QByteArray("Band;Titel\nABBA;Arrival\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("jet") << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00\x01\x00\x00\x00", 24);
    }
    void keineDatenbankAbgelehnt()
    {
        QFETCH(QByteArray, inhalt);
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("x")) + QStringLiteral("/Fremd.mdb");
        QFile f(datei);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(inhalt);
        f.close();
        Aufbau a;
        const Fehler fehler = a.v.oeffnen(datei);
        QCOMPARE(fehler.nummer, klang::jet::errors::kUnrecognisedFormat);
        QVERIFY(!a.v.datenbankOffen());
        QCOMPARE(lesen(datei), inhalt);
        QCOMPARE(QDir(QFileInfo(datei).absolutePath()).entryList(QDir::Files).size(), 1);
    }

    // A damaged catalogue is found by the integrity check and not touched by either command;
    // the previous backup stays as it was.
    void beschaedigtNichtAngefasst_data()
    {
        QTest::addColumn<bool>("update");
        QTest::newRow("compact") << false;
        QTest::newRow("update") << true;
    }
    void beschaedigtNichtAngefasst()
    {
        QFETCH(bool, update);
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("x"));
        const QString datei = ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(datei, 2000));
        {
            QFile f(datei);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 seite = 4096;
            QVERIFY(f.size() > 8 * seite);
            f.seek(4 * seite);
            f.write(QByteArray(int(seite), '\x5a'));
        }
        QFile::copy(datei, ordner + QStringLiteral("/Archiv_Kopie.mdb"));
        QFile alt(ordner + QStringLiteral("/Archiv_Kopie.mdb"));
        QVERIFY(alt.open(QIODevice::Append));
        alt.write("alte Sicherung");
        alt.close();
        const QByteArray vorher = lesen(datei);
        const QByteArray sicherungVorher = lesen(alt.fileName());

        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(update ? a.v.aktualisieren() : a.v.komprimieren());
        QVERIFY2(a.log.text().contains(QStringLiteral("Fehlermeldung: 3049")), qPrintable(a.log.text()));
        QCOMPARE(a.log.eintraege.last().farbe, farbe::Rot);
        QCOMPARE(lesen(datei), vorher);
        QCOMPARE(lesen(alt.fileName()), sicherungVorher);
        QCOMPARE(QDir(ordner).entryList(QDir::Files).size(), 2);
    }

    // A table that is not a catalogue (renamed, or lacking base fields) is refused by the
    // update before anything is done: no backup, no column, a red closing line.
    void ohneGrundfelder_data()
    {
        QTest::addColumn<QString>("aenderung");
        QTest::newRow("no table") << "ALTER TABLE Schallplatten RENAME TO Platten";
        QTest::newRow("base field missing") << "ALTER TABLE Schallplatten DROP COLUMN Stil";
    }
    void ohneGrundfelder()
    {
        QFETCH(QString, aenderung);
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("x")) + QStringLiteral("/Anderes.mdb");
        {
            QVERIFY(klang::jet::Database::createCatalogue(datei, true));
            klang::jet::Database db;
            QVERIFY(db.open(datei));
            QVERIFY(db.executeBound(aenderung) >= 0);
        }
        const QByteArray vorher = lesen(datei);
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.aktualisieren());
        QCOMPARE(a.log.eintraege.last().text, QStringLiteral("Update gescheitert!"));
        QCOMPARE(a.log.eintraege.last().farbe, farbe::Rot);
        QVERIFY(!a.log.text().contains(QStringLiteral("erfolgreich")));
        QVERIFY(a.v.datenbankOffen());
        QCOMPARE(lesen(datei), vorher);
        QVERIFY(!QFile::exists(QFileInfo(datei).absolutePath() + QStringLiteral("/Anderes_Kopie.mdb")));
    }

    // Compaction works on the catalogue file itself: a group-shared file keeps owner, group
    // and rights, a link stays a link to the compacted file, a hard link sees the result, and
    // a folder reached through a link is no planted link.
    void komprimierenBehaeltDatei_data()
    {
        QTest::addColumn<QString>("art");
        QTest::newRow("shared with a group") << "gruppe";
        QTest::newRow("symbolic link") << "link";
        QTest::newRow("hard link") << "hardlink";
        QTest::newRow("folder reached through a link") << "ordnerlink";
    }
    void komprimierenBehaeltDatei()
    {
        QFETCH(QString, art);
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("x"));
        const QString echt = env.path(QStringLiteral("echt")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(echt, 2000, false));
        QVERIFY(jedenNtenLoeschen(echt, 2));
        QString geoeffnet = echt;
        if (art == QLatin1String("gruppe")) {
            // Another owner and group than the one compacting (the test runs as root).
            QCOMPARE(::chown(QFile::encodeName(echt).constData(), 65534, 100), 0);
            QCOMPARE(::chmod(QFile::encodeName(echt).constData(), 0664), 0);
        } else if (art == QLatin1String("link")) {
            geoeffnet = ordner + QStringLiteral("/Verweis.mdb");
            QVERIFY(QFile::link(echt, geoeffnet));
        } else if (art == QLatin1String("ordnerlink")) {
            QVERIFY(QFile::link(QFileInfo(echt).absolutePath(), ordner + QStringLiteral("/Verweis")));
            geoeffnet = ordner + QStringLiteral("/Verweis/Archiv.mdb");
        } else {
            geoeffnet = ordner + QStringLiteral("/Zweitname.mdb");
            QCOMPARE(::link(QFile::encodeName(echt).constData(), QFile::encodeName(geoeffnet).constData()), 0);
        }
        struct stat vorher {};
        QCOMPARE(::stat(QFile::encodeName(echt).constData(), &vorher), 0);
        const QString abdruck = fingerabdruck(echt, klang::jet::schema::fieldNames());

        Aufbau a;
        QVERIFY(a.v.oeffnen(geoeffnet).ok());
        QVERIFY(a.v.komprimieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("erfolgreich beendet!")), qPrintable(a.log.text()));
        struct stat nachher {};
        QCOMPARE(::stat(QFile::encodeName(echt).constData(), &nachher), 0);
        QCOMPARE(nachher.st_ino, vorher.st_ino);
        QCOMPARE(nachher.st_uid, vorher.st_uid);
        QCOMPARE(nachher.st_gid, vorher.st_gid);
        QCOMPARE(nachher.st_mode, vorher.st_mode);
        QVERIFY(nachher.st_size < vorher.st_size);
        QCOMPARE(fingerabdruck(echt, klang::jet::schema::fieldNames()), abdruck);
        if (art == QLatin1String("link"))
            QCOMPARE(QFileInfo(geoeffnet).symLinkTarget(), echt);
        QCOMPARE(a.db.pruefen(echt).nummer, 0);
        QVERIFY(!QFile::exists(ordner + QStringLiteral("/Verweis_temp.mdb")));
    }

    // A catalogue that cannot be changed is refused by both commands before anything is
    // done, with the real cause: write-protected (no write permission, even for root), renamed
    // (or removed) since it was opened, or a link standing where its journal goes.
    void schreibgeschuetzteDatei_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QString>("wie");
        QTest::addColumn<QString>("grund");
        QTest::newRow("compact") << false << "chmod" << "schreibgeschützt";
        QTest::newRow("update") << true << "chmod" << "schreibgeschützt";
        QTest::newRow("compact, renamed while open") << false << "umbenannt" << "nicht mehr vorhanden";
        QTest::newRow("update, renamed while open") << true << "umbenannt" << "nicht mehr vorhanden";
        QTest::newRow("compact, link as its journal") << false << "journal" << "Archiv.mdb-journal“ als Verknüpfung";
    }
    void schreibgeschuetzteDatei()
    {
        QFETCH(bool, update);
        QFETCH(QString, wie);
        QFETCH(QString, grund);
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("x"));
        const QString datei = ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(datei, 300));
        QVERIFY(jedenNtenLoeschen(datei, 2));
        const mode_t rechte = wie == QLatin1String("chmod") ? 0444 : 0644;
        QCOMPARE(::chmod(QFile::encodeName(datei).constData(), rechte), 0);
        if (wie == QLatin1String("journal"))
            QVERIFY(QFile::link(env.path(QStringLiteral("fremd")) + QStringLiteral("/j"), datei + QStringLiteral("-journal")));
        const QByteArray vorher = lesen(datei);
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        const QString jetzt = wie == QLatin1String("umbenannt") ? ordner + QStringLiteral("/Neu.mdb") : datei;
        QVERIFY(jetzt == datei || QFile::rename(datei, jetzt));
        QVERIFY(update ? a.v.aktualisieren() : a.v.komprimieren());
        QCOMPARE(a.log.eintraege.last().farbe, farbe::Rot);
        QVERIFY2(a.log.text().contains(grund), qPrintable(a.log.text()));
        QCOMPARE(lesen(jetzt), vorher);
        QCOMPARE(rechteVon(jetzt), rechte);
        QCOMPARE(QDir(ordner).entryList(QDir::Files), QStringList{QFileInfo(jetzt).fileName()});
    }

    // A catalogue the engine must write to before it can read it is named as such on a
    // read-only medium: one in write-ahead-log mode without its shared-memory file, and one
    // with the journal of an interrupted write.
    void nurLesbarerDatentraeger_data()
    {
        QTest::addColumn<bool>("wal");
        QTest::newRow("write-ahead log") << true;
        QTest::newRow("hot journal") << false;
    }
    void nurLesbarerDatentraeger()
    {
        QFETCH(bool, wal);
        klang::test::TestEnvironment env;
        const QString quelle = env.path(QStringLiteral("q")) + QStringLiteral("/Archiv.mdb");
        const QString ordner = env.path(QStringLiteral("ro"));
        QVERIFY(katalogErzeugen(quelle, 300, false));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(quelle).constData(), &db), SQLITE_OK);
        const auto zu = qScopeGuard([db] { sqlite3_close(db); });
        // Copied while the writer is in the middle of its transaction: a hot journal.
        QCOMPARE(sqlite3_exec(db, wal ? "PRAGMA journal_mode = WAL" : "PRAGMA cache_size = 1; BEGIN; "
                                  "UPDATE Schallplatten SET Info = randomblob(3000)", nullptr, nullptr, nullptr), SQLITE_OK);
        for (const QString& endung : {QString(), QStringLiteral("-journal")})
            QVERIFY(!QFileInfo::exists(quelle + endung) || QFile::copy(quelle + endung, ordner + QStringLiteral("/Archiv.mdb") + endung));
        QCOMPARE(QFileInfo::exists(ordner + QStringLiteral("/Archiv.mdb-journal")), !wal);
        klang::test::ReadOnlyFolder schutz(ordner);
        QVERIFY(schutz.effective());
        Aufbau a;
        const Fehler f = a.v.oeffnen(ordner + QStringLiteral("/Archiv.mdb"));
        QCOMPARE(f.nummer, fehlernummer::Schreibgeschuetzt);
        QVERIFY2(f.text.contains(wal ? QStringLiteral("Write-Ahead-Log") : QStringLiteral("Journal")), qPrintable(f.text));
        QVERIFY(!f.text.contains(QStringLiteral("keine lesbare")));
    }

    // Compaction keeps every object of the schema: triggers, indexes and views.
    void komprimierenBehaeltSchema()
    {
        klang::test::TestEnvironment env;
        const QString datei = env.path(QStringLiteral("x")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(datei, 500, false));
        const auto schema = [&datei] {
            klang::jet::Database db;
            QStringList zeilen;
            if (!db.open(datei))
                return zeilen;
            db.query(QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY type, name"), {},
                     [&](const QVariantList& r) {
                         zeilen << r.value(0).toString() + QLatin1Char('|') + r.value(1).toString()
                                       + QLatin1Char('|') + r.value(2).toString();
                         return true;
                     });
            return zeilen;
        };
        {
            klang::jet::Database db;
            QVERIFY(db.open(datei));
            QVERIFY(db.executeBound(QStringLiteral("CREATE TABLE Protokoll (Zeit TEXT, Band TEXT)")) >= 0);
            QVERIFY(db.executeBound(QStringLiteral(
                        "CREATE TRIGGER Merken AFTER UPDATE ON Schallplatten BEGIN "
                        "INSERT INTO Protokoll VALUES (datetime('now'), new.Band); END")) >= 0);
            QVERIFY(db.executeBound(QStringLiteral("CREATE INDEX BandIndex ON Schallplatten (Band)")) >= 0);
            QVERIFY(db.executeBound(QStringLiteral("CREATE VIEW NurBand AS SELECT Band FROM Schallplatten")) >= 0);
        }
        QVERIFY(jedenNtenLoeschen(datei, 3));
        const QStringList vorher = schema();
        QCOMPARE(vorher.size(), 5);
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.komprimieren());
        QVERIFY2(a.log.text().endsWith(QStringLiteral("erfolgreich beendet!")), qPrintable(a.log.text()));
        QCOMPARE(schema(), vorher);
        klang::jet::Database db;
        QVERIFY(db.open(datei));
        QVERIFY(db.executeBound(QStringLiteral("UPDATE Schallplatten SET Band = 'X' WHERE rowid = 2")) >= 0);
        int protokolliert = 0;
        db.query(QStringLiteral("SELECT count(*) FROM Protokoll"), {}, [&](const QVariantList& r) {
            protokolliert = r.value(0).toInt();
            return true;
        });
        QCOMPARE(protokolliert, 1);
    }

    // A full disk stops the compaction with a German message that says so, at the backup
    // or at the compacted copy; the catalogue stays as it was.
    void volleFestplatte_data()
    {
        QTest::addColumn<double>("platz"); // free room as a share of the catalogue's size
        QTest::addColumn<QString>("schritt");
        QTest::newRow("backup") << 0.5 << "Datenbank sichern...";
        QTest::newRow("compacted copy") << 1.25 << "Datenbank komprimieren...";
    }
    void volleFestplatte()
    {
        QFETCH(double, platz);
        QFETCH(QString, schritt);
        klang::test::TestEnvironment env;
        const QString quelle = env.path(QStringLiteral("q")) + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(quelle, 3000, false));
        QVERIFY(jedenNtenLoeschen(quelle, 4));
        const qint64 groesse = QFileInfo(quelle).size();
        const QString ordner = env.path(QStringLiteral("klein"));
        const qint64 kb = (groesse + qint64(groesse * platz)) / 1024 + 8;
        QProcess mount;
        mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                              QStringLiteral("size=%1k").arg(kb), QStringLiteral("tmpfs"), ordner});
        QVERIFY(mount.waitForFinished(10000));
        if (mount.exitCode() != 0)
            QSKIP("a small file system cannot be mounted here (needs root)");
        const auto aushaengen = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {ordner}); });
        const QString datei = ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(QFile::copy(quelle, datei));
        const QByteArray vorher = lesen(datei);

        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.komprimieren());
        const QString log = a.log.text();
        QVERIFY2(log.contains(schritt + QStringLiteral("\nFehlermeldung: 61 Der Datenträger ist voll")),
                 qPrintable(log));
        QVERIFY(!log.contains(QStringLiteral("Unknown error")));
        QCOMPARE(a.log.eintraege.last().text, QStringLiteral("Komprimierung der Datenbank gescheitert."));
        QCOMPARE(lesen(datei), vorher);
    }

    // A folder that cannot be written: the compaction ends red at the backup and leaves the
    // catalogue as it was.
    void schreibgeschuetzterOrdner()
    {
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("ro"));
        const QString datei = ordner + QStringLiteral("/Archiv.mdb");
        QVERIFY(katalogErzeugen(datei, 100));
        const QByteArray vorher = lesen(datei);
        klang::test::ReadOnlyFolder schutz(ordner);
        QVERIFY(schutz.effective());
        Aufbau a;
        QVERIFY(a.v.oeffnen(datei).ok());
        QVERIFY(a.v.komprimieren());
        schutz.release();
        QCOMPARE(a.log.eintraege.last().text, QStringLiteral("Komprimierung der Datenbank gescheitert."));
        QCOMPARE(lesen(datei), vorher);
        QCOMPARE(QDir(ordner).entryList(QDir::Files).size(), 1);
    }

    // The real copy never leaves a partial file when it cannot write the target.
    void kopieOhneReste()
    {
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("x"));
        EchtesDateisystem fs;
        QVERIFY(fs.kopieren(ordner + QStringLiteral("/fehlt"), ordner + QStringLiteral("/ziel")).nummer != 0);
        QVERIFY(!QFile::exists(ordner + QStringLiteral("/ziel")));
        QFile q(ordner + QStringLiteral("/q"));
        QVERIFY(q.open(QIODevice::WriteOnly));
        q.write("abc");
        q.close();
        // An existing target is never overwritten by a copy.
        QFile z(ordner + QStringLiteral("/z"));
        QVERIFY(z.open(QIODevice::WriteOnly));
        z.write("alt");
        z.close();
        QVERIFY(fs.kopieren(q.fileName(), z.fileName()).nummer != 0);
        QCOMPARE(lesen(z.fileName()), QByteArray("alt"));
        QVERIFY(fs.ersetzen(q.fileName(), z.fileName()).ok());
        QCOMPARE(lesen(z.fileName()), QByteArray("abc"));
        QVERIFY(!QFile::exists(q.fileName()));
    }

    // The backup copy of a catalogue has the catalogue's access rights, whatever the umask.
    void kopieBehaeltRechte_data()
    {
        QTest::addColumn<int>("rechte");
        QTest::newRow("private") << 0600;
        QTest::newRow("group") << 0640;
        QTest::newRow("shared") << 0664;
    }
    void kopieBehaeltRechte()
    {
        QFETCH(int, rechte);
        klang::test::TestEnvironment env;
        const QString ordner = env.path(QStringLiteral("r"));
        const QByteArray q = QFile::encodeName(ordner + QStringLiteral("/Archiv.mdb"));
        QFile f(QString::fromLocal8Bit(q));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("katalog");
        f.close();
        QCOMPARE(::chmod(q.constData(), mode_t(rechte)), 0);
        const mode_t alt = ::umask(022);
        EchtesDateisystem fs;
        const bool ok = fs.kopieren(f.fileName(), ordner + QStringLiteral("/Archiv_Kopie.mdb")).ok();
        ::umask(alt);
        QVERIFY(ok);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(ordner + QStringLiteral("/Archiv_Kopie.mdb")).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), rechte);
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("KLANG_KIND_DATEI"))
        return kindKomprimieren();
    QCoreApplication app(argc, argv);
    TestKatalog test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_katalog.moc"
