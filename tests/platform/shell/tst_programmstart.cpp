#include "platform/shell/Programmstart.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The family's start-up: every program speaks German also in Qt's own dialogs.
class TestProgrammstart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Standard buttons and the file dialog show German texts, whatever the system locale.
    void qtDialogeDeutsch_data()
    {
        QTest::addColumn<int>("knopf");
        QTest::addColumn<QString>("text");
        QTest::newRow("Abbrechen") << int(QDialogButtonBox::Cancel) << QStringLiteral("Abbrechen");
        QTest::newRow("Ja") << int(QDialogButtonBox::Yes) << QStringLiteral("&Ja");
        QTest::newRow("Nein") << int(QDialogButtonBox::No) << QStringLiteral("&Nein");
        QTest::newRow("Schließen") << int(QDialogButtonBox::Close) << QStringLiteral("Schließen");
    }
    void qtDialogeDeutsch()
    {
        QFETCH(int, knopf);
        QFETCH(QString, text);
        auto* app = static_cast<klang::Programm*>(qApp);
        QVERIFY(app->qtTexteDeutsch());
        const auto art = QDialogButtonBox::StandardButton(knopf);
        QDialogButtonBox leiste(art);
        QCOMPARE(leiste.button(art)->text(), text);
    }

    void dateiDialogDeutsch()
    {
        QFileDialog dialog(nullptr, QString(), QDir::tempPath());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QStringList texte;
        for (auto* l : dialog.findChildren<QLabel*>())
            texte << l->text();
        QVERIFY2(texte.contains(QStringLiteral("Suchen in:")), qPrintable(texte.join(u'|')));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Testprogramm"));
    }
};

int main(int argc, char** argv)
{
    // The system locale must not matter: the test runs under the plain C locale.
    qputenv("LANG", "C");
    qputenv("LC_ALL", "C");
    klang::Programm app(argc, argv, QStringLiteral("Testprogramm"));
    TestProgrammstart test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_programmstart.moc"
