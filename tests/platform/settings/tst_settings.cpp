#include "platform/settings/IniFile.h"
#include "platform/settings/Settings.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/SmallFileSystem.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtTest>

#include <memory>

using namespace klang;

namespace {
const QString App = QStringLiteral("Klangtruhe Player");
const QString Section = QStringLiteral("Options");

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_env = std::make_unique<test::TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // Values come back exactly as saved, whatever characters they hold, also after a re-read.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("comma list") << "a, b";
        QTest::newRow("equals and semicolon") << "x=1; y=2 # not a comment";
        QTest::newRow("quotes") << "\"quoted\" and 'single'";
        QTest::newRow("umlauts") << "Größe Übersicht ÄÖÜ äöü ß €";
        QTest::newRow("newlines") << "line 1\nline 2\r\nline 3\r";
        QTest::newRow("tab") << "a\tb";
        QTest::newRow("backslashes") << "C:\\Musik\\n\\\\server\\";
        QTest::newRow("escape look-alike") << "\\s\\n\\t";
        QTest::newRow("leading and trailing blanks") << "  padded  ";
        QTest::newRow("only blanks") << "   ";
        QTest::newRow("brackets") << "[Options]";
        QTest::newRow("empty") << "";
        QTest::newRow("path with trailing slash") << "/home/user/Musik/";
        QTest::newRow("at-sign like QSettings types") << "@Variant(abc)";
    }
    void roundTrip()
    {
        QFETCH(QString, value);
        SaveSetting(App, Section, QStringLiteral("Wert"), value);
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Wert"), QStringLiteral("default")), value);
        // read straight from the file, without the cache
        QFile f(settingsFilePath(App));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const IniDocument doc = IniDocument::parse(f.readAll());
        QCOMPARE(doc.value(Section, QStringLiteral("Wert"), QStringLiteral("default")), value);
    }

    // Keys with unusual characters survive as keys.
    void nastyKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("equals") << "a=b";
        QTest::newRow("brackets") << "[x]";
        QTest::newRow("comment char") << ";Spalte#1";
        QTest::newRow("blank") << "Fenster Breite";
        QTest::newRow("umlaut") << "Größe";
    }
    void nastyKeys()
    {
        QFETCH(QString, key);
        SaveSetting(App, Section, key, QStringLiteral("v"));
        QFile f(settingsFilePath(App));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const IniDocument doc = IniDocument::parse(f.readAll());
        QCOMPARE(doc.keys(Section), QStringList{key});
        QCOMPARE(doc.value(Section, key), QStringLiteral("v"));
    }

    // Keys and sections compare without regard to case, and the first spelling is kept.
    void keysIgnoreCase()
    {
        SaveSetting(App, Section, QStringLiteral("FormTop"), QStringLiteral("100"));
        QCOMPARE(GetSetting(App, QStringLiteral("OPTIONS"), QStringLiteral("formtop")), QStringLiteral("100"));
        SaveSetting(App, QStringLiteral("options"), QStringLiteral("FORMTOP"), QStringLiteral("200"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("FormTop")), QStringLiteral("200"));
        QCOMPARE(GetAllSettingKeys(App, Section), QStringList{QStringLiteral("FormTop")});
        SaveSetting(App, Section, QStringLiteral("Größe"), QStringLiteral("1"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("GRÖSSE")), QString()); // not equal names
        QCOMPARE(GetSetting(App, Section, QStringLiteral("GRÖßE")), QStringLiteral("1"));
    }

    // A settings file of 100,000 keys (grown by a faulty tool or by hand) is read, searched,
    // changed and written again at once, as a program start does with twenty keys.
    void bigFile()
    {
        QByteArray text = "[Options]\n";
        for (int i = 0; i < 100000; ++i)
            text += "Schluessel" + QByteArray::number(i) + "=Wert " + QByteArray::number(i) + '\n';
        text += "[Andere]\nSchluessel5=anders\n[options]\nLetzter=ende\n";
        QDir().mkpath(QFileInfo(settingsFilePath(App)).absolutePath());
        writeFile(settingsFilePath(App), text);
        QElapsedTimer uhr;
        uhr.start();
        QCOMPARE(GetSetting(App, Section, QStringLiteral("LETZTER")), QStringLiteral("ende"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("schluessel99999")), QStringLiteral("Wert 99999"));
        QCOMPARE(GetSetting(App, QStringLiteral("andere"), QStringLiteral("Schluessel5")), QStringLiteral("anders"));
        for (int i = 0; i < 20; ++i) {
            SaveSetting(App, Section, QStringLiteral("Spaltenbreite%1").arg(i), QString::number(i));
            SaveSetting(App, Section, QStringLiteral("Schluessel%1").arg(i * 1000), QStringLiteral("neu"));
        }
        DeleteSetting(App, Section, QStringLiteral("Schluessel3"));
        QVERIFY2(uhr.elapsed() < 3000, qPrintable(QString::number(uhr.elapsed())));

        QFile f(settingsFilePath(App));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const IniDocument doc = IniDocument::parse(f.readAll());
        QCOMPARE(doc.value(Section, QStringLiteral("Schluessel3"), QStringLiteral("weg")), QStringLiteral("weg"));
        QCOMPARE(doc.value(Section, QStringLiteral("Schluessel4")), QStringLiteral("Wert 4"));
        QCOMPARE(doc.value(Section, QStringLiteral("Schluessel19000")), QStringLiteral("neu"));
        QCOMPARE(doc.value(Section, QStringLiteral("spaltenbreite19")), QStringLiteral("19"));
        const QStringList keys = doc.keys(Section);
        QCOMPARE(keys.size(), 100000 - 1 + 1 + 20);
        QCOMPARE(keys.at(100000 - 1), QStringLiteral("Letzter")); // order of the file kept
    }

    // A damaged or runaway settings file costs a moment: its head is read, the program goes on
    // with what it holds, and the file is never replaced by that head (the loss is told once;
    // new values live on for the session).
    void damagedHugeFile_data()
    {
        QTest::addColumn<QByteArray>("teil");
        QTest::addColumn<int>("anzahl");
        QTest::newRow("one line of 50 MB") << QByteArray(1 << 20, 'x') << 50;
        QTest::newRow("two million lines") << QByteArray("Zeile=1\n") << 2000000;
    }
    void damagedHugeFile()
    {
        QFETCH(QByteArray, teil);
        QFETCH(int, anzahl);
        const QString path = settingsFilePath(App);
        QDir().mkpath(QFileInfo(path).absolutePath());
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Options]\nVorne=da\n");
            QByteArray block;
            for (int i = 0; i < anzahl; ++i) {
                block += teil;
                if (block.size() >= (1 << 20) || i + 1 == anzahl) {
                    f.write(block);
                    block.clear();
                }
            }
            f.write("\nHinten=da\n");
        }
        const qint64 groesse = QFileInfo(path).size();
        QStringList gemeldet;
        setSettingsSaveFailedHandler([&](const QString& datei, const QString& grund) { gemeldet << datei + grund; });
        auto zurueck = qScopeGuard([] { setSettingsSaveFailedHandler({}); });
        QElapsedTimer uhr;
        uhr.start();
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Vorne")), QStringLiteral("da"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Hinten"), QStringLiteral("weg")), QStringLiteral("weg"));
        for (int i = 0; i < 3; ++i)
            SaveSetting(App, Section, QStringLiteral("Neu"), QString::number(i));
        QVERIFY2(uhr.elapsed() < 2000, qPrintable(QString::number(uhr.elapsed())));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Neu")), QStringLiteral("2"));
        QCOMPARE(QFileInfo(path).size(), groesse);
        QCOMPARE(gemeldet.size(), 1);
        QVERIFY(gemeldet.first().contains(QStringLiteral("nicht überschrieben")));
    }

    // A missing key, section or file gives the default.
    void missingGivesDefault()
    {
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Nie"), QStringLiteral("d")), QStringLiteral("d"));
        QVERIFY(!QFileInfo::exists(settingsFilePath(App)));
        SaveSetting(App, Section, QStringLiteral("Da"), QStringLiteral("1"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Nie"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(GetSetting(App, QStringLiteral("Andere"), QStringLiteral("Da"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Nie")), QString());
    }

    // Two applications keep separate files and do not see each other's values.
    void appsApart()
    {
        SaveSetting(QStringLiteral("Diskolo"), Section, QStringLiteral("Pfad"), QStringLiteral("a"));
        SaveSetting(QStringLiteral("Fernsicht"), Section, QStringLiteral("Pfad"), QStringLiteral("b"));
        QCOMPARE(GetSetting(QStringLiteral("Diskolo"), Section, QStringLiteral("Pfad")), QStringLiteral("a"));
        QCOMPARE(GetSetting(QStringLiteral("Fernsicht"), Section, QStringLiteral("Pfad")), QStringLiteral("b"));
        QVERIFY(settingsFilePath(QStringLiteral("Diskolo")) != settingsFilePath(QStringLiteral("Fernsicht")));
        QVERIFY(settingsFilePath(App).endsWith(QStringLiteral("/Klangtruhe/Klangtruhe Player.ini")));
        QVERIFY(settingsFilePath(App).startsWith(m_env->configHome()));
    }

    // An application name cannot lead the file out of the settings folder.
    void appNameStaysInFolder()
    {
        const QString path = settingsFilePath(QStringLiteral("../evil/x"));
        QCOMPARE(QFileInfo(path).absolutePath(), m_env->configHome() + QStringLiteral("/Klangtruhe"));
    }

    // Values survive the end of the program: a new environment of the same folder reads them.
    void survivesReopen()
    {
        SaveSetting(App, Section, QStringLiteral("A"), QStringLiteral("1"));
        SaveSetting(App, Section, QStringLiteral("B"), QStringLiteral("x, y"));
        const QByteArray bytes = [] {
            QFile f(settingsFilePath(App));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        // another configuration folder holding the same file: nothing cached can answer
        test::TestEnvironment other;
        QDir().mkpath(other.configHome() + QStringLiteral("/Klangtruhe"));
        writeFile(settingsFilePath(App), bytes);
        QCOMPARE(GetSetting(App, Section, QStringLiteral("B")), QStringLiteral("x, y"));
        QCOMPARE(GetAllSettingKeys(App, Section), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    }

    // An edit of the file by someone else is seen at once, even right after our own write.
    void fileEditedOutside()
    {
        SaveSetting(App, Section, QStringLiteral("Wert"), QStringLiteral("abc"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Wert")), QStringLiteral("abc"));
        writeFile(settingsFilePath(App), "[Options]\r\nWert = xyz\r\n; note\r\nNeu=1\r\nPfad=D:\\Musik\\Alben\r\n");
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Wert")), QStringLiteral("xyz"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Pfad")), QStringLiteral("D:\\Musik\\Alben"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("neu")), QStringLiteral("1"));
        // our next write keeps the outside edit and the comment
        SaveSetting(App, Section, QStringLiteral("Weiter"), QStringLiteral("2"));
        QFile f(settingsFilePath(App));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray content = f.readAll();
        QVERIFY(content.contains("Neu=1"));
        QVERIFY(content.contains("; note"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Wert")), QStringLiteral("xyz"));
    }

    // Broken or foreign file contents never crash and keep what can be read.
    void untrustedFile()
    {
        QDir().mkpath(QFileInfo(settingsFilePath(App)).absolutePath());
        writeFile(settingsFilePath(App), QByteArray("garbage without equals\n=novalue\n[Options\n"
                                                    "[Options]\nK=\\\n\xff\xfe=\x80\n\0\0", 60));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("K")), QStringLiteral("\\"));
        SaveSetting(App, Section, QStringLiteral("K"), QStringLiteral("ok"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("K")), QStringLiteral("ok"));
    }

    // Deleting a key or a whole section removes only that.
    void deleteSetting()
    {
        SaveSetting(App, Section, QStringLiteral("A"), QStringLiteral("1"));
        SaveSetting(App, Section, QStringLiteral("B"), QStringLiteral("2"));
        SaveSetting(App, QStringLiteral("Andere"), QStringLiteral("C"), QStringLiteral("3"));
        DeleteSetting(App, Section, QStringLiteral("a"));
        QCOMPARE(GetAllSettingKeys(App, Section), QStringList{QStringLiteral("B")});
        DeleteSetting(App, QStringLiteral("options"));
        QCOMPARE(GetAllSettingKeys(App, Section), QStringList());
        QCOMPARE(GetSetting(App, QStringLiteral("Andere"), QStringLiteral("C")), QStringLiteral("3"));
        DeleteSetting(App, QStringLiteral("Fehlt"), QStringLiteral("X")); // no error
    }

    // When the file cannot be written the old file stays whole and the value lives on in memory.
    void unwritableFolderKeepsFile()
    {
        SaveSetting(App, Section, QStringLiteral("A"), QStringLiteral("1"));
        const QString folder = QFileInfo(settingsFilePath(App)).absolutePath();
        test::ReadOnlyFolder schutz(folder);
        QVERIFY(schutz.effective());
        SaveSetting(App, Section, QStringLiteral("A"), QStringLiteral("2"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("A")), QStringLiteral("2"));
        schutz.release();
        QFile f(settingsFilePath(App));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("A=1"));
    }

    // A settings folder that cannot be made is no crash: the value still lives for this session.
    void blockedFolderKeepsValueInMemory()
    {
        QDir().mkpath(m_env->configHome());
        writeFile(m_env->configHome() + QStringLiteral("/Klangtruhe"), "a file, not a folder");
        SaveSetting(App, Section, QStringLiteral("A"), QStringLiteral("1"));
        QCOMPARE(GetSetting(App, Section, QStringLiteral("A")), QStringLiteral("1"));
        QVERIFY(!QFileInfo(settingsFilePath(App)).isFile());
    }

    // A full disk: the old file stays whole and the failure is told, in German, once.
    void fullDiskReported()
    {
        const QString folder = m_env->configHome() + QStringLiteral("/Klangtruhe");
        test::SmallFileSystem disk(folder);
        QVERIFY(disk.mounted());
        SaveSetting(App, Section, QStringLiteral("Pfad"), QString(300, QLatin1Char('a')));
        const QByteArray before = readFile(settingsFilePath(App));
        QVERIFY(before.size() > 300);
        QStringList told;
        setSettingsSaveFailedHandler([&told](const QString&, const QString& reason) { told << reason; });
        const auto reset = qScopeGuard([] { setSettingsSaveFailedHandler({}); });
        disk.fill();
        for (int i = 0; i < 3; ++i) // the second and third try are not told again
            SaveSetting(App, Section, QStringLiteral("Pfad"), QString(400 + i, QLatin1Char('b')));
        QCOMPARE(readFile(settingsFilePath(App)), before);
        QCOMPARE(told, QStringList{QStringLiteral("Der Datenträger ist voll.")});
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Pfad")), QString(402, QLatin1Char('b')));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1); // no temporary file left
    }

    // Lines the program does not change stay byte for byte: bytes that are not UTF-8, lines
    // without "=", comments, blank lines, a repeated key, a byte order mark.
    void untouchedLinesKeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("key");       // a key the file holds
        QTest::addColumn<QString>("expected");  // its value as read
        QTest::newRow("windows-1252 path") << QByteArray("[Options]\nLetzterPfad=D:\\Musik\\j\xf6rg\nA=1\n")
                                           << "LetzterPfad" << QStringLiteral("D:\\Musik\\jörg");
        QTest::newRow("line without equals") << QByteArray("[Options]\nnur Text ohne Zeichen\nA=1\n") << "A" << "1";
        QTest::newRow("crlf and blanks") << QByteArray("; Kopf\r\n\r\n[Options]\r\nA = 1 \r\n\r\n[Andere]\r\nB=2\r\n")
                                         << "A" << "1";
        QTest::newRow("repeated key") << QByteArray("[Options]\nA=alt\nA=neu\n") << "A" << "neu";
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[Options]\nA=\xC3\xA4\n") << "A" << "ä";
        QTest::newRow("repeated header") << QByteArray("[Options]\nA=1\n[X]\nY=2\n[options]\nC=3\n") << "C" << "3";
        // A stored view or typed text past the general line bound is a value like any other.
        QTest::newRow("value of 200 KB") << "[Options]\nLang=" + QByteArray(200 << 10, 'v') + "\nA=1\n" << "Lang"
                                         << QString(200 << 10, u'v');
    }
    void untouchedLinesKeepTheirBytes()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QDir().mkpath(QFileInfo(settingsFilePath(App)).absolutePath());
        writeFile(settingsFilePath(App), file);
        QCOMPARE(GetSetting(App, Section, key), expected);
        SaveSetting(App, Section, QStringLiteral("Neu"), QStringLiteral("x"));
        SaveSetting(App, QStringLiteral("Weitere"), QStringLiteral("Neu"), QStringLiteral("y"));
        SaveSetting(App, Section, key, expected); // unchanged: written as it was
        // Every line of the old file is still there, in order, and only the new ones were added
        // (CR LF ends included).
        const QList<QByteArray> was = file.split('\n');
        const QList<QByteArray> now = readFile(settingsFilePath(App)).split('\n');
        qsizetype at = 0;
        for (const QByteArray& line : was) {
            while (at < now.size() && now.at(at) != line)
                ++at;
            QVERIFY2(at < now.size(), line.constData());
            ++at;
        }
        QVERIFY2(now.size() == was.size() + 4, readFile(settingsFilePath(App)).constData()); // "Neu=x", a blank line, "[Weitere]", "Neu=y"
        QCOMPARE(GetSetting(App, Section, key), expected);
        QCOMPARE(GetSetting(App, Section, QStringLiteral("Neu")), QStringLiteral("x"));
    }

private:
    std::unique_ptr<test::TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
