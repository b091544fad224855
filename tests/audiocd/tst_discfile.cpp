#include "audiocd/DiskoloIni.h"
#include "audiocd/ctlDiskoloX.h"
#include "platform/textfiles/LineFile.h"
#include "tests/support/FakeCdBackend.h"
#include "tests/support/SmallFileSystem.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QtTest>

#include <sys/resource.h>

using namespace diskolo;
using klang::test::FakeCdBackend;

namespace {

DiscNames names(const QString& artist, const QString& title, const QStringList& tracks)
{
    DiscNames n;
    n.artist = artist;
    n.title = title;
    n.tracks = tracks;
    return n;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray encoded(const QString& text, const QByteArray& encoding, bool withMark = false)
{
    if (encoding == "Windows-1252")
        return klang::toCp1252(text);
    const QByteArray mark = !withMark ? QByteArray() : encoding == "UTF-16LE" ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    return mark + QStringEncoder(encoding.constData()).encode(text);
}

// A section as Diskolo writes it.
QString sectionText(const QString& id, const QString& artist, const QStringList& tracks)
{
    QString s = "[" + id + "]\r\nEntryType=1\r\nartist=" + artist + "\r\ntitle=T\r\nnumtracks="
        + QString::number(tracks.size()) + "\r\n";
    for (int i = 0; i < tracks.size(); ++i)
        s += QString::number(i) + "=" + tracks.at(i) + "\r\n";
    return s + "\r\n";
}

// A collection of discs with 12 tracks each and "§" where the disc under test stands.
QString collection(int discs, int ownAt)
{
    QString text;
    for (int i = 0; i <= discs; ++i) {
        text += i == ownAt ? QStringLiteral("§") : QString();
        if (i < discs)
            text += sectionText(QString::number(0x10000 + i * 7919, 16).toUpper(), QStringLiteral("Künstler %1").arg(i),
                                QStringList(12, QStringLiteral("Lied über die Stadt")));
    }
    return text;
}

// Makes a folder immutable for its lifetime (root may write anywhere else).
struct Immutable
{
    QString path;
    bool ok = false;
    explicit Immutable(const QString& p)
        : path(p)
    {
        ok = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    }
    ~Immutable() { QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path}); }
};

} // namespace

// The disc file diskolo.ini: its layout, what loading reads, and that saving keeps everything
// that is not the disc's own section.
class TestDiscFile : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

    std::unique_ptr<ctlDiskoloX> player(FakeCdBackend*& cd, const QList<qint32>& tracks)
    {
        cd = new FakeCdBackend;
        cd->insertDisc(tracks);
        return std::make_unique<ctlDiskoloX>(std::unique_ptr<klang::cdaudio::CdBackend>(cd));
    }

private Q_SLOTS:
    void cleanup() { QFile::remove(ctlDiskoloX::GetIniPath()); }

    // A 3-track disc: eight lines and an empty one, CR LF, Windows-1252.
    void sectionLayout()
    {
        const QByteArray out = replaceDiscSection(
            QByteArray(), QStringLiteral("ab12"), names("Die Ärzte", "Jazz ist anders", {"Lied €", "b", ""}), 3);
        QCOMPARE(out, QByteArray("[AB12]\r\nEntryType=1\r\nartist=Die \xC4rzte\r\ntitle=Jazz ist anders\r\n"
                                 "numtracks=3\r\n0=Lied \x80\r\n1=b\r\n2=\r\n\r\n"));
        // A name cannot break the file into lines of its own; a letter outside the code page
        // becomes "?".
        const QByteArray odd = replaceDiscSection(QByteArray(), QStringLiteral("1"),
                                                  names("a\r\n[1]", "Łódž", {"x\ny"}), 1);
        QCOMPARE(odd, QByteArray("[1]\r\nEntryType=1\r\nartist=a  [1]\r\ntitle=?\xF3" "d\x9E\r\nnumtracks=1\r\n"
                                 "0=x y\r\n\r\n"));
    }

    // Saving replaces only the disc's section where it stands (the last of several, which is the
    // one read; one spelled in lower case) and keeps every other byte: comments, other discs,
    // their line ends, bytes Windows-1252 leaves unassigned, lines longer than any bound, a line
    // end split between two pieces of the stream, UTF-16. "§" marks the new section.
    void otherLinesSurvive_data()
    {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray longLine = "0=" + QByteArray(3 * 1024 * 1024, 'x');
        const QByteArray pad(1024 * 1024 - 8, 'p'); // its CR LF straddles the first megabyte
        QTest::newRow("missing file") << QByteArray() << QByteArray("§");
        QTest::newRow("head and other disc")
            << QByteArray("; Diskolo\r\n\r\n[12]\r\nartist=x\x81\x9D\r\n0=y\n")
            << QByteArray("; Diskolo\r\n\r\n[12]\r\nartist=x\x81\x9D\r\n0=y\n§");
        QTest::newRow("own section in the middle, lower case")
            << QByteArray("[12]\r\n0=a\r\n  [c0ffee]  \r\nartist=old\r\n0=old\r\n\r\n  [34]\r\n0=b\r\n")
            << QByteArray("[12]\r\n0=a\r\n§  [34]\r\n0=b\r\n");
        QTest::newRow("own section twice: the later is read and written")
            << QByteArray("[C0FFEE]\r\n0=x\r\n[9]\r\n0=z\r\n[C0FFEE]\r\n0=y\r\n[8]\r\n")
            << QByteArray("[C0FFEE]\r\n0=x\r\n[9]\r\n0=z\r\n§[8]\r\n");
        QTest::newRow("last line without its end")
            << QByteArray("[9]\r\n0=z") << QByteArray("[9]\r\n0=z\r\n§");
        QTest::newRow("own section last, without its end")
            << QByteArray("[9]\r\n[C0FFEE]\r\n0=z") << QByteArray("[9]\r\n§");
        QTest::newRow("similar header") << QByteArray("[C0FFEE0]\r\n0=q\r\n") << QByteArray("[C0FFEE0]\r\n0=q\r\n§");
        QTest::newRow("lone CR line ends") << QByteArray("[9]\r0=z\r") << QByteArray("[9]\r0=z\r§");
        QTest::newRow("lines past every bound")
            << "[9]\r\n" + longLine + "\r\n[C0FFEE]\r\n0=a\r\n[8]\r\n" + longLine
            << "[9]\r\n" + longLine + "\r\n§[8]\r\n" + longLine;
        QTest::newRow("CR LF across pieces")
            << "[9]\r\n" + pad + "\r\n[C0FFEE]\r\n[8]\r\n" << "[9]\r\n" + pad + "\r\n§[8]\r\n";
        for (const char* utf16 : {"UTF-16LE", "UTF-16BE"}) {
            const auto u = [utf16](const char* text, bool mark) { return encoded(QString::fromUtf8(text), utf16, mark); };
            QTest::newRow(utf16) << u("[9]\r\n0=Łódź ♫\r\n[c0ffee]\r\n0=alt\r\n[8]\r\n0=z", true)
                                 << u("[9]\r\n0=Łódź ♫\r\n", true) + "§" + u("[8]\r\n0=z", false);
        }
    }
    void otherLinesSurvive()
    {
        QFETCH(QByteArray, old);
        QFETCH(QByteArray, expected);
        const QString section = "[C0FFEE]\r\nEntryType=1\r\nartist=Ä♫\r\ntitle=T\r\nnumtracks=1\r\n0=N\r\n\r\n";
        const QByteArray encoding = old.startsWith("\xFF\xFE") ? "UTF-16LE" : old.startsWith("\xFE\xFF") ? "UTF-16BE" : "Windows-1252";
        expected.replace("§", encoded(section, encoding));
        QCOMPARE(replaceDiscSection(old, QStringLiteral("C0FFEE"), names("Ä♫", "T", {"N"}), 1), expected);
    }

    // Loading: header without case, keys in lower case, blanks kept after "=" and dropped at
    // the end, numbered keys only inside the disc's tracks, later sections win.
    void loading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("tracks");
        const QStringList plain = {"Track 1", "Track 2", "Track 3"};
        QTest::newRow("lower-case header, capital key")
            << QByteArray("[abc]\r\nArtist=Karat\r\nTITLE=Albatros\r\n") << true << "Karat" << "Albatros" << plain;
        QTest::newRow("blank before = is no key")
            << QByteArray("[ABC]\r\nartist =x\r\n") << true << "" << "" << plain;
        QTest::newRow("blank after = stays, trailing blanks go")
            << QByteArray("[ABC]\r\ntitle= x  \r\n  0=Eins \t\r\n") << true << "" << " x" << QStringList{"Eins", "Track 2", "Track 3"};
        QTest::newRow("keys beyond the tracks")
            << QByteArray("[ABC]\r\n2=drei\r\n3=vier\r\n11=elf\r\n-1=x\r\n99999=y\r\n")
            << true << "" << "" << QStringList{"Track 1", "Track 2", "drei"};
        QTest::newRow("numbers rounded half to even")
            << QByteArray("[ABC]\r\n0.5=null\r\n1.5=zwei\r\n") << true << "" << "" << QStringList{"null", "Track 2", "zwei"};
        QTest::newRow("later section wins")
            << QByteArray("[ABC]\r\nartist=alt\r\n0=a\r\n[X]\r\nartist=fremd\r\n[ABC]\r\nartist=neu\r\n")
            << true << "neu" << "" << QStringList{"a", "Track 2", "Track 3"};
        QTest::newRow("other disc only")
            << QByteArray("[ABCD]\r\nartist=fremd\r\n") << false << "" << "" << plain;
        QTest::newRow("Windows-1252")
            << QByteArray("[ABC]\nartist=M\xF6tley Cr\xFC" "e\n0=\x93" "Dr.\x94\n") << true << "Mötley Crüe" << ""
            << QStringList{"“Dr.”", "Track 2", "Track 3"};
        QTest::newRow("garbage") << QByteArray("\0\0[[[\xff=\xfe\n=\n[ABC\n", 16) << false << "" << "" << plain;
        QTest::newRow("UTF-8 with its mark")
            << QByteArray("\xEF\xBB\xBF[ABC]\r\ntitle=K\xC3\xB6ln\r\n") << true << "" << "Köln" << plain;
        QTest::newRow("own line past the bound is left out")
            << "[ABC]\r\nartist=a\r\n0=" + QByteArray(70000, 'x') + "\r\n1=b\r\n" << true << "a" << "" << QStringList{"Track 1", "b", "Track 3"};
    }
    void loading()
    {
        QFETCH(QByteArray, file);
        DiscNames n = initialNames(3);
        readDiscSection(file, QStringLiteral("ABC"), n);
        QTEST(n.found, "found");
        QTEST(n.artist, "artist");
        QTEST(n.title, "title");
        QTEST(n.tracks, "tracks");
    }

    // Through the player: a first save creates the file with exactly the disc's section, a new
    // player reads it back, another disc's section stays untouched by a second save.
    void saveAndLoadAgain()
    {
        writeAll(ctlDiskoloX::GetIniPath(), QByteArray());
        QFile::remove(ctlDiskoloX::GetIniPath());
        FakeCdBackend* cd = nullptr;
        auto x = player(cd, {60000, 90000});
        QVERIFY(!x->iniFound());
        x->setIniCDArtist(QStringLiteral("Simon & Garfunkel"));
        x->setIniCDTitle(QStringLiteral("Bookends"));
        x->setIniTrackName(2, QStringLiteral("America"));
        x->setIniTrackName(3, QStringLiteral("ignored"));
        QCOMPARE(x->iniTrackName(3), QString());
        QVERIFY(x->SaveToDiskoloIni());
        const QString id = x->iniIdentity();
        QCOMPARE(readAll(ctlDiskoloX::GetIniPath()),
                 "[" + id.toLatin1() + "]\r\nEntryType=1\r\nartist=Simon & Garfunkel\r\ntitle=Bookends\r\n"
                 "numtracks=2\r\n0=Track 1\r\n1=America\r\n\r\n");

        FakeCdBackend* cd2 = nullptr;
        auto other = player(cd2, {30000});
        QVERIFY(other->SaveToDiskoloIni());
        x = player(cd, {60000, 90000});
        QVERIFY(x->iniFound());
        QCOMPARE(x->iniCDArtist(), QStringLiteral("Simon & Garfunkel"));
        QCOMPARE(x->iniTrackName(2), QStringLiteral("America"));
    }

    // A collection past any read bound (12,000 discs, 200,000 lines): the disc's names are shown
    // wherever its section stands, three saves with a restart between them each replace it in
    // place, and every other byte of the file stays as it was.
    void bigCollection_data()
    {
        QTest::addColumn<int>("discs");
        QTest::addColumn<int>("ownAt");
        QTest::addColumn<QByteArray>("encoding");
        QTest::newRow("first of 12,000") << 12000 << 0 << QByteArray("Windows-1252");
        QTest::newRow("middle of 12,000") << 12000 << 6000 << QByteArray("Windows-1252");
        QTest::newRow("last of 12,000") << 12000 << 12000 << QByteArray("Windows-1252");
        QTest::newRow("UTF-16, middle of 40") << 40 << 20 << QByteArray("UTF-16LE");
    }
    void bigCollection()
    {
        QFETCH(int, discs);
        QFETCH(int, ownAt);
        QFETCH(QByteArray, encoding);
        const QString path = ctlDiskoloX::GetIniPath();
        FakeCdBackend* cd = nullptr;
        auto x = player(cd, {60000, 90000, 30000});
        const QString id = x->iniIdentity();
        const QString file = collection(discs, ownAt);
        const auto with = [&](const QString& identity, const QString& artist) {
            return encoded(QString(file).replace(u'§', sectionText(identity, artist, {"Radioaktivität", "Ohm süß Ohm", "3"})),
                           encoding, true);
        };
        writeAll(path, with(id.toLower(), QStringLiteral("Kraftwerk")));
        if (discs > 10000)
            QVERIFY(QFileInfo(path).size() > 3000000);
        for (int round = 1; round <= 3; ++round) {
            x = player(cd, {60000, 90000, 30000}); // a restart
            QVERIFY(x->iniFound());
            QCOMPARE(x->iniCDArtist(), round == 1 ? QStringLiteral("Kraftwerk") : QStringLiteral("Runde %1").arg(round - 1));
            QCOMPARE(x->iniTrackName(2), QStringLiteral("Ohm süß Ohm"));
            x->setIniCDArtist(QStringLiteral("Runde %1").arg(round));
            QVERIFY2(x->SaveToDiskoloIni(), qPrintable(x->saveErrorText()));
            QVERIFY(readAll(path) == with(id, QStringLiteral("Runde %1").arg(round)));
        }
    }

    // A save that cannot replace the file says so and leaves the old file as it was.
    void failedSaveKeepsTheFile()
    {
        const QByteArray old = "[1]\r\nartist=bleibt\r\n";
        writeAll(ctlDiskoloX::GetIniPath(), old);
        FakeCdBackend* cd = nullptr;
        auto x = player(cd, {60000});
        x->setIniCDArtist(QStringLiteral("neu"));
        {
            Immutable lock(QFileInfo(ctlDiskoloX::GetIniPath()).absolutePath());
            if (!lock.ok)
                QSKIP("chattr is not available on this file system");
            QVERIFY(!x->SaveToDiskoloIni());
        }
        QCOMPARE(readAll(ctlDiskoloX::GetIniPath()), old);
        QVERIFY(x->SaveToDiskoloIni());
        QVERIFY(readAll(ctlDiskoloX::GetIniPath()).startsWith(old));
    }

    // With the disc gone the held names are not that disc's: nothing is saved over them.
    void noSaveWithoutTheDisc()
    {
        FakeCdBackend* cd = nullptr;
        auto x = player(cd, {60000, 60000});
        x->setIniCDArtist(QStringLiteral("richtig"));
        QVERIFY(x->SaveToDiskoloIni());
        const QByteArray saved = readAll(ctlDiskoloX::GetIniPath());
        cd->removeDisc();
        x->setDrive(QString());
        QCOMPARE(x->iniTrackName(1), QStringLiteral("Track 1"));
        QVERIFY(!x->SaveToDiskoloIni());
        // Another disc put in without the player noticing yet.
        cd->insertDisc({60000, 60000});
        x->setDrive(QString());
        cd->insertDisc({45000});
        QVERIFY(!x->SaveToDiskoloIni());
        QCOMPARE(readAll(ctlDiskoloX::GetIniPath()), saved);
    }

    // Two programs saving at the same moment both keep their disc: each reads the file anew
    // under the lock. Two real processes, many saves each.
    void concurrentSavesKeepBoth()
    {
        const QString path = ctlDiskoloX::GetIniPath();
        writeAll(path, "[OTHER]\r\nartist=bleibt\r\n");
        const int rounds = 150;
        QList<QProcess*> writers;
        for (const char* id : {"AAAA", "BBBB"}) {
            auto* p = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DISKOLO_WRITER"), path + u'|' + QLatin1String(id) + u'|' + QString::number(rounds));
            p->setProcessEnvironment(env);
            p->setProcessChannelMode(QProcess::ForwardedChannels);
            writers.append(p);
        }
        for (QProcess* p : writers)
            p->start(QCoreApplication::applicationFilePath(), {});
        for (QProcess* p : writers) {
            QVERIFY(p->waitForFinished(60000));
            QCOMPARE(p->exitCode(), 0);
        }
        const QByteArray file = readAll(path);
        QVERIFY(file.startsWith("[OTHER]\r\nartist=bleibt\r\n"));
        for (const char* id : {"AAAA", "BBBB"}) {
            DiscNames n = initialNames(1);
            readDiscSection(file, QLatin1String(id), n);
            QVERIFY2(n.found, id);
            QCOMPARE(n.artist, QStringLiteral("Runde %1").arg(rounds - 1));
        }
        QVERIFY(!QFile::exists(path + QStringLiteral(".lock")));
    }

    // A save that cannot keep everything is refused at once with the reason in German, the file
    // as it was; a damaged lock file left over costs no wait.
    void saveTroubles_data()
    {
        QTest::addColumn<QByteArray>("lock");
        QTest::addColumn<bool>("fullDisk");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        const QByteArray plain = "[1]\r\nartist=x\r\n";
        QTest::newRow("lock with garbage") << QByteArray("\xff\xfe kein Schloss") << false << plain << QString();
        QTest::newRow("full disk") << QByteArray() << true << plain << QStringLiteral("Der Datenträger ist voll.");
        QTest::newRow("own line past the bound")
            << QByteArray() << false << "[1]\r\n[C0FFEE]\r\n0=" + QByteArray(70000, 'x') + "\r\n"
            << QStringLiteral("mehr als 64 KB");
    }
    void saveTroubles()
    {
        QFETCH(QByteArray, lock);
        QFETCH(bool, fullDisk);
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        std::unique_ptr<klang::test::SmallFileSystem> disk;
        QString path = m_env.path(QStringLiteral("plagen")) + QStringLiteral("/diskolo.ini");
        if (fullDisk) {
            disk = std::make_unique<klang::test::SmallFileSystem>(m_env.path(QStringLiteral("klein")));
            QVERIFY(disk->mounted());
            path = disk->folder() + QStringLiteral("/diskolo.ini");
        }
        writeAll(path, file);
        if (!lock.isEmpty())
            writeAll(path + QStringLiteral(".lock"), lock);
        if (disk)
            disk->fill();
        QElapsedTimer clock;
        clock.start();
        QString why;
        QCOMPARE(saveDiscSection(path, QStringLiteral("C0FFEE"), names("A", "T", {"N"}), 1, &why), error.isEmpty());
        QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(why.contains(error), qPrintable(why));
        if (!error.isEmpty())
            QCOMPARE(readAll(path), file);
        QVERIFY(!QFile::exists(path + QStringLiteral(".lock")));
    }

    // A save into a file of 40 MB copies it through in pieces: a few MB of memory, not the file
    // many times over.
    void bigFileSavedInLittleMemory()
    {
        const QString path = m_env.path(QStringLiteral("gross")) + QStringLiteral("/diskolo.ini");
        const QByteArray part = encoded(collection(2000, 2000).chopped(1), "Windows-1252");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            while (f.size() < 40 * 1024 * 1024)
                f.write(part);
        }
        const qint64 size = QFileInfo(path).size();
        struct rusage before {}, after {};
        ::getrusage(RUSAGE_SELF, &before);
        QVERIFY(saveDiscSection(path, QStringLiteral("C0FFEE"), names("A", "T", {"N"}), 1));
        ::getrusage(RUSAGE_SELF, &after);
        QVERIFY2(after.ru_maxrss - before.ru_maxrss < 16 * 1024, qPrintable(QString::number(after.ru_maxrss)));
        QVERIFY(QFileInfo(path).size() > size);
    }

    // A file without write permission is left alone, also by root, with its mode; the reason
    // is told. A file the owner may write is saved.
    void readOnlyFileRefused_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("saved");
        QTest::newRow("0444") << 0444 << false;
        QTest::newRow("0400") << 0400 << false;
        QTest::newRow("0644") << 0644 << true;
    }
    void readOnlyFileRefused()
    {
        QFETCH(int, mode);
        QFETCH(bool, saved);
        const QString path = ctlDiskoloX::GetIniPath();
        const QByteArray old = "[1]\r\nartist=alt\r\n";
        writeAll(path, old);
        QCOMPARE(QProcess::execute(QStringLiteral("chmod"), {QString::number(mode, 8), path}), 0);
        const QFileDevice::Permissions before = QFileInfo(path).permissions();
        FakeCdBackend* cd = nullptr;
        auto x = player(cd, {60000});
        x->setIniCDArtist(QStringLiteral("neu"));
        QCOMPARE(x->SaveToDiskoloIni(), saved);
        QCOMPARE(readAll(path).contains("artist=neu"), saved);
        QCOMPARE(QFileInfo(path).permissions(), before);
        if (!saved) {
            QCOMPARE(readAll(path), old);
            QVERIFY2(x->saveErrorText().contains(QStringLiteral("schreibgeschützt")), qPrintable(x->saveErrorText()));
        }
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
};

// Started with DISKOLO_WRITER=path|identity|rounds: saves that disc's section that many times
// (the other half of concurrentSavesKeepBoth).
static int writerMain()
{
    const QStringList parts = qEnvironmentVariable("DISKOLO_WRITER").split(u'|');
    if (parts.size() != 3)
        return 2;
    for (int round = 0; round < parts.at(2).toInt(); ++round) {
        DiscNames n = initialNames(3);
        n.artist = QStringLiteral("Runde %1").arg(round);
        if (!saveDiscSection(parts.at(0), parts.at(1), n, 3))
            return 1;
    }
    return 0;
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet("DISKOLO_WRITER"))
        return writerMain();
    QApplication app(argc, argv);
    TestDiscFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_discfile.moc"
