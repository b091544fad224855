#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {

struct Lauf
{
    int exitCode = -1;
    bool beendet = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString ausgabe;
    qint64 dauer = 0;
};

QString programm()
{
    return QDir(qEnvironmentVariable("KLANGTRUHE_BIN_DIR")).filePath(QStringLiteral("Prueflotse"));
}

Lauf starten(const QString& bibliothek, bool mitAnzeige = true)
{
    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    if (mitAnzeige) {
        umgebung.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            umgebung.remove(QString::fromLatin1(name));
    }
    umgebung.insert(QStringLiteral("KLANGTRUHE_PRUEFLOTSE_TESTBERICHT"), QStringLiteral("1"));
    if (bibliothek.isEmpty())
        umgebung.remove(QStringLiteral("KLANGTRUHE_PRUEFLOTSE_LIB"));
    else
        umgebung.insert(QStringLiteral("KLANGTRUHE_PRUEFLOTSE_LIB"), bibliothek);
    QProcess p;
    p.setProcessEnvironment(umgebung);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer uhr;
    uhr.start();
    p.start(programm(), {});
    Lauf lauf;
    lauf.beendet = p.waitForFinished(20000);
    lauf.dauer = uhr.elapsed();
    if (!lauf.beendet)
        p.kill();
    lauf.exitCode = p.exitCode();
    lauf.status = p.exitStatus();
    lauf.ausgabe = QString::fromUtf8(p.readAllStandardOutput());
    return lauf;
}

} // namespace

class TestPrueflotse : public QObject
{
    Q_OBJECT
private:
    klang::test::TestEnvironment m_env;

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFile::exists(programm()), qPrintable(programm())); }

    // With the playback library loadable the check ends at once, shows no window and says
    // in one line on the terminal that the library is there, exit 0.
    void bibliothekVorhanden()
    {
        const Lauf lauf = starten(QString());
        QVERIFY(lauf.beendet);
        QCOMPARE(lauf.status, QProcess::NormalExit);
        QCOMPARE(lauf.exitCode, 0);
        QCOMPARE(lauf.ausgabe, QStringLiteral("Die Wiedergabebibliothek libmpv ist installiert.\n")); // no box
        QVERIFY2(lauf.dauer < 5000, qPrintable(QString::number(lauf.dauer)));
    }

    // The check writes nothing, so it never creates the program folder; with the library
    // present it needs no window and so no display either.
    void schreibtNichtsBrauchtKeineAnzeige_data()
    {
        QTest::addColumn<QString>("bibliothek");
        QTest::addColumn<bool>("mitAnzeige");
        QTest::addColumn<QString>("ausgabe");
        const QString vorhanden = QStringLiteral("Die Wiedergabebibliothek libmpv ist installiert.");
        QTest::newRow("vorhanden, ohne Anzeige") << QString() << false << vorhanden;
        QTest::newRow("vorhanden, mit Anzeige") << QString() << true << vorhanden;
        QTest::newRow("fehlt, Kasten gezeigt")
            << QStringLiteral("libklangtruhe-gibt-es-nicht.so.9") << true
            << QStringLiteral("Fenster=frmMsgFenn");
        // No box can show: the message goes to the terminal, no abort.
        QTest::newRow("fehlt, ohne Anzeige")
            << QStringLiteral("libklangtruhe-gibt-es-nicht.so.9") << false << QString();
    }
    void schreibtNichtsBrauchtKeineAnzeige()
    {
        QFETCH(QString, bibliothek);
        QFETCH(bool, mitAnzeige);
        QFETCH(QString, ausgabe);
        const QString ordner = m_env.dataHome() + QStringLiteral("/Klangtruhe");
        QDir(ordner).removeRecursively();
        const Lauf lauf = starten(bibliothek, mitAnzeige);
        QVERIFY(lauf.beendet);
        QCOMPARE(lauf.status, QProcess::NormalExit);
        QCOMPARE(lauf.exitCode, 0);
        QCOMPARE(lauf.ausgabe.section(QLatin1Char('\n'), 0, 0), ausgabe);
        QVERIFY2(!QFileInfo::exists(ordner), qPrintable(ordner));
    }

    // Without it, exactly one modal box with the mended text, stop icon, OK only, light red,
    // at 500/500 twips (33/33 pixels); after OK the program ends with exit 0.
    void bibliothekFehlt()
    {
        const Lauf lauf = starten(QStringLiteral("libklangtruhe-gibt-es-nicht.so.9"));
        QVERIFY(lauf.beendet);
        QCOMPARE(lauf.status, QProcess::NormalExit);
        QCOMPARE(lauf.exitCode, 0);
        const QStringList zeilen = lauf.ausgabe.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList erwartet{
            QStringLiteral("Fenster=frmMsgFenn"),
            QStringLiteral("Titel=Hinweis Klangtruhe"),
            QStringLiteral("Text=Auf Ihrem System ist die Wiedergabebibliothek libmpv nicht installiert!"),
            QStringLiteral("Knoepfe=cmdButton0"),
            QStringLiteral("Symbole=imgMsgIcon4"),
            QStringLiteral("Position=33,33"),
            QStringLiteral("Hintergrund=#ffc0c0"),
            QStringLiteral("Schrift=#002335"),
            QStringLiteral("Modal=1"),
        };
        QCOMPARE(zeilen, erwartet);
    }

    // The check must run where the library is absent, so the binary does not link it.
    void linktBibliothekNicht()
    {
        const QString ldd = QStandardPaths::findExecutable(QStringLiteral("ldd"));
        if (ldd.isEmpty())
            QSKIP("ldd is not available");
        QProcess p;
        p.start(ldd, {programm()});
        QVERIFY(p.waitForFinished(10000));
        const QString abhaengig = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY(abhaengig.contains(QLatin1String("libQt6Widgets")));
        QVERIFY2(!abhaengig.contains(QLatin1String("mpv")), qPrintable(abhaengig));
    }
};

QTEST_GUILESS_MAIN(TestPrueflotse)
#include "tst_prueflotse.moc"
