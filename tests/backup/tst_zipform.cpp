#include "backup/ZipForm.h"
#include "backup/AusgabeFenster.h"
#include "kit/TestHook.h"
#include "platform/settings/Settings.h"
#include "backup/AdminNeustart.h"
#include "platform/shell/Paths.h"
#include "platform/textfiles/LineFile.h"
#include "tests/support/SmallFileSystem.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

#include <QElapsedTimer>
#include <QScopeGuard>

#include <csignal>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using namespace backup;

namespace {

const QString App = QStringLiteral("Ordnerwacht");
const QString Opt = QStringLiteral("Options");

QString setting(const QString& key)
{
    return klang::GetSetting(App, Opt, key, QStringLiteral("<none>"));
}

// A program that writes each argument it receives on a line of args.txt beside itself.
QString recorder(const QString& ordner, const QString& name, int exitCode = 0)
{
    QDir().mkpath(ordner);
    const QString pfad = ordner + QLatin1Char('/') + name;
    QFile f(pfad);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(QStringLiteral("#!/bin/sh\nout=\"$(dirname \"$0\")/args.txt\"\n: > \"$out\"\n"
                           "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out\"; done\nexit %1\n")
                .arg(exitCode)
                .toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return pfad;
}

QStringList recorded(const QString& programm)
{
    QFile f(QFileInfo(programm).path() + QStringLiteral("/args.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList zeilen = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (!zeilen.isEmpty() && zeilen.last().isEmpty())
        zeilen.removeLast();
    return zeilen;
}

// A shell script under the given name that runs body.
QString skript(const QString& ordner, const QString& name, const QByteArray& body)
{
    QDir().mkpath(ordner);
    const QString pfad = ordner + QLatin1Char('/') + name;
    QFile f(pfad);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("#!/bin/sh\n" + body + "\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser | QFileDevice::ExeGroup
                     | QFileDevice::ExeOther | QFileDevice::ReadOther | QFileDevice::ReadGroup);
    return pfad;
}

void writeFile(const QString& pfad, const QByteArray& inhalt)
{
    QDir().mkpath(QFileInfo(pfad).path());
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
}

} // namespace

class TestZipForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void firstStartShowsCommandOnly();
    void controlsCarryNamesAndCaptions_data();
    void controlsCarryNamesAndCaptions();
    void choosingListItemRefreshesCode();
    void chosenProgramJoinsListOnce();
    void programmCheckAddsCopyProgramsOnce();
    void listsSurviveRestart_data();
    void listsSurviveRestart();
    void parameterRestoreSkipsBlankItems();
    void enterInExtensionList_data();
    void enterInExtensionList();
    void deleteRemovesOnlySelectedItem();
    void checkBoxesSavedOnEveryChange();
    void archiveNameRebuildsTarget();
    void infoShowsTenBlocks();
    void programChoiceAppliesDefaults_data();
    void programChoiceAppliesDefaults();
    void emptyMaskBecomesAllFiles();
    void refreshNeverRunsButPressDoes();
    void pathsArriveAsSingleArguments();
    void refusedRuns_data();
    void refusedRuns();
    void missingProgramReported();
    void errorExitCodeReported();
    void mirrorAsksFirst_data();
    void mirrorAsksFirst();
    void positionKeptWhenMaximised();
    void sourceHistoryKept_data();
    void sourceHistoryKept();
    void adminRestartWaitsForThisCopy();
    void realSevenZipPacksEverything();
    void incompleteBackupWarns_data();
    void incompleteBackupWarns();
    void outputWindowShowsRun_data();
    void outputWindowShowsRun();
    void closingWhileRunningDefaultsToNein();
    void adminRestartKeepsWindow_data();
    void adminRestartKeepsWindow();
    void damagedCountsAndHugeHistories();
    void elevatedCopyFollowsNoLinks();
    void elevatedRunWritesAsTargetOwner_data();
    void elevatedRunWritesAsTargetOwner();

private:
    std::unique_ptr<ZipForm> neuesFenster();
    QList<kit::testhook::Call> boxes(const QString& titleStart) const;

    std::unique_ptr<klang::test::TestEnvironment> m_env;
    QString m_alterOrdner;
};

void TestZipForm::init()
{
    m_env = std::make_unique<klang::test::TestEnvironment>();
    kit::testhook::enable();
    kit::testhook::clear();
    // Relative paths (the default source) resolve inside the test's own folder.
    m_alterOrdner = QDir::currentPath();
    QDir::setCurrent(m_env->path(QStringLiteral("cwd")));
}

void TestZipForm::cleanup()
{
    QDir::setCurrent(m_alterOrdner);
    kit::testhook::clear();
    kit::testhook::disable();
    m_env.reset();
}

std::unique_ptr<ZipForm> TestZipForm::neuesFenster()
{
    // No copy programs on this machine unless a test says otherwise.
    return std::make_unique<ZipForm>(nullptr, [](const QString&) { return QString(); });
}

QList<kit::testhook::Call> TestZipForm::boxes(const QString& titleStart) const
{
    QList<kit::testhook::Call> result;
    for (const auto& call : kit::testhook::calls()) {
        if (call.title.startsWith(titleStart))
            result.append(call);
    }
    return result;
}

// First start: source the home folder, target the separator alone, archive name AppOrdner,
// a command line shown and nothing run.
void TestZipForm::firstStartShowsCommandOnly()
{
    auto form = neuesFenster();
    QCOMPARE(form->findChild<QComboBox*>("txtQuellpfad")->currentText(), QDir::homePath() + "/");
    QCOMPARE(form->quellpfad(), QDir::homePath() + "/");
    QCOMPARE(form->zielpfad(), QStringLiteral("/"));
    QCOMPARE(form->findChild<QLineEdit*>("Text_Archivname")->text(), QStringLiteral("Ordnerwacht"));
    QCOMPARE(form->findChild<QComboBox*>("txtZielpfad")->currentText(), QStringLiteral("/Ordnerwacht"));
    QVERIFY(!form->findChild<QLineEdit*>("txtCode")->text().isEmpty());
    QVERIFY(form->findChild<QLineEdit*>("txtCode")->isReadOnly());
    QVERIFY(!form->laeuft());
    QVERIFY(!form->nurAnzeigen());
    QVERIFY(kit::testhook::calls().isEmpty());
}

// Every control is a real widget under its own name, with its caption and tooltip.
void TestZipForm::controlsCarryNamesAndCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("cmdQuellpfad") << "cmdQuellpfad" << "..." << " Quellpfad festlegen";
    QTest::newRow("cmdZielpfad") << "cmdZielpfad" << "..." << " Zielpfad festlegen";
    QTest::newRow("cmdVerzPfad") << "cmdVerzPfad" << "..." << " Komprimierprogramm festlegen";
    QTest::newRow("Text_Archivname") << "Text_Archivname" << "" << "Name des Ziparchivs eingeben";
    QTest::newRow("Text_Extension") << "Text_Extension" << "" << "Beliebige Extension z.B. *.txt";
    QTest::newRow("cboKomprimierProg") << "cboKomprimierProg" << "" << " Enter = einfügen, Entf = löschen";
    QTest::newRow("cboParameter") << "cboParameter" << "" << " Enter = einfügen, Entf = löschen";
    QTest::newRow("cboExtension") << "cboExtension" << "" << " Enter = einfügen, Entf = löschen";
    QTest::newRow("chkBeenden") << "chkBeenden" << "nach Aufruf beenden"
                                << " nach Aufruf des Dos-Fensters Ordnerwacht sofort beenden";
    QTest::newRow("chkDosfenster") << "chkDosfenster" << "Dos-Fenster minimieren"
                                   << " minimiert das Dos-Fenster in die Taskleiste";
    QTest::newRow("Command_Packen") << "Command_Packen" << "&Ordnerwacht" << "";
    QTest::newRow("cmdCodeAnzeigen") << "cmdCodeAnzeigen" << "&Code aktualisieren" << "";
    QTest::newRow("cmdInfo") << "cmdInfo" << "&Info" << " Hilfe anzeigen";
    QTest::newRow("Command_Exit") << "Command_Exit" << "&Beenden" << "";
    QTest::newRow("Label1_7") << "Label1_7" << "Version: " << "";
}

void TestZipForm::controlsCarryNamesAndCaptions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, tooltip);
    auto form = neuesFenster();
    auto* w = form->findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->toolTip(), tooltip);
    const QVariant shown = w->property("text");
    if (!text.isEmpty())
        QVERIFY2(shown.toString().startsWith(text), qPrintable(shown.toString()));
    if (name == QLatin1String("Command_Packen")) {
        auto* admin = form->findChild<QAction*>("Admin");
        QVERIFY(admin);
        QCOMPARE(admin->text(), QStringLiteral("als Admin neustarten"));
    }
}

// Choosing an item of the parameter or extension list refreshes the shown line, nothing runs.
void TestZipForm::choosingListItemRefreshesCode()
{
    auto form = neuesFenster();
    auto* parameter = form->findChild<QComboBox*>("cboParameter");
    for (const char* t : {"a -r", "u -r"}) {
        parameter->setEditText(QString::fromLatin1(t));
        QTest::keyClick(parameter, Qt::Key_Return);
    }
    parameter->setCurrentIndex(1);
    Q_EMIT parameter->activated(1);
    QVERIFY(form->findChild<QLineEdit*>("txtCode")->text().startsWith(QStringLiteral(" u -r ")));
    QVERIFY(!form->nurAnzeigen());
    QVERIFY(!form->laeuft());
}

// A program chosen twice in the file dialog is listed once and saved as the last program.
void TestZipForm::chosenProgramJoinsListOnce()
{
    auto form = neuesFenster();
    form->dateiWaehler = [] { return QStringLiteral("/usr/bin/7z"); };
    form->cmdVerzPfad_Click();
    form->cmdVerzPfad_Click();
    QCOMPARE(form->findChild<QComboBox*>("cboKomprimierProg")->count(), 1);
    QCOMPARE(setting("OrdnerwachtLastKomprimierProg"), QStringLiteral("/usr/bin/7z"));
    QCOMPARE(form->findChild<QComboBox*>("cboExtension")->currentText(), QStringLiteral(".7z"));
    form->dateiWaehler = [] { return QString(); }; // cancelled: nothing changes
    form->cmdVerzPfad_Click();
    QCOMPARE(form->findChild<QComboBox*>("cboKomprimierProg")->currentText(), QStringLiteral("/usr/bin/7z"));
}

// Found copy programs join the list once, with their parameters; Robocopy ends up current.
void TestZipForm::programmCheckAddsCopyProgramsOnce()
{
    // The start-up search also finds this system's programs; the last found (rsync, the
    // mirror like Robocopy) becomes the current one with its own defaults.
    const QHash<QString, QString> system{{"xcopy", "/usr/local/bin/xcopy"}, {"robocopy", "/usr/local/bin/robocopy"},
                                         {"zip", "/usr/bin/zip"}, {"7z", "/usr/bin/7z"}, {"cp", "/bin/cp"},
                                         {"rsync", "/usr/bin/rsync"}};
    const auto sucher = [&system](const QString& name) { return system.value(name); };
    {
        ZipForm form(nullptr, sucher);
        auto* prog = form.findChild<QComboBox*>("cboKomprimierProg");
        QCOMPARE(prog->count(), 6);
        QCOMPARE(prog->currentText(), QStringLiteral("/usr/bin/rsync"));
        QCOMPARE(form.findChild<QComboBox*>("cboParameter")->count(), 6);
        QCOMPARE(form.findChild<QComboBox*>("cboParameter")->currentText(), QStringLiteral("-a --delete -v"));
        QVERIFY(form.kopiermodus()); // no parameter text yet: the defaults were applied
        QVERIFY(form.findChild<QLineEdit*>("txtCode")->text().startsWith(QStringLiteral("rsync -a --delete -v -- ")));
        form.close();
    }
    ZipForm again(nullptr, sucher);
    QCOMPARE(again.findChild<QComboBox*>("cboKomprimierProg")->count(), 6);
    QCOMPARE(again.findChild<QComboBox*>("cboParameter")->count(), 6);
}

// Lists of 0, 1, 2 and 300 items come back whole and in order; an empty list stores "-1".
void TestZipForm::listsSurviveRestart_data()
{
    QTest::addColumn<QString>("liste");
    QTest::addColumn<QString>("zaehler");
    QTest::addColumn<int>("anzahl");
    QTest::newRow("parameter 0") << "cboParameter" << "OrdnerwachtParameterAnzahl" << 0;
    QTest::newRow("parameter 1") << "cboParameter" << "OrdnerwachtParameterAnzahl" << 1;
    QTest::newRow("programs 2") << "cboKomprimierProg" << "OrdnerwachtKomprimierProgAnzahl" << 2;
    QTest::newRow("extensions 300") << "cboExtension" << "OrdnerwachtExtensionAnzahl" << 300;
}

void TestZipForm::listsSurviveRestart()
{
    QFETCH(QString, liste);
    QFETCH(QString, zaehler);
    QFETCH(int, anzahl);
    QStringList erwartet;
    {
        auto form = neuesFenster();
        auto* combo = form->findChild<QComboBox*>(liste);
        for (int i = 0; i < anzahl; ++i) {
            const QString text = QStringLiteral(".e%1").arg(i, 3, 10, QLatin1Char('0'));
            combo->setEditText(text);
            QTest::keyClick(combo, Qt::Key_Return);
            erwartet.append(text);
        }
        QCOMPARE(combo->count(), anzahl);
        form->close();
    }
    QCOMPARE(setting(zaehler), QString::number(anzahl - 1));
    auto form = neuesFenster();
    auto* combo = form->findChild<QComboBox*>(liste);
    QStringList gelesen;
    for (int i = 0; i < combo->count(); ++i)
        gelesen.append(combo->itemText(i));
    QCOMPARE(gelesen, erwartet);
}

// Stored parameter items that are empty or one blank are not restored.
void TestZipForm::parameterRestoreSkipsBlankItems()
{
    klang::SaveSetting(App, Opt, "OrdnerwachtParameterAnzahl", "2");
    klang::SaveSetting(App, Opt, "OrdnerwachtParameterAnzahl0", "");
    klang::SaveSetting(App, Opt, "OrdnerwachtParameterAnzahl1", " ");
    klang::SaveSetting(App, Opt, "OrdnerwachtParameterAnzahl2", "a -r");
    auto form = neuesFenster();
    auto* combo = form->findChild<QComboBox*>("cboParameter");
    QCOMPARE(combo->count(), 1);
    QCOMPARE(combo->itemText(0), QStringLiteral("a -r"));
}

// Enter in the extension list puts a "." in front and shows it; empty and duplicate texts
// are not added.
void TestZipForm::enterInExtensionList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("gezeigt");
    QTest::addColumn<int>("anzahl");
    QTest::newRow("zip") << "zip" << ".zip" << 2;
    QTest::newRow(".7z") << ".7z" << ".7z" << 2;
    QTest::newRow("empty") << "" << "" << 1;
    QTest::newRow("duplicate") << ".rar" << ".rar" << 1;
    QTest::newRow("duplicate without dot") << "rar" << ".rar" << 1;
}

void TestZipForm::enterInExtensionList()
{
    QFETCH(QString, text);
    QFETCH(QString, gezeigt);
    QFETCH(int, anzahl);
    auto form = neuesFenster();
    auto* combo = form->findChild<QComboBox*>("cboExtension");
    combo->setEditText(QStringLiteral(".rar"));
    QTest::keyClick(combo, Qt::Key_Return);
    combo->setEditText(text);
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(combo->currentText(), gezeigt);
    QCOMPARE(combo->count(), anzahl);
    if (!gezeigt.isEmpty())
        QVERIFY(combo->findText(gezeigt) >= 0);
}

// Delete removes the selected item and keeps the text; without a selection it changes nothing.
void TestZipForm::deleteRemovesOnlySelectedItem()
{
    auto form = neuesFenster();
    auto* combo = form->findChild<QComboBox*>("cboParameter");
    for (const char* t : {"a -r", "-p -r"}) {
        combo->setEditText(QString::fromLatin1(t));
        QTest::keyClick(combo, Qt::Key_Return);
    }
    QCOMPARE(combo->count(), 2);
    combo->setEditText(QStringLiteral("a -r"));
    QTest::keyClick(combo, Qt::Key_Delete); // typed, not selected
    QCOMPARE(combo->count(), 2);
    combo->setCurrentIndex(combo->findText(QStringLiteral("a -r")));
    QTest::keyClick(combo, Qt::Key_Delete);
    QCOMPARE(combo->count(), 1);
    QCOMPARE(combo->itemText(0), QStringLiteral("-p -r"));
    QCOMPARE(combo->currentText(), QStringLiteral("a -r"));
}

// Check boxes store "1"/"0" at every change, by keyboard as by mouse, and come back.
void TestZipForm::checkBoxesSavedOnEveryChange()
{
    {
        auto form = neuesFenster();
        form->show();
        auto* beenden = form->findChild<QCheckBox*>("chkBeenden");
        auto* dos = form->findChild<QCheckBox*>("chkDosfenster");
        beenden->setFocus();
        QTest::keyClick(beenden, Qt::Key_Space);
        QCOMPARE(setting("OrdnerwachtBeenden"), QStringLiteral("1"));
        QTest::keyClick(beenden, Qt::Key_Space);
        QCOMPARE(setting("OrdnerwachtBeenden"), QStringLiteral("0"));
        QTest::mouseClick(dos, Qt::LeftButton, {}, QPoint(5, dos->height() / 2));
        QCOMPARE(setting("OrdnerwachtDosfenster"), QStringLiteral("1"));
        form->close();
    }
    auto form = neuesFenster();
    QVERIFY(form->findChild<QCheckBox*>("chkDosfenster")->isChecked());
    QVERIFY(!form->findChild<QCheckBox*>("chkBeenden")->isChecked());
}

// Archive name and extension (typed or set in code) rebuild the target field.
void TestZipForm::archiveNameRebuildsTarget()
{
    klang::SaveSetting(App, Opt, "OrdnerwachtZielpfad", "/sich/");
    auto form = neuesFenster();
    form->findChild<QLineEdit*>("Text_Archivname")->setText(QStringLiteral("Woche"));
    form->findChild<QComboBox*>("cboExtension")->setEditText(QStringLiteral(".7z"));
    QCOMPARE(form->archivdatei(), QStringLiteral("Woche.7z"));
    QCOMPARE(form->findChild<QComboBox*>("txtZielpfad")->currentText(), QStringLiteral("/sich/Woche.7z"));
    QTest::keyClicks(form->findChild<QLineEdit*>("Text_Archivname"), QStringLiteral("X"));
    QCOMPARE(form->findChild<QComboBox*>("txtZielpfad")->currentText(), QStringLiteral("/sich/WocheX.7z"));
}

// The help box shows the ten blocks of the Windows programs, then the programs this system
// offers with the parameters a choice sets, in a style-1 box.
void TestZipForm::infoShowsTenBlocks()
{
    const QString text = ZipForm::infoText();
    const QStringList bloecke = text.split(QStringLiteral("\n\n"));
    QCOMPARE(bloecke.size(), 15);
    QCOMPARE(bloecke.at(9), QStringLiteral("7-Zip:\n.7z\n*.*\na -r"));
    for (const char* programm : {"cp", "rsync", "zip", "7z"})
        QVERIFY2(text.contains(QLatin1String(programm) + QStringLiteral(":\n")), programm);
    QVERIFY(text.contains(QStringLiteral("cp:\n-a -u -v")));
    QVERIFY(text.contains(QStringLiteral("rsync:\n-a --delete -v")));
    QVERIFY(text.contains(QStringLiteral("zip:\n.zip\n*\n-r")));
    QVERIFY(text.startsWith(QStringLiteral("Ordnerwacht.exe sichert jeden Ordner")));
    auto form = neuesFenster();
    form->cmdInfo_Click();
    const auto calls = boxes(QStringLiteral("Ordnerwacht (Ordnerwacht.exe)"));
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.first().style, 1);
    QCOMPARE(calls.first().prompt, text);
}

// Choosing a program applies its row; a program without a row keeps mode and fields.
void TestZipForm::programChoiceAppliesDefaults_data()
{
    QTest::addColumn<QString>("programm");
    QTest::addColumn<bool>("kopiermodus");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("maske");
    QTest::addColumn<QString>("parameter");
    QTest::newRow("7z") << "/usr/bin/7z" << false << ".7z" << "*.*" << "a -r";
    QTest::newRow("wzzip") << "C:\\Programme\\WinZip\\WZZIP.EXE" << false << ".zip" << "*.*" << "-p -r";
    QTest::newRow("xcopy") << "/usr/bin/xcopy" << true << "" << "*.*" << "/D /E /C /F /Y /H /R /K";
    QTest::newRow("unknown keeps 7z") << "/usr/bin/tar" << false << ".7z" << "*.*" << "a -r";
}

void TestZipForm::programChoiceAppliesDefaults()
{
    QFETCH(QString, programm);
    QFETCH(bool, kopiermodus);
    QFETCH(QString, extension);
    QFETCH(QString, maske);
    QFETCH(QString, parameter);
    auto form = neuesFenster();
    auto* prog = form->findChild<QComboBox*>("cboKomprimierProg");
    prog->setEditText(QStringLiteral("/usr/bin/7z"));
    form->cboKomprimierProg_Click();
    prog->setEditText(programm);
    form->cboKomprimierProg_Click();
    QCOMPARE(form->kopiermodus(), kopiermodus);
    QCOMPARE(form->findChild<QComboBox*>("cboExtension")->currentText(), extension);
    QCOMPARE(form->findChild<QLineEdit*>("Text_Extension")->text(), maske);
    QCOMPARE(form->findChild<QComboBox*>("cboParameter")->currentText(), parameter);
    QVERIFY(!form->findChild<QLineEdit*>("txtCode")->text().isEmpty());
    QVERIFY(!form->nurAnzeigen());
}

// An archive run with an empty or one-blank mask uses "*.*" and the field shows it.
void TestZipForm::emptyMaskBecomesAllFiles()
{
    auto form = neuesFenster();
    form->findChild<QComboBox*>("cboKomprimierProg")->setEditText(QStringLiteral("/usr/bin/7z"));
    form->cboKomprimierProg_Click();
    for (const QString& leer : {QString(), QStringLiteral(" ")}) {
        form->findChild<QLineEdit*>("Text_Extension")->setText(leer);
        form->cmdCodeAnzeigen_Click();
        QCOMPARE(form->findChild<QLineEdit*>("Text_Extension")->text(), QStringLiteral("*.*"));
    }
    QVERIFY(form->findChild<QLineEdit*>("txtCode")->text().endsWith(QDir::homePath() + "/*"));
}

// A refresh never starts the program nor closes the window, even with "nach Aufruf beenden";
// a direct press does both. The three last-used settings are written by both.
void TestZipForm::refreshNeverRunsButPressDoes()
{
    const QString prog = recorder(m_env->path("bin"), "7z");
    QDir().mkpath(m_env->path("quelle"));
    QDir().mkpath(m_env->path("ziel"));
    klang::SaveSetting(App, Opt, "OrdnerwachtQuellpfad", m_env->path("quelle") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtZielpfad", m_env->path("ziel") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtBeenden", "1");
    klang::SaveSetting(App, Opt, "OrdnerwachtLastKomprimierProg", prog);
    auto form = neuesFenster();
    form->show();
    form->cboKomprimierProg_Click();
    form->cmdCodeAnzeigen_Click();
    QVERIFY(form->isVisible());
    QTest::qWait(200);
    QVERIFY(recorded(prog).isEmpty());
    QCOMPARE(setting("OrdnerwachtLastExtension"), QStringLiteral(".7z"));
    QCOMPARE(setting("OrdnerwachtLastParameter"), QStringLiteral("a -r"));
    QCOMPARE(setting("OrdnerwachtLastKomprimierProg"), prog);

    form->findChild<QComboBox*>("cboParameter")->setEditText(QStringLiteral("a"));
    form->Command_Packen_Click();
    QVERIFY(!form->isVisible());
    QTRY_COMPARE(recorded(prog).value(0), QStringLiteral("a"));
    QVERIFY(!form->ausgabeFenster()); // "nach Aufruf beenden": the run goes on detached
    QCOMPARE(setting("OrdnerwachtLastParameter"), QStringLiteral("a"));
    QVERIFY(boxes(QString()).isEmpty());
}

// Paths with blanks arrive as single arguments; a folder named "$(touch x)" is passed
// literally (no shell runs it); the shown line quotes both.
void TestZipForm::pathsArriveAsSingleArguments()
{
    const QString prog = recorder(m_env->path("my bin"), "7z");
    const QString quelle = m_env->path("$(touch x)") + "/";
    const QString ziel = m_env->path("Ziel Platte") + "/";
    auto form = neuesFenster();
    form->ordnerWaehler = [&](const QString& titel) {
        return titel == QLatin1String("Quellpfad festlegen") ? quelle : ziel;
    };
    form->findChild<QComboBox*>("cboKomprimierProg")->setEditText(prog);
    form->cboKomprimierProg_Click();
    form->cmdQuellpfad_Click();
    form->cmdZielpfad_Click();
    form->findChild<QComboBox*>("cboParameter")->setEditText(QStringLiteral("  a -r"));
    QSignalSpy ende(form.get(), &ZipForm::laufBeendet);
    form->Command_Packen_Click();
    QVERIFY(ende.wait(10000));
    QCOMPARE(ende.first().at(1).toBool(), true);
    // 7-Zip runs inside the source and gets the mask alone (it would expand wildcards in the
    // source's name).
    QCOMPARE(recorded(prog), (QStringList{"a", "-r", "--", ziel + "Ordnerwacht.7z", "*"}));
    QVERIFY(!QFile::exists(QDir::current().filePath("x")));
    QVERIFY(!QFile::exists(quelle + "x"));
    QVERIFY(!QFile::exists(QFileInfo(prog).path() + "/x"));
    const QString code = form->findChild<QLineEdit*>("txtCode")->text();
    QCOMPARE(code, QStringLiteral("7z   a -r -- \"%1Ordnerwacht.7z\" '%2*'").arg(ziel, quelle));
    QVERIFY(!form->nurAnzeigen());
}

// Runs with an empty or missing source, an empty or root target, or a target inside the
// source are refused with a message; nothing runs and the next press is a real one again.
void TestZipForm::refusedRuns_data()
{
    QTest::addColumn<QString>("quelle");
    QTest::addColumn<QString>("ziel");
    QTest::addColumn<QString>("programmName");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("archivname");
    QTest::newRow("empty source") << "" << "{E}/ziel/" << "7z" << "a -r" << "A";
    QTest::newRow("missing source") << "{E}/fehlt/" << "{E}/ziel/" << "7z" << "a -r" << "A";
    QTest::newRow("root target") << "{E}/quelle/" << "/" << "7z" << "a -r" << "A";
    QTest::newRow("mirror onto root") << "{E}/quelle/" << "/" << "robocopy" << "/MIR" << "";
    QTest::newRow("target inside source") << "{E}/quelle/" << "{E}/quelle/" << "robocopy" << "/MIR" << "A";
    // A typed source that 7-Zip would take as its password switch, and a missing target.
    QTest::newRow("relative source like a switch") << "-p/" << "{E}/ziel/" << "7z" << "a -r" << "A";
    QTest::newRow("missing target folder") << "{E}/quelle/" << "{E}/fehlt/" << "7z" << "a -r" << "A";
    // Run as root: a folder root owns in which others may write, and a copy target of root's
    // that holds another user's folder (links planted there would lead root's copy).
    QTest::newRow("root's target open to others") << "{E}/quelle/" << "{OFFEN}/" << "7z" << "a -r" << "A";
    QTest::newRow("root's copy target holding another's folder") << "{E}/quelle/" << "{FREMD}/" << "cp" << "-a" << "A";
}

void TestZipForm::refusedRuns()
{
    QFETCH(QString, quelle);
    QFETCH(QString, ziel);
    QFETCH(QString, programmName);
    QFETCH(QString, parameter);
    QFETCH(QString, archivname);
    quelle.replace("{E}", m_env->root());
    ziel.replace("{E}", m_env->root());
    if (ziel.startsWith(QLatin1Char('{'))) {
        if (::geteuid() != 0)
            QSKIP("only a program running as root is refused there");
        QFile::setPermissions(m_env->path("offen"), QFileDevice::Permissions(0x7777));
        QCOMPARE(::chown(QFile::encodeName(m_env->path("fremd/A/unter")).constData(), 65534, 65534), 0);
        ziel.replace("{OFFEN}", m_env->path("offen")).replace("{FREMD}", m_env->path("fremd"));
    }
    QDir().mkpath(m_env->path("quelle"));
    QDir().mkpath(m_env->path("ziel"));
    if (quelle.startsWith(QLatin1Char('-'))) // it exists where the program was started
        QDir().mkpath(QDir::current().filePath(quelle));
    const QString prog = recorder(m_env->path("bin"), programmName);
    klang::SaveSetting(App, Opt, "OrdnerwachtQuellpfad", quelle);
    klang::SaveSetting(App, Opt, "OrdnerwachtZielpfad", ziel);
    klang::SaveSetting(App, Opt, "OrdnerwachtLastKomprimierProg", prog);
    auto form = neuesFenster();
    form->cboKomprimierProg_Click();
    form->findChild<QComboBox*>("cboParameter")->setEditText(parameter);
    form->findChild<QLineEdit*>("Text_Archivname")->setText(archivname);
    kit::testhook::queueAnswer(QStringLiteral("Ok"));
    form->Command_Packen_Click();
    QTest::qWait(200);
    QVERIFY(recorded(prog).isEmpty());
    const auto calls = boxes(QStringLiteral("Eingabehinweis"));
    QCOMPARE(calls.size(), 1);
    QVERIFY(!calls.first().prompt.isEmpty());
    QVERIFY(!form->nurAnzeigen());
    QVERIFY(!form->laeuft());
}

// A program that is not there gives the error box, not silence.
void TestZipForm::missingProgramReported()
{
    QDir().mkpath(m_env->path("quelle"));
    klang::SaveSetting(App, Opt, "OrdnerwachtQuellpfad", m_env->path("quelle") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtZielpfad", m_env->path("ziel") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtLastKomprimierProg", "/nicht/da/7z");
    auto form = neuesFenster();
    form->cboKomprimierProg_Click();
    form->Command_Packen_Click();
    const auto calls = boxes(QStringLiteral("ZipForm_Command_Packen_Click"));
    QCOMPARE(calls.size(), 1);
    QVERIFY(calls.first().prompt.contains(QStringLiteral("/nicht/da/7z")));
    QVERIFY(!form->laeuft());
    QVERIFY(!form->nurAnzeigen());
}

// A run ending with the program's error exit code is reported through the error box.
void TestZipForm::errorExitCodeReported()
{
    const QString prog = recorder(m_env->path("bin"), "7z", 2);
    QDir().mkpath(m_env->path("quelle"));
    klang::SaveSetting(App, Opt, "OrdnerwachtQuellpfad", m_env->path("quelle") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtZielpfad", m_env->path("ziel") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtLastKomprimierProg", prog);
    auto form = neuesFenster();
    form->cboKomprimierProg_Click();
    QSignalSpy ende(form.get(), &ZipForm::laufBeendet);
    form->Command_Packen_Click();
    QVERIFY(ende.wait(10000));
    QCOMPARE(ende.first().at(0).toInt(), 2);
    QCOMPARE(ende.first().at(1).toBool(), false);
    const auto calls = boxes(QStringLiteral("ZipForm_Command_Packen_Click"));
    QCOMPARE(calls.size(), 1);
    QVERIFY(calls.first().prompt.contains(QStringLiteral("2")));
}

// A mirror run shows its command and runs only after "Ja"; copy runs create the target folder.
void TestZipForm::mirrorAsksFirst_data()
{
    QTest::addColumn<QString>("antwort");
    QTest::addColumn<bool>("laeuft");
    QTest::newRow("yes") << "Ja" << true;
    QTest::newRow("no") << "Nein" << false;
    QTest::newRow("closed") << "" << false;
}

void TestZipForm::mirrorAsksFirst()
{
    QFETCH(QString, antwort);
    QFETCH(bool, laeuft);
    const QString prog = recorder(m_env->path("bin"), "robocopy");
    QDir().mkpath(m_env->path("quelle"));
    QDir().mkpath(m_env->path("ziel"));
    klang::SaveSetting(App, Opt, "OrdnerwachtQuellpfad", m_env->path("quelle") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtZielpfad", m_env->path("ziel") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtLastKomprimierProg", prog);
    auto form = neuesFenster();
    form->cboKomprimierProg_Click();
    QVERIFY(form->kopiermodus());
    kit::testhook::queueAnswer(antwort);
    QSignalSpy ende(form.get(), &ZipForm::laufBeendet);
    form->Command_Packen_Click();
    const auto calls = boxes(QStringLiteral("Sicherheitsabfrage"));
    QCOMPARE(calls.size(), 1);
    QVERIFY(calls.first().prompt.contains(form->findChild<QLineEdit*>("txtCode")->text()));
    QCOMPARE(calls.first().defaultButton, 2); // Enter answers "Nein"
    const QString ziel = m_env->path("ziel") + "/Ordnerwacht";
    if (laeuft) {
        QVERIFY(ende.wait(10000));
        QCOMPARE(recorded(prog).mid(0, 3), (QStringList{m_env->path("quelle"), ziel, "/MIR"}));
        QVERIFY(QFileInfo(ziel).isDir());
    } else {
        QTest::qWait(200);
        QVERIFY(recorded(prog).isEmpty());
        QVERIFY(!QFileInfo::exists(ziel));
    }
}

// Closing while maximised leaves the saved position as it was; a normal window saves it.
void TestZipForm::positionKeptWhenMaximised()
{
    // A place where the whole window fits on the test screen.
    klang::SaveSetting(App, Opt, "OrdnerwachtForm1Left", "450");
    klang::SaveSetting(App, Opt, "OrdnerwachtForm1Top", "750");
    {
        auto form = neuesFenster();
        QCOMPARE(form->pos(), QPoint(30, 50));
        form->move(300, 300);
        form->show();
        form->setWindowState(Qt::WindowMaximized);
        QVERIFY(form->isMaximized());
        form->close();
    }
    QCOMPARE(setting("OrdnerwachtForm1Left"), QStringLiteral("450"));
    auto form = neuesFenster();
    form->move(20, 40);
    form->close();
    QCOMPARE(setting("OrdnerwachtForm1Left"), QStringLiteral("300"));
    QCOMPARE(setting("OrdnerwachtForm1Top"), QStringLiteral("600"));
}

// Leaving the source field trims and stores the path and keeps it in the field's history.
// On a full disk the history cannot keep it: said once per file, not lost silently.
void TestZipForm::sourceHistoryKept_data()
{
    QTest::addColumn<bool>("voll");
    QTest::newRow("kept") << false;
    QTest::newRow("full disk told") << true;
}

void TestZipForm::sourceHistoryKept()
{
    QFETCH(bool, voll);
    std::unique_ptr<klang::test::SmallFileSystem> datentraeger;
    if (voll) {
        datentraeger = std::make_unique<klang::test::SmallFileSystem>(klang::programmPfad());
        QVERIFY(datentraeger->mounted());
        datentraeger->fill();
    }
    {
        auto form = neuesFenster();
        form->findChild<QComboBox*>("txtQuellpfad")->setEditText(QStringLiteral("  /daten/bilder/ "));
        form->txtQuellpfad_LostFocus();
        QCOMPARE(form->quellpfad(), QStringLiteral("/daten/bilder/"));
        QCOMPARE(setting("OrdnerwachtQuellpfad"), QStringLiteral("/daten/bilder/"));
        form->findChild<QComboBox*>("txtZielpfad")->setEditText(QStringLiteral("/sich/alt.7z"));
        form->txtZielpfad_LostFocus();
        QCOMPARE(form->zielpfad(), QStringLiteral("/sich/"));
        form->findChild<QComboBox*>("txtQuellpfad")->setEditText(QStringLiteral("/daten/noch/"));
        form->txtQuellpfad_LostFocus();
        form->close();
    }
    if (voll) {
        const auto gesagt = boxes(QStringLiteral("Pfadverlauf speichern"));
        QCOMPARE(gesagt.size(), 2);
        QVERIFY(gesagt.at(0).prompt.contains("Quellpfad.dat") && gesagt.at(0).prompt.contains("Der Datenträger ist voll."));
        QVERIFY(gesagt.at(1).prompt.contains(QStringLiteral("Zielpfad.dat")));
        return;
    }
    auto form = neuesFenster();
    QVERIFY(form->findChild<QComboBox*>("txtQuellpfad")->findText(QStringLiteral("/daten/bilder/")) >= 0);
    QCOMPARE(form->zielpfad(), QStringLiteral("/sich/"));
}

// The elevated copy is started through pkexec with this executable and this process's id,
// so it waits for this copy to end instead of ending itself as a second start.
void TestZipForm::adminRestartWaitsForThisCopy()
{
    auto form = neuesFenster();
    const QStringList args = form->adminNeustartArgumente();
    QCOMPARE(args.first(), QStringLiteral("env"));
    QVERIFY(args.contains(QCoreApplication::applicationFilePath()));
    QCOMPARE(args.last(), QString::number(QCoreApplication::applicationPid()));
}

// Done as a user would: 7-Zip packs a folder with nested files, blanks and umlauts, and the
// listing of the archive holds every file; the shown line names the archive and the source.
// The source's name holds a "*": 7-Zip must not read it as a wildcard and pack a sibling too.
void TestZipForm::realSevenZipPacksEverything()
{
    const QString siebenZip = QStandardPaths::findExecutable(QStringLiteral("7z"));
    if (siebenZip.isEmpty())
        QSKIP("7z is not installed");
    const QString quelle = m_env->path("Meine Dateien*") + "/";
    const QStringList dateien{"a.txt", "ohne Endung", "Ordner mit Blank/Größe ä.txt",
                              "Ordner mit Blank/Ünter/tief/ß.dat", "x.y.z"};
    for (const QString& d : dateien)
        writeFile(quelle + d, d.toUtf8());
    writeFile(m_env->path("Meine Dateien alt") + "/fremd.txt", "gehört nicht dazu");
    const QString ziel = m_env->path("Sicherung Ü") + "/";

    auto form = neuesFenster();
    form->ordnerWaehler = [&](const QString& titel) {
        return titel == QLatin1String("Quellpfad festlegen") ? quelle : ziel;
    };
    form->dateiWaehler = [&] { return siebenZip; };
    form->cmdVerzPfad_Click();
    form->cmdQuellpfad_Click();
    form->cmdZielpfad_Click();
    QSignalSpy ende(form.get(), &ZipForm::laufBeendet);
    form->Command_Packen_Click();
    QVERIFY(ende.wait(30000));
    QVERIFY2(boxes(QString()).isEmpty(), qPrintable(boxes(QString()).value(0).prompt + form->ausgabeFenster()->text()));
    QCOMPARE(ende.first().at(1).toBool(), true);

    const QString archiv = ziel + "Ordnerwacht.7z";
    QCOMPARE(form->findChild<QLineEdit*>("txtCode")->text(),
             QStringLiteral("7z a -r -- \"%1\" \"%2*\"").arg(archiv, quelle));
    QProcess liste;
    liste.start(siebenZip, {"l", "-slt", archiv});
    QVERIFY(liste.waitForFinished(30000));
    QCOMPARE(liste.exitCode(), 0);
    const QString ausgabe = QString::fromUtf8(liste.readAllStandardOutput());
    for (const QString& d : dateien)
        QVERIFY2(ausgabe.contains(QStringLiteral("Path = ") + d + "\n"), qPrintable(d));
    QVERIFY2(!ausgabe.contains(QStringLiteral("fremd.txt")), qPrintable(ausgabe));
}

// 7-Zip leaves out a file it cannot read and ends with code 1: the run is reported as an
// incomplete backup with what is missing, never as a success, and the output window names the
// code's meaning. A whole folder it cannot read is named as such: its files cannot be counted.
// (As root the run takes the rights of the target folder's owner "nobody", who cannot read them.)
void TestZipForm::incompleteBackupWarns_data()
{
    QTest::addColumn<bool>("ordner");
    QTest::addColumn<QString>("erwartet");
    QTest::newRow("file") << false << QStringLiteral("1 Datei konnte nicht gelesen werden und fehlt.");
    QTest::newRow("folder") << true
                            << QStringLiteral("1 Datei und 1 Ordner mit seinem ganzen Inhalt konnten nicht gelesen "
                                              "werden und fehlen.");
}

void TestZipForm::incompleteBackupWarns()
{
    QFETCH(bool, ordner);
    QFETCH(QString, erwartet);
    const QString siebenZip = QStandardPaths::findExecutable(QStringLiteral("7z"));
    if (siebenZip.isEmpty())
        QSKIP("7z is needed");
    const QString quelle = m_env->path("quelle") + "/";
    const QString ziel = m_env->path("ziel") + "/";
    writeFile(quelle + "lesbar.txt", "ja");
    writeFile(quelle + "Unterordner/auch.txt", "ja");
    writeFile(quelle + "geheim.txt", "nein");
    QFile::setPermissions(quelle + "geheim.txt", {});
    if (ordner) {
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            writeFile(quelle + "verschlossen/" + name, "zu");
        QFile::setPermissions(quelle + "verschlossen", {});
    }
    for (const QString& o : {m_env->root(), m_env->path("quelle"), m_env->path("quelle/Unterordner"),
                             m_env->path("bin"), m_env->path("cwd")})
        QFile::setPermissions(o, QFileDevice::Permissions(0x7755));
    if (::geteuid() == 0)
        QCOMPARE(::chown(QFile::encodeName(m_env->path("ziel")).constData(), 65534, 65534), 0);
    const QString prog = siebenZip;
    klang::SaveSetting(App, Opt, "OrdnerwachtQuellpfad", quelle);
    klang::SaveSetting(App, Opt, "OrdnerwachtZielpfad", ziel);
    klang::SaveSetting(App, Opt, "OrdnerwachtLastKomprimierProg", prog);
    auto form = neuesFenster();
    form->cboKomprimierProg_Click();
    QSignalSpy ende(form.get(), &ZipForm::laufBeendet);
    form->Command_Packen_Click();
    QVERIFY(ende.wait(30000));
    QFile::setPermissions(quelle + "verschlossen", QFileDevice::Permissions(0x7700));
    QCOMPARE(ende.first().at(0).toInt(), 1);
    QCOMPARE(ende.first().at(1).toBool(), false);
    const auto warnung = boxes(QStringLiteral("Sicherung unvollständig"));
    QCOMPARE(warnung.size(), 1);
    QVERIFY2(warnung.first().prompt.contains(erwartet), qPrintable(warnung.first().prompt));
    QVERIFY(warnung.first().prompt.contains(QStringLiteral("geheim.txt")));
    QVERIFY(boxes(QStringLiteral("ZipForm_Command_Packen_Click")).isEmpty());
    QVERIFY(form->ausgabeFenster()->status().startsWith(QStringLiteral("Beendet mit Exit-Code 1: Warnung")));
    QVERIFY(QFile::exists(ziel + "Ordnerwacht.7z"));
}

// Every run shows the program's output in a window of its own while it runs, and how it
// ended; "Dos-Fenster minimieren" starts that window minimised.
void TestZipForm::outputWindowShowsRun_data()
{
    QTest::addColumn<bool>("minimiert");
    QTest::newRow("normal") << false;
    QTest::newRow("minimised") << true;
}

void TestZipForm::outputWindowShowsRun()
{
    QFETCH(bool, minimiert);
    const QString prog = skript(m_env->path("bin"), "7z", "echo \"erste Zeile\"\nsleep 1\necho \"zweite Zeile\" >&2\nexit 0");
    QDir().mkpath(m_env->path("quelle"));
    QDir().mkpath(m_env->path("ziel"));
    klang::SaveSetting(App, Opt, "OrdnerwachtQuellpfad", m_env->path("quelle") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtZielpfad", m_env->path("ziel") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtLastKomprimierProg", prog);
    klang::SaveSetting(App, Opt, "OrdnerwachtDosfenster", minimiert ? "1" : "0");
    auto form = neuesFenster();
    form->show();
    form->cboKomprimierProg_Click();
    QSignalSpy ende(form.get(), &ZipForm::laufBeendet);
    form->Command_Packen_Click();
    AusgabeFenster* fenster = form->ausgabeFenster();
    QVERIFY(fenster);
    QVERIFY(fenster->isVisible());
    QCOMPARE(fenster->isMinimized(), minimiert);
    QTRY_VERIFY(fenster->text().contains(QStringLiteral("erste Zeile")));
    QVERIFY(form->laeuft()); // shown while the program still runs
    QVERIFY(ende.wait(10000));
    QVERIFY(fenster->text().contains(QStringLiteral("zweite Zeile")));
    QCOMPARE(fenster->status(), QStringLiteral("Beendet mit Exit-Code 0: Kein Fehler."));
    QVERIFY(boxes(QString()).isEmpty());
}

// Closing while a program runs asks first, with "Nein" as the answer of Enter; only "Ja"
// ends the program.
void TestZipForm::closingWhileRunningDefaultsToNein()
{
    const QString prog = skript(m_env->path("bin"), "7z", "sleep 20");
    QDir().mkpath(m_env->path("quelle"));
    QDir().mkpath(m_env->path("ziel"));
    klang::SaveSetting(App, Opt, "OrdnerwachtQuellpfad", m_env->path("quelle") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtZielpfad", m_env->path("ziel") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtLastKomprimierProg", prog);
    auto form = neuesFenster();
    form->show();
    form->cboKomprimierProg_Click();
    form->Command_Packen_Click();
    QVERIFY(form->laeuft());
    kit::testhook::queueAnswer(QString());
    form->close();
    QVERIFY(form->isVisible());
    QVERIFY(form->laeuft());
    const auto frage = boxes(QStringLiteral("Sicherheitsabfrage (Form_Unload)"));
    QCOMPARE(frage.size(), 1);
    QCOMPARE(frage.first().defaultButton, 2);
    kit::testhook::queueAnswer(QStringLiteral("Ja"));
    form->close();
    QVERIFY(!form->isVisible());
    QVERIFY(!form->laeuft());
}

// "als Admin neustarten" keeps the window until the elevated copy runs; when the request is
// refused the window stays and says so in German.
void TestZipForm::adminRestartKeepsWindow_data()
{
    QTest::addColumn<bool>("abgelehnt");
    QTest::newRow("refused") << true;
    QTest::newRow("started") << false;
}

void TestZipForm::adminRestartKeepsWindow()
{
    QFETCH(bool, abgelehnt);
    const QString programm = qEnvironmentVariable("KLANGTRUHE_BIN_DIR") + QStringLiteral("/Ordnerwacht");
    if (!abgelehnt && !QFile::exists(programm))
        QSKIP("Ordnerwacht has not been built");
    auto form = neuesFenster();
    form->show();
    // pkexec's stand-in: refuses as pkexec does when the password is not given, or starts.
    form->adminStarter = skript(m_env->path("bin"), "pkexec", abgelehnt ? "sleep 0.3\nexit 126" : "exec \"$@\"");
    form->adminProgramm = programm;
    form->AlsAdminNeustarten();
    const qint64 pid = form->adminPid();
    QVERIFY(pid > 0);
    const auto aufraeumen = qScopeGuard([pid] { ::kill(pid_t(pid), SIGKILL); });
    QVERIFY(form->isVisible()); // nothing is closed before the elevated copy runs
    if (abgelehnt) {
        QTRY_COMPARE(boxes(QStringLiteral("Hinweis (AlsAdminNeustarten)")).size(), 1);
        QVERIFY(boxes(QStringLiteral("Hinweis")).first().prompt.contains(QStringLiteral("abgelehnt oder abgebrochen")));
        QVERIFY(form->isVisible());
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!form->isVisible(), 15000);
        QVERIFY(backup::prozessLaeuft(pid)); // the elevated copy runs on, waiting for this one
        QVERIFY(boxes(QString()).isEmpty());
    }
}

// A damaged count key and huge saved lists do not keep the window from coming: counts are
// capped, reading stops where the items end, the path histories keep their newest 100.
void TestZipForm::damagedCountsAndHugeHistories()
{
    klang::SaveSetting(App, Opt, "OrdnerwachtExtensionAnzahl", "2147483647");
    const QString ini = m_env->configHome() + "/Klangtruhe/Ordnerwacht.ini";
    {
        QFile f(ini);
        QVERIFY(f.open(QIODevice::Append));
        for (const char* ext : {".a", ".b", ".c"})
            f.write(QByteArray("OrdnerwachtExtensionAnzahl") + QByteArray::number(ext[1] - 'a') + "=" + ext + "\n");
        f.write("OrdnerwachtKomprimierProgAnzahl=99999\n");
        // 1,500 items in an order the window does not keep (it sorts), the count damaged.
        for (int i = 0; i < 1500; ++i)
            f.write("OrdnerwachtKomprimierProgAnzahl" + QByteArray::number(i) + "=/opt/prog"
                    + QByteArray::number(1500 - i) + "\n");
    }
    QByteArray verlauf;
    for (int i = 0; i < 200000; ++i)
        verlauf += "/daten/ordner" + QByteArray::number(i) + "\n";
    writeFile(klang::programmPfad() + "Quellpfad.dat", verlauf);
    QElapsedTimer uhr;
    uhr.start();
    auto form = neuesFenster();
    QVERIFY2(uhr.elapsed() < 5000, qPrintable(QString::number(uhr.elapsed())));
    QCOMPARE(form->findChild<QComboBox*>("cboExtension")->count(), 3);
    QCOMPARE(form->findChild<QComboBox*>("cboKomprimierProg")->count(), 1500);
    auto* quellen = form->findChild<QComboBox*>("txtQuellpfad");
    QCOMPARE(quellen->count(), 100);
    // A new path goes to the front of the file, the oldest beyond 100 drops out.
    quellen->setEditText(QStringLiteral("/neu/"));
    form->txtQuellpfad_LostFocus();
    const QStringList datei = klang::readLines(klang::programmPfad() + "Quellpfad.dat");
    QCOMPARE(datei.size(), 100);
    QCOMPARE(datei.first(), QStringLiteral("/neu/"));
    QCOMPARE(datei.last(), QStringLiteral("/daten/ordner98"));
    uhr.restart();
    form.reset(); // the re-sorted list is saved in one rewrite of the settings file
    QVERIFY2(uhr.elapsed() < 5000, qPrintable(QString::number(uhr.elapsed())));
}

// The elevated copy (root, started through pkexec with the user's folders) writes there with
// the user's rights: a link the user planted leads to no file only root may write, and what
// it creates belongs to the user.
void TestZipForm::elevatedCopyFollowsNoLinks()
{
    if (::geteuid() != 0)
        QSKIP("only a copy running as root has more rights than the folders' owner");
    const uid_t nutzer = 65534;
    QFile::setPermissions(m_env->root(), QFileDevice::Permissions(0x7755));
    const QString einstellungen = m_env->configHome() + "/Klangtruhe";
    const QString daten = m_env->dataHome() + "/Klangtruhe";
    QVERIFY(QDir().mkpath(einstellungen) && QDir().mkpath(daten));
    for (const QString& ordner : {m_env->configHome(), einstellungen, m_env->dataHome(), daten})
        QCOMPARE(::chown(QFile::encodeName(ordner).constData(), nutzer, nutzer), 0);
    // Root's own files beside them: one that exists (0600) and one that does not yet.
    const QString rootOrdner = m_env->path("nur-root");
    QFile::setPermissions(rootOrdner, QFileDevice::Permissions(0x7700));
    const QString geheim = rootOrdner + "/geheim";
    writeFile(geheim, "geheim\n");
    QFile::setPermissions(geheim, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(QFile::link(geheim, einstellungen + "/Ordnerwacht.ini"));
    QVERIFY(QFile::link(rootOrdner + "/neu", daten + "/Quellpfad.dat"));

    {
        auto form = neuesFenster();
        form->findChild<QComboBox*>("txtQuellpfad")->setEditText(QStringLiteral("/getippte/zeile/"));
        form->txtQuellpfad_LostFocus();
        form->findChild<QComboBox*>("txtZielpfad")->setEditText(QStringLiteral("/sich/alt.7z"));
        form->txtZielpfad_LostFocus();
        form->close();
    }
    QFile f(geheim);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("geheim\n"));
    QCOMPARE(QFileInfo(geheim).ownerId(), 0u);
    QVERIFY(!(QFileInfo(geheim).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
    QVERIFY(!QFileInfo::exists(rootOrdner + "/neu"));
    QCOMPARE(QDir(rootOrdner).entryList(QDir::Files | QDir::Hidden), QStringList{"geheim"});
    // A file without a link in its way is written, and belongs to the user.
    const QFileInfo ziele(daten + "/Zielpfad.dat");
    QVERIFY(ziele.isFile());
    QCOMPARE(ziele.ownerId(), nutzer);
    QCOMPARE(klang::readLines(ziele.filePath()), QStringList{"/sich/"});
}

// The elevated copy runs each copy and archive program with the rights of the target folder's
// owner: a link the owner planted there leads no write of root's to a file only root may write
// and packs no file only root may read into the owner's archive; what the run makes is the
// owner's. Root's files stay byte for byte and mode for mode as they were.
void TestZipForm::elevatedRunWritesAsTargetOwner_data()
{
    QTest::addColumn<QString>("programm");
    QTest::addColumn<QString>("link");     // planted in the target folder ("" = none)
    QTest::addColumn<QString>("linkZiel"); // in root's folder ("" = the folder itself)
    QTest::addColumn<uint>("besitzer");    // of the target folder
    QTest::newRow("cp, a link in the copy") << "cp" << "Ordnerwacht/geheim.txt" << "geheim" << 65534u;
    QTest::newRow("rsync, the copy made anew") << "rsync" << "" << "" << 65534u;
    // (rsync 3.5 itself refuses a link someone else owns in its target's path.)
    QTest::newRow("rsync, the copy a link") << "rsync" << "Ordnerwacht" << "" << 65534u;
    QTest::newRow("zip, the archive a link") << "zip" << "Ordnerwacht.zip" << "geheim.zip" << 65534u;
    QTest::newRow("7z, the archive a link") << "7z" << "Ordnerwacht.7z" << "geheim.7z" << 65534u;
    // Root's own target keeps root's rights: its archive is root's alone.
    QTest::newRow("7z, root's own target") << "7z" << "" << "" << 0u;
}

void TestZipForm::elevatedRunWritesAsTargetOwner()
{
    QFETCH(QString, programm);
    QFETCH(QString, link);
    QFETCH(QString, linkZiel);
    QFETCH(uint, besitzer);
    if (::geteuid() != 0)
        QSKIP("only a program running as root has more rights than the target folder's owner");
    const QString prog = QStandardPaths::findExecutable(programm);
    const QString siebenZip = QStandardPaths::findExecutable(QStringLiteral("7z"));
    if (prog.isEmpty() || siebenZip.isEmpty())
        QSKIP("cp, rsync, zip and 7z come with scripts/install-deps.sh");
    const uid_t nutzer = uid_t(besitzer);
    QFile::setPermissions(m_env->root(), QFileDevice::Permissions(0x7755));
    // Root's own files: 0600 in a folder only root may enter, two of them archives.
    const QString rootOrdner = m_env->path("nur-root");
    QFile::setPermissions(rootOrdner, QFileDevice::Permissions(0x7700));
    writeFile(rootOrdner + "/geheim", "nur für root\n");
    writeFile(rootOrdner + "/innen.txt", "nur für root\n");
    for (const char* archiv : {"geheim.zip", "geheim.7z"}) {
        QProcess packen;
        packen.start(siebenZip, {"a", rootOrdner + "/" + archiv, rootOrdner + "/innen.txt"});
        QVERIFY(packen.waitForFinished(30000) && packen.exitCode() == 0);
    }
    auto abbild = [&rootOrdner] { // name, mode and content of each of root's files
        QStringList a;
        for (const QString& name : QDir(rootOrdner).entryList(QDir::Files)) {
            QFile f(rootOrdner + "/" + name);
            a << name + " " + QString::number(f.permissions().toInt(), 16) + " "
                     + (f.open(QIODevice::ReadOnly) ? f.readAll().toHex() : QByteArray("?"));
        }
        return a;
    };
    for (const QString& name : QDir(rootOrdner).entryList(QDir::Files))
        QFile::setPermissions(rootOrdner + "/" + name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QStringList vorher = abbild();
    writeFile(m_env->path("quelle") + "/geheim.txt", "vom Benutzer\n"); // newer than root's files
    writeFile(m_env->path("quelle") + "/a.txt", "a\n");
    const QString ziel = m_env->path("ziel");
    QCOMPARE(::chown(QFile::encodeName(ziel).constData(), nutzer, nutzer), 0);
    if (!link.isEmpty()) {
        QVERIFY(QDir().mkpath(QFileInfo(ziel + "/" + link).path()));
        QVERIFY(QFile::link(linkZiel.isEmpty() ? rootOrdner : rootOrdner + "/" + linkZiel, ziel + "/" + link));
        for (const QString& p : {QFileInfo(ziel + "/" + link).path(), ziel + "/" + link})
            QCOMPARE(::lchown(QFile::encodeName(p).constData(), nutzer, nutzer), 0);
    }
    klang::SaveSetting(App, Opt, "OrdnerwachtQuellpfad", m_env->path("quelle") + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtZielpfad", ziel + "/");
    klang::SaveSetting(App, Opt, "OrdnerwachtLastKomprimierProg", prog);
    auto form = neuesFenster();
    form->cboKomprimierProg_Click();
    kit::testhook::queueAnswer(QStringLiteral("Ja")); // rsync mirrors: asked first
    QSignalSpy ende(form.get(), &ZipForm::laufBeendet);
    form->Command_Packen_Click();
    QVERIFY(ende.wait(30000));
    QCOMPARE(abbild(), vorher);
    QDirIterator alles(ziel, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (alles.hasNext()) {
        const QString pfad = alles.next();
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(pfad).constData(), &st), 0);
        QVERIFY2(st.st_uid == nutzer, qPrintable(pfad));
        QVERIFY2(nutzer != 0 || !(st.st_mode & (S_IRGRP | S_IROTH)), qPrintable(pfad));
        if (S_ISREG(st.st_mode) && (pfad.endsWith(".zip") || pfad.endsWith(".7z"))) {
            QProcess liste;
            liste.start(siebenZip, {"l", pfad});
            QVERIFY(liste.waitForFinished(30000));
            QVERIFY2(!liste.readAllStandardOutput().contains("innen.txt"), qPrintable(pfad));
        }
    }
    if (link.isEmpty() && nutzer != 0) { // what the owner may read is there
        QCOMPARE(klang::readLines(ziel + "/Ordnerwacht/a.txt"), QStringList{"a"});
        QVERIFY(form->ausgabeFenster()->text().contains(QStringLiteral("dem Benutzer nobody gehört")));
    }
}

QTEST_MAIN(TestZipForm)
#include "tst_zipform.moc"
