#include "platform/textfiles/LineFile.h"
#include "platform/textfiles/SafeWrite.h"
#include "tests/support/SmallFileSystem.h"

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
        QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (::geteuid() == 0)
            QSKIP("root ignores folder permissions (see failedWriteKeepsOldFileFullDisk)");
        QVERIFY(!writeLines(path, {"neu"}));
        QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
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
