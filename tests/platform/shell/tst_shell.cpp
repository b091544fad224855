#include "platform/shell/Paths.h"
#include "platform/shell/Shell.h"
#include "platform/shell/SingleInstance.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QUuid>
#include <QtTest>

#include <memory>
#include <sys/wait.h>
#include <unistd.h>

using namespace klang;

namespace {
void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QString uniqueKey()
{
    return QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}
} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnvironment>();
        m_oldResources = qgetenv("KLANGTRUHE_RESOURCES");
        m_oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        const QString runtime = m_env->path("runtime");
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }
    void cleanup()
    {
        qputenv("KLANGTRUHE_RESOURCES", m_oldResources);
        if (m_oldRuntime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
        m_env.reset();
    }

    // Trash moves the file away, or refuses and keeps it: a file is never just gone.
    void trashNeverDeletes()
    {
        m_env->homeHere();
        const QString path = m_env->path("docs") + "/Bild.jpg";
        writeBytes(path, "picture");
        const bool moved = moveToTrash(path);
        if (moved) {
            QVERIFY(!QFileInfo::exists(path));
            const QString trashed = m_env->dataHome() + "/Trash/files/Bild.jpg";
            QCOMPARE(readAll(trashed), QByteArray("picture"));
        } else {
            qInfo("no trash reachable here: the file must stay");
            QCOMPARE(readAll(path), QByteArray("picture"));
        }
    }

    // Trashing what does not exist reports failure.
    void trashMissing()
    {
        QVERIFY(!moveToTrash(m_env->root() + "/fehlt.txt"));
        QVERIFY(!moveToTrash(QString()));
    }

    // Linux has no short names: an existing path is its own short form, anything else "".
    void shortPath_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("exists");
        QTest::newRow("file with blanks") << "Meine Musik/Lied Nummer 1.mp3" << true;
        QTest::newRow("folder") << "Meine Musik" << true;
        QTest::newRow("missing") << "Fehlt/x.mp3" << false;
    }
    void shortPath()
    {
        QFETCH(QString, relative);
        QFETCH(bool, exists);
        writeBytes(m_env->root() + "/Meine Musik/Lied Nummer 1.mp3", "x");
        const QString path = m_env->root() + "/" + relative;
        QCOMPARE(shortPathName(path), exists ? path : QString());
        QCOMPARE(shortPathName(QString()), QString());
    }

    // A missing program gives false and a German message that names it.
    void startMissingProgram_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("name in PATH") << "klangtruhe-gibt-es-nicht";
        QTest::newRow("absolute path") << "/nirgends/programm";
        QTest::newRow("not executable") << "<plain file>";
    }
    void startMissingProgram()
    {
        QFETCH(QString, program);
        if (program == "<plain file>") {
            program = m_env->root() + "/keinprogramm.txt";
            writeBytes(program, "text");
        }
        QString error;
        QVERIFY(!startProgram(program, {"a b"}, &error));
        QCOMPARE(error, QStringLiteral("Das Programm \"%1\" wurde nicht gefunden.").arg(program));
    }

    // Arguments reach the program separately, never through a shell.
    void startProgramPassesArguments()
    {
        const QString out = m_env->root() + "/args.txt";
        const QString script = m_env->root() + "/zeige.sh";
        writeBytes(script, "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > \"$KLANG_OUT.tmp\"\nmv \"$KLANG_OUT.tmp\" \"$KLANG_OUT\"\n");
        QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
        qputenv("KLANG_OUT", out.toUtf8());
        QString error = "alt";
        QVERIFY(startProgram(script, {"a b", "$(touch x); echo", "ä"}, &error));
        QVERIFY(error.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out), 5000);
        QCOMPARE(readAll(out), QByteArray("[a b]\n[$(touch x); echo]\n[ä]\n"));
        qunsetenv("KLANG_OUT");
    }

    // A missing sibling program is reported, not started from somewhere else.
    void siblingMissing()
    {
        QString error;
        QVERIFY(!startSiblingProgram("GibtEsNicht", {}, &error));
        QVERIFY(error.contains("GibtEsNicht"));
        QVERIFY(!startSiblingProgram("../bin/x", {}, &error));
    }

    // The desktop's default application for a document type is found through its .desktop file.
    void associatedProgramFromMimeapps()
    {
        const QString apps = m_env->dataHome() + "/applications";
        writeBytes(apps + "/klangtest-viewer.desktop",
                   "[Desktop Entry]\nType=Application\nName=Viewer\nExec=env LANG=C \"/opt/klang test/viewer\" --open %U\n");
        writeBytes(m_env->configHome() + "/mimeapps.list",
                   "[Default Applications]\ntext/plain=missing.desktop;klangtest-viewer.desktop;\n");
        const QString doc = m_env->root() + "/Liste.txt";
        writeBytes(doc, "Hallo\n");
        QCOMPARE(associatedProgram(doc), QStringLiteral("/opt/klang test/viewer"));
    }

    // Executables and missing files have no associated program.
    void associatedProgramNone()
    {
        const QString script = m_env->root() + "/prog.sh";
        writeBytes(script, "#!/bin/sh\n");
        QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
        QCOMPARE(associatedProgram(script), QString());
        QCOMPARE(associatedProgram(m_env->root() + "/fehlt.txt"), QString());
        QCOMPARE(associatedProgram(m_env->root()), QString());
    }

    // Nothing to open is refused at once instead of handing the desktop an empty address.
    void openNothing_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("missing file") << "/nirgends/Datei.pdf";
        QTest::newRow("plain word") << "Hallo";
    }
    void openNothing()
    {
        QFETCH(QString, target);
        QVERIFY(!openDocument(target));
    }

    // The program folder lies in the data home, with a trailing slash, and exists.
    void programFolder()
    {
        const QString p = programmPfad();
        QCOMPARE(p, m_env->dataHome() + "/Klangtruhe/");
        QVERIFY(QFileInfo(p).isDir());
        QVERIFY(executableDir().endsWith('/'));
        QVERIFY(QFileInfo(executableDir() + QFileInfo(QCoreApplication::applicationFilePath()).fileName()).isFile());
    }

    // The resource folder follows the environment and always ends in a slash.
    void resourceFolder()
    {
        qputenv("KLANGTRUHE_RESOURCES", (m_env->root() + "/res").toUtf8());
        QCOMPARE(resourceDir(), m_env->root() + "/res/");
    }

    // Seeding copies what is missing, folders too, and never overwrites the user's files.
    void seedingNeverOverwrites()
    {
        const QString res = m_env->root() + "/res/";
        writeBytes(res + "Infozeichen.wav", "new sound");
        writeBytes(res + "Tipps.txt", "tips");
        writeBytes(res + "Hilfe/index.html", "help");
        QFile::setPermissions(res + "Tipps.txt", QFileDevice::ReadOwner);
        qputenv("KLANGTRUHE_RESOURCES", res.toUtf8());
        const QString prog = programmPfad();
        writeBytes(prog + "Infozeichen.wav", "user's own");
        QDir().mkpath(prog + "Hilfe");
        QCOMPARE(seedProgramFolder(), 2);
        QCOMPARE(readAll(prog + "Infozeichen.wav"), QByteArray("user's own"));
        QCOMPARE(readAll(prog + "Tipps.txt"), QByteArray("tips"));
        QCOMPARE(readAll(prog + "Hilfe/index.html"), QByteArray("help"));
        QVERIFY(QFileInfo(prog + "Tipps.txt").permissions() & QFileDevice::WriteOwner);
        writeBytes(prog + "Tipps.txt", "edited");
        QCOMPARE(seedProgramFolder(), 0);
        QCOMPARE(readAll(prog + "Tipps.txt"), QByteArray("edited"));
    }

    // Seeding from a missing resource folder copies nothing and does no harm.
    void seedingWithoutResources()
    {
        qputenv("KLANGTRUHE_RESOURCES", (m_env->root() + "/gibt-es-nicht").toUtf8());
        QCOMPARE(seedProgramFolder(), 0);
    }

    // A second start is told to quit and hands its command line to the first, also where the
    // runtime folder's path is too long for a local socket.
    void singleInstanceSecondQuits_data()
    {
        QTest::addColumn<int>("ordnerLaenge");
        QTest::newRow("runtime folder") << 0;
        QTest::newRow("long runtime folder") << 120;
    }
    void singleInstanceSecondQuits()
    {
        QFETCH(int, ordnerLaenge);
        if (ordnerLaenge > 0) {
            const QString lang = m_env->path(QStringLiteral("runtime/") + QString(ordnerLaenge, QLatin1Char('x')));
            QVERIFY(QFile::setPermissions(lang, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
            qputenv("XDG_RUNTIME_DIR", lang.toUtf8());
        }
        const QString key = uniqueKey();
        SingleInstance first(key);
        QVERIFY(first.tryRun({"KlangtruhePlayer"}));
        QVERIFY(first.isPrimary());
        QSignalSpy spy(&first, &SingleInstance::activationRequested);
        SingleInstance second(key);
        const QStringList args{"KlangtruhePlayer", "/Musik/Lied mit Blanks.mp3", "ä"};
        QVERIFY(!second.tryRun(args));
        QVERIFY(!second.isPrimary());
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toStringList(), args);
    }

    // Different programs do not block each other, and the key ends with its owner.
    void singleInstanceKeysApartAndReleased()
    {
        const QString key = uniqueKey();
        {
            SingleInstance a(key);
            SingleInstance b(key + "-other");
            QVERIFY(a.tryRun({}));
            QVERIFY(b.tryRun({}));
        }
        SingleInstance again(key);
        QVERIFY(again.tryRun({}));
    }

    // A lock left behind by a crashed instance is taken over.
    void singleInstanceStaleLock()
    {
        const QString key = uniqueKey();
        const QString lockPath = SingleInstance(key).lockFilePath();
        const pid_t child = ::fork();
        if (child == 0) {
            QLockFile lock(lockPath);
            lock.tryLock(0);
            ::_exit(lock.isLocked() ? 0 : 1); // ends without unlocking, like a crash
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFileInfo::exists(lockPath));
        SingleInstance next(key);
        QVERIFY(next.tryRun({}));
    }

private:
    std::unique_ptr<test::TestEnvironment> m_env;
    QByteArray m_oldResources;
    QByteArray m_oldRuntime;
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
