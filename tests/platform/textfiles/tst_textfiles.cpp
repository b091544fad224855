#include "platform/textfiles/LineFile.h"
#include "platform/textfiles/ListBounds.h"
#include "platform/textfiles/SafeWrite.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/SmallFileSystem.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace klang;

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}
} // namespace

class TestTextFiles : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    // Every encoding and line ending the lists were written with reads back as the same entries.
    void readLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("utf-8 lf") << QByteArray("Größe\nÄrger\n") << QStringList{"Größe", "Ärger"};
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBFRock\nPop\n") << QStringList{"Rock", "Pop"};
        QTest::newRow("cp1252") << QByteArray("Gr\xF6\xDF" "e\r\n\x80 5\r\n\x93zitiert\x94\r\n")
                                << QStringList{"Größe", "€ 5", "“zitiert”"};
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("lone cr") << QByteArray("a\rb\rc") << QStringList{"a", "b", "c"};
        QTest::newRow("mixed endings") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("no final newline") << QByteArray("eins\nzwei") << QStringList{"eins", "zwei"};
        QTest::newRow("inner empty lines kept") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
        QTest::newRow("trailing empty line") << QByteArray("a\n\n") << QStringList{"a", ""};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("only newline") << QByteArray("\n") << QStringList{""};
        QTest::newRow("utf-16 le bom") << QByteArray("\xFF\xFE" "a\0\n\0\xE4\0", 8) << QStringList{"a", "ä"};
        QTest::newRow("undefined cp1252 byte") << QByteArray("x\x81y") << QStringList{QString("x") + QChar(0x81) + "y"};
    }
    void readLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        const QString path = m_dir.filePath("list.txt");
        writeBytes(path, bytes);
        bool ok = false;
        QCOMPARE(klang::readLines(path, &ok), expected);
        QVERIFY(ok);
    }

    // A missing file is no error for the caller: an empty list and ok == false.
    void missingFile()
    {
        bool ok = true;
        QCOMPARE(klang::readLines(m_dir.filePath("fehlt.txt"), &ok), QStringList());
        QVERIFY(!ok);
        ok = true;
        QCOMPARE(klang::readLines(m_dir.path(), &ok), QStringList()); // a folder is no list
        QVERIFY(!ok);
        // a pipe of that name is no list either, and reading it must not hang
        const QString fifo = m_dir.filePath("pipe.txt");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        ok = true;
        QCOMPARE(klang::readLines(fifo, &ok), QStringList());
        QVERIFY(!ok);
        QVERIFY(!klang::appendLine(fifo, "x"));
    }

    // Writing gives UTF-8 with LF after every entry and reads back unchanged.
    void writeRoundTrip()
    {
        const QString path = m_dir.filePath("out.txt");
        const QStringList lines{"Größe", "", "a=b, c", "€"};
        QVERIFY(writeLines(path, lines));
        QCOMPARE(readAll(path), QByteArray("Größe\n\na=b, c\n€\n"));
        QCOMPARE(klang::readLines(path), lines);
        QVERIFY(writeLines(path, {}));
        QCOMPARE(readAll(path), QByteArray());
    }

    // A failed rewrite leaves the old file whole (read-only folder).
    void failedWriteKeepsOldFileReadOnlyFolder()
    {
        const QString sub = m_dir.filePath("ro");
        QVERIFY(QDir().mkpath(sub));
        const QString path = sub + "/list.txt";
        QVERIFY(writeLines(path, {"alt"}));
        klang::test::ReadOnlyFolder schutz(sub);
        QVERIFY(schutz.effective());
        QVERIFY(!writeLines(path, {"neu"}));
        schutz.release();
        QCOMPARE(readAll(path), QByteArray("alt\n"));
    }

    // A write that breaks off halfway (file size limit, as on a full disk) keeps the old file.
    void failedWriteKeepsOldFileFullDisk()
    {
        const QString path = m_dir.filePath("list.txt");
        QVERIFY(writeLines(path, {"alt"}));
        const QStringList big(2000, QStringLiteral("eine lange Zeile mit Inhalt"));
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 4096;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        const bool written = writeLines(path, big);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!written);
        QCOMPARE(readAll(path), QByteArray("alt\n"));
    }

    // A full disk with small files (Qt keeps up to 16 KB in its buffer until the commit):
    // every rewrite reports the failure, the old file stays whole and no temporary is left.
    void fullDiskSmallFile_data()
    {
        QTest::addColumn<int>("writer");
        QTest::newRow("writeLines") << 0;
        QTest::newRow("writeLines windows-1252") << 1;
        QTest::newRow("appendLines") << 2;
        QTest::newRow("writeFileAtomically") << 3;
    }
    void fullDiskSmallFile()
    {
        QFETCH(int, writer);
        test::SmallFileSystem disk(m_dir.filePath("klein"));
        QVERIFY(disk.mounted());
        const QString path = disk.folder() + "/liste.txt";
        const QStringList old(12, QStringLiteral("eine alte Zeile von Größe"));
        QVERIFY(writeLines(path, old, LineFormat::Windows1252Crlf));
        const QByteArray before = readAll(path);
        QVERIFY(before.size() > 300);
        disk.fill();
        const QStringList neu(20, QStringLiteral("eine neue Zeile"));
        bool ok = true;
        switch (writer) {
        case 0: ok = writeLines(path, neu); break;
        case 1: ok = writeLines(path, neu, LineFormat::Windows1252Crlf); break;
        case 2: ok = appendLines(path, neu, LineFormat::Windows1252Crlf); break;
        default: {
            const WriteResult result = writeFileAtomically(path, QByteArray(500, 'x'));
            QCOMPARE(result.reason, QStringLiteral("Der Datenträger ist voll."));
            ok = result.ok;
        }
        }
        QVERIFY(!ok);
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(disk.folder()).entryList(QDir::Files | QDir::Hidden), (QStringList{".fuellung", "liste.txt"}));
    }

    // Writing onto a folder or an empty name fails without harm.
    void writeToFolderFails()
    {
        QVERIFY(!writeLines(m_dir.path(), {"x"}));
        QVERIFY(!writeLines(QString(), {"x"}));
        QVERIFY(!klang::appendLine(m_dir.path(), "x"));
    }

    // Appending never glues the new entry to a last line without line ending, and never mixes encodings.
    void appendLine_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("missing file") << QByteArray("<missing>") << QByteArray("Größe\n");
        QTest::newRow("ends with newline") << QByteArray("a\n") << QByteArray("a\nGröße\n");
        QTest::newRow("no final newline") << QByteArray("a") << QByteArray("a\nGröße\n");
        QTest::newRow("crlf file") << QByteArray("a\r\n") << QByteArray("a\r\nGröße\n");
        QTest::newRow("cp1252 file converted") << QByteArray("\xC4rger\r\n") << QByteArray("Ärger\nGröße\n");
        QTest::newRow("empty file") << QByteArray("") << QByteArray("Größe\n");
    }
    void appendLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString path = m_dir.filePath("append.txt");
        QFile::remove(path);
        if (before != "<missing>")
            writeBytes(path, before);
        QVERIFY(klang::appendLine(path, QStringLiteral("Größe")));
        QCOMPARE(readAll(path), after);
    }

    // Lists kept in Windows-1252 with CRLF: appends keep the old bytes, and a text that
    // Windows-1252 cannot hold turns the whole file into UTF-8 instead of losing letters.
    void windows1252Append_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("missing file") << QByteArray("<missing>") << "Größe €" << QByteArray("Gr\xF6\xDF" "e \x80\r\n");
        QTest::newRow("cp1252 kept") << QByteArray("\xC4rger\r\n") << "ö" << QByteArray("\xC4rger\r\n\xF6\r\n");
        QTest::newRow("no final newline") << QByteArray("a") << "b" << QByteArray("a\r\nb\r\n");
        QTest::newRow("lf file kept") << QByteArray("a\n") << "ä" << QByteArray("a\n\xE4\r\n");
        QTest::newRow("utf-8 file stays utf-8") << QByteArray("\xC3\xA4\r\n") << "ö" << QByteArray("\xC3\xA4\r\n\xC3\xB6\r\n");
        QTest::newRow("ascii file takes utf-8") << QByteArray("a\r\n") << "Ω" << QByteArray("a\r\n\xCE\xA9\r\n");
        QTest::newRow("letter beyond cp1252 converts") << QByteArray("\xC4\r\n") << "Ω" << QByteArray("\xC3\x84\r\n\xCE\xA9\r\n");
        QTest::newRow("utf-16 file converts") << QByteArray("\xFF\xFE" "a\0\n\0", 6) << "ä" << QByteArray("a\r\n\xE4\r\n");
    }
    void windows1252Append()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, line);
        QFETCH(QByteArray, after);
        const QString path = m_dir.filePath("cp.txt");
        QFile::remove(path);
        if (before != "<missing>")
            writeBytes(path, before);
        QVERIFY(klang::appendLines(path, {line}, klang::LineFormat::Windows1252Crlf));
        QCOMPARE(readAll(path), after);
        QCOMPARE(klang::readLines(path).last(), line);
    }

    // Appending in place writes the same bytes as the rewrite, without reading the file (a
    // UTF-16 file stays UTF-16); a file whose encoding cannot take the line is left alone.
    void appendInPlace_data() { windows1252Append_data(); }
    void appendInPlace()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, line);
        QFETCH(QByteArray, after);
        const QString path = m_dir.filePath("inplace.txt");
        QFile::remove(path);
        if (before != "<missing>")
            writeBytes(path, before);
        const QByteArray fall(QTest::currentDataTag());
        const bool geht = fall != "letter beyond cp1252 converts";
        QCOMPARE(klang::appendLineInPlace(path, line, klang::LineFormat::Windows1252Crlf), geht);
        if (fall.startsWith("utf-16")) // stays UTF-16
            QCOMPARE(klang::readLines(path), (QStringList{"a", line}));
        else
            QCOMPARE(readAll(path), geht ? after : before);
    }

    // A damaged or huge list costs a moment and a few MB: only its head is read, whole lines
    // of bounded length (each file by what it can hold: a search list of 12,000 hits is
    // whole), and what was left out is told. A list cut that way is never
    // rewritten from its head, also after an entry was appended to it.
    void boundedRead_data()
    {
        QTest::addColumn<QByteArray>("kopf");
        QTest::addColumn<qint64>("block");  // bytes of the bulk, repeated
        QTest::addColumn<QByteArray>("teil"); // one repeated piece of the bulk
        QTest::addColumn<QByteArray>("fuss");
        QTest::addColumn<QStringList>("erwartet"); // first and last entries read ("" = none)
        QTest::addColumn<int>("anzahl");
        QTest::addColumn<int>("lang");  // long lines left out
        QTest::addColumn<bool>("rest"); // the file goes on unread
        QTest::addColumn<QString>("datei");
        QTest::newRow("one line of 50 MB") << QByteArray("") << qint64(50) << QByteArray(1 << 20, 'x')
                                           << QByteArray("\na\n") << QStringList{} << 0 << 1 << true << QStringLiteral("gross.txt");
        QTest::newRow("two million lines") << QByteArray("") << qint64(2000000) << QByteArray("eine Zeile\r\n")
                                           << QByteArray() << QStringList{"eine Zeile", "eine Zeile"} << 10000 << 0
                                           << true << QStringLiteral("gross.txt");
        QTest::newRow("long line among short ones") << QByteArray("a\n") << qint64(1) << QByteArray(100000, 'y')
                                                    << QByteArray("\nb") << QStringList{"a", "b"} << 2 << 1
                                                    << false << QStringLiteral("gross.txt");
        QTest::newRow("exactly the limit") << QByteArray("") << qint64(10000) << QByteArray("z\r\n") << QByteArray()
                                           << QStringList{"z", "z"} << 10000 << 0 << false << QStringLiteral("gross.txt");
        QTest::newRow("utf-16, too many lines") << QByteArray("\xFF\xFE", 2) << qint64(20000)
                                                << QByteArray("\xE4\0\n\0", 4) << QByteArray()
                                                << QStringList{"ä", "ä"} << 10000 << 0 << true << QStringLiteral("gross.txt");
        QTest::newRow("search list of 12,000 hits") << QByteArray() << qint64(12000)
                                                    << QByteArray("/Musik/Künstler/Lied über die Stadt.mp3\n") << QByteArray()
                                                    << QStringList{"/Musik/Künstler/Lied über die Stadt.mp3",
                                                                   "/Musik/Künstler/Lied über die Stadt.mp3"}
                                                    << 12000 << 0 << false << QStringLiteral("Suchliste.txt");
    }

    void boundedRead()
    {
        QFETCH(QByteArray, kopf);
        QFETCH(qint64, block);
        QFETCH(QByteArray, teil);
        QFETCH(QByteArray, fuss);
        QFETCH(QStringList, erwartet);
        QFETCH(int, anzahl);
        QFETCH(int, lang);
        QFETCH(bool, rest);
        QFETCH(QString, datei);
        const QString path = m_dir.filePath(datei);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(kopf);
            QByteArray stueck;
            for (qint64 i = 0; i < block; ++i) {
                stueck += teil;
                if (stueck.size() >= (1 << 20) || i + 1 == block) {
                    f.write(stueck);
                    stueck.clear();
                }
            }
            f.write(fuss);
        }
        struct rusage vorher {};
        ::getrusage(RUSAGE_SELF, &vorher);
        QElapsedTimer uhr;
        uhr.start();
        bool ok = false;
        const QStringList zeilen = klang::readLines(path, &ok);
        QVERIFY2(uhr.elapsed() < 1000, qPrintable(QString::number(uhr.elapsed())));
        struct rusage nachher {};
        ::getrusage(RUSAGE_SELF, &nachher);
        QVERIFY2(nachher.ru_maxrss - vorher.ru_maxrss < 48 * 1024, qPrintable(QString::number(nachher.ru_maxrss)));
        QVERIFY(ok);
        QCOMPARE(zeilen.size(), anzahl);
        if (!erwartet.isEmpty()) {
            QCOMPARE(zeilen.first(), erwartet.first());
            QCOMPARE(zeilen.last(), erwartet.last());
        }
        klang::ReadReport bericht;
        klang::readLinesBounded(path, &ok, &bericht);
        QCOMPARE(bericht.longLinesLeftOut, qsizetype(lang));
        QCOMPARE(bericht.restLeftOut, rest);
        QCOMPARE(bericht.hinweis(QStringLiteral("x.txt")).isEmpty(), !rest && !lang);

        const bool gekuerzt = rest || lang;
        for (int lauf = 0; lauf < 2; ++lauf) {
            const qint64 vor = QFileInfo(path).size();
            QCOMPARE(klang::writeLines(path, zeilen), !gekuerzt);
            QCOMPARE(klang::writeLines(path, zeilen, LineFormat::Windows1252Crlf), !gekuerzt);
            if (!gekuerzt)
                return;
            QCOMPARE(QFileInfo(path).size(), vor);
            QVERIFY(klang::appendLineInPlace(path, QStringLiteral("neu"), LineFormat::Utf8Lf));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly) && f.seek(vor));
            const QByteArray dazu = f.readAll();
            QVERIFY2(dazu.endsWith("neu\n") || dazu.endsWith(QByteArray("n\0e\0u\0\n\0", 8)), dazu.toHex().constData());
        }
        klang::forgetCutOnRead(path);
        QVERIFY(klang::writeLines(path, zeilen)); // a list made anew may replace it
    }

    // decodeText is the same decision for callers that read the bytes themselves.
    void decodeText()
    {
        QCOMPARE(klang::decodeText("\xEF\xBB\xBF\xC3\xA4"), QStringLiteral("ä"));
        QCOMPARE(klang::decodeText("\xE4"), QStringLiteral("ä"));
        QCOMPARE(klang::decodeText(QByteArray()), QString());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestTextFiles)
#include "tst_textfiles.moc"
