#include "tests/support/TestEnvironment.h"
#include "tv/Meldung.h"
#include "tv/frmEdit.h"
#include "tv/frmFernsicht.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tv;

namespace {

QByteArray lesen(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<keine>");
}

void schreiben(const QString& pfad, const QByteArray& bytes)
{
    QFile::remove(pfad);
    if (bytes == "<keine>")
        return;
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QByteArray ZweiSender("b\r\nZDF\r\nu2\r\na\r\nARD\r\nu1\r\n");

} // namespace

// The station editor over real station and group files.
class TestFrmEdit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<klang::test::TestEnvironment>();
        meldungstest::einschalten();
        schreiben(senderDatei(), ZweiSender);
        m_fenster = std::make_unique<frmFernsicht>();
        m_fenster->Form_Load();
    }
    void cleanup()
    {
        m_fenster.reset();
        meldungstest::ausschalten();
        m_env.reset();
    }
    void neuerSender_data();
    void neuerSender();
    void bearbeitenSchreibtInListenfolge();
    void bearbeitenOhneAuswahlMeldetUndBleibtOffen();
    void gruppeLoeschen_data();
    void gruppeLoeschen();
    void gruppenDateiUnlesbar();
    void hilfe();

private:
    template<typename T> T* teil(frmEdit& e, const char* name) { return e.findChild<T*>(QLatin1String(name)); }
    std::unique_ptr<klang::test::TestEnvironment> m_env;
    std::unique_ptr<frmFernsicht> m_fenster;
};

// "&Neu" + OK appends one record in Windows-1252 and CRLF (address trimmed, line breaks
// dropped) and the group once when no group is spelled exactly like it; the next start
// shows the station as typed.
void TestFrmEdit::neuerSender_data()
{
    QTest::addColumn<QByteArray>("gruppenVorher");
    QTest::addColumn<QStringList>("eingabe");
    QTest::addColumn<QByteArray>("datensatz");
    QTest::addColumn<QByteArray>("gruppenNachher");
    QTest::newRow("alles leer, keine Gruppendatei") << QByteArray("<keine>") << QStringList{"", "", ""}
                                                     << QByteArray("\r\n\r\n\r\n") << QByteArray("\r\n");
    QTest::newRow("Gruppe nur anders geschrieben") << QByteArray("News\r\n") << QStringList{"news", "n-tv", "u"}
                                                   << QByteArray("news\r\nn-tv\r\nu\r\n") << QByteArray("News\r\nnews\r\n");
    QTest::newRow("Gruppe vorhanden") << QByteArray("News\r\nSport\r\n") << QStringList{"Sport", "S1", "u"}
                                      << QByteArray("Sport\r\nS1\r\nu\r\n") << QByteArray("News\r\nSport\r\n");
    QTest::newRow("Adresse getrimmt, Name nicht") << QByteArray("x\r\n") << QStringList{"x", " Eins ", " http://x "}
                                                  << QByteArray("x\r\n Eins \r\nhttp://x\r\n") << QByteArray("x\r\n");
    QTest::newRow("Umlaute") << QByteArray("\xD6" "ffentlich\r\n") << QStringList{"Süd", "Bayern für alle", "http://ä"}
                             << QByteArray("S\xFC" "d\r\nBayern f\xFCr alle\r\nhttp://\xE4\r\n")
                             << QByteArray("\xD6" "ffentlich\r\nS\xFC" "d\r\n");
    QTest::newRow("Zeilenumbruch im Namen") << QByteArray("<keine>") << QStringList{"G", "Zwei\nZeilen", "u"}
                                            << QByteArray("G\r\nZweiZeilen\r\nu\r\n") << QByteArray("G\r\n");
}

void TestFrmEdit::neuerSender()
{
    QFETCH(QByteArray, gruppenVorher);
    QFETCH(QStringList, eingabe);
    QFETCH(QByteArray, datensatz);
    QFETCH(QByteArray, gruppenNachher);
    schreiben(gruppenDatei(), gruppenVorher);
    frmEdit e(m_fenster.get());
    e.Form_Load();
    e.cmdNeu_Click();
    teil<QComboBox>(e, "cboGruppe")->setEditText(eingabe.at(0));
    teil<QLineEdit>(e, "txtSenderName")->setText(eingabe.at(1));
    teil<QLineEdit>(e, "txtURL")->setText(eingabe.at(2));
    QTest::mouseClick(teil<QPushButton>(e, "cmdOK"), Qt::LeftButton);
    QCOMPARE(e.result(), int(QDialog::Accepted));
    QCOMPARE(lesen(senderDatei()), ZweiSender + datensatz);
    QCOMPARE(lesen(gruppenDatei()), gruppenNachher);
    QCOMPARE(m_fenster->alleSender().size(), 3);

    frmFernsicht neu;
    neu.Form_Load();
    const QString name = QString(eingabe.at(1)).remove(QLatin1Char('\n'));
    QCOMPARE(neu.liste()->findItems(name, Qt::MatchExactly, 1).size(), 1);
    QVERIFY(meldungstest::aufrufe().isEmpty());
}

// OK without "&Neu" changes the chosen station and rewrites the file in list order; a new
// group typed there is not added to the group file.
void TestFrmEdit::bearbeitenSchreibtInListenfolge()
{
    schreiben(gruppenDatei(), "a\r\nb\r\n");
    m_fenster->liste()->setCurrentItem(m_fenster->liste()->findItems("ZDF", Qt::MatchExactly, 1).first());
    frmEdit e(m_fenster.get());
    e.Form_Load();
    QCOMPARE(teil<QComboBox>(e, "cboGruppe")->currentText(), QStringLiteral("b"));
    QCOMPARE(teil<QLineEdit>(e, "txtURL")->text(), QStringLiteral("u2"));
    teil<QComboBox>(e, "cboGruppe")->setEditText(QStringLiteral("Neu"));
    teil<QLineEdit>(e, "txtSenderName")->setText(QStringLiteral("ZDFneo"));
    e.cmdOK_Click();
    QCOMPARE(e.result(), int(QDialog::Accepted));
    QCOMPARE(lesen(senderDatei()), QByteArray("a\r\nARD\r\nu1\r\nNeu\r\nZDFneo\r\nu2\r\n"));
    QCOMPARE(lesen(gruppenDatei()), QByteArray("a\r\nb\r\n"));
}

void TestFrmEdit::bearbeitenOhneAuswahlMeldetUndBleibtOffen()
{
    frmEdit e(m_fenster.get());
    e.show();
    e.Form_Load();
    e.cmdOK_Click();
    QVERIFY(e.isVisible());
    QCOMPARE(meldungstest::aufrufe().size(), 1);
    QCOMPARE(meldungstest::aufrufe().first().titel, QStringLiteral("frmEdit_cmdOK_Click"));
    QCOMPARE(lesen(senderDatei()), ZweiSender);
}

// Delete in the group box removes the group the list shows as chosen, and only while the
// box still shows exactly that group; a Delete used to edit the text removes nothing.
void TestFrmEdit::gruppeLoeschen_data()
{
    QTest::addColumn<int>("gewaehlt");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("nachher");
    QTest::newRow("gewählte Gruppe") << 1 << "Sport" << QByteArray("\r\nNews\r\n");
    QTest::newRow("Text geändert") << 1 << "Spo" << QByteArray("\r\nSport\r\nNews\r\n");
    QTest::newRow("nichts gewählt") << -1 << "" << QByteArray("\r\nSport\r\nNews\r\n");
}

void TestFrmEdit::gruppeLoeschen()
{
    QFETCH(int, gewaehlt);
    QFETCH(QString, text);
    QFETCH(QByteArray, nachher);
    schreiben(gruppenDatei(), "\r\nSport\r\nNews\r\n");
    frmEdit e(m_fenster.get());
    e.show();
    e.Form_Load();
    auto* cbo = teil<QComboBox>(e, "cboGruppe");
    cbo->setCurrentIndex(gewaehlt);
    cbo->setEditText(text);
    cbo->lineEdit()->setFocus();
    cbo->lineEdit()->end(false);
    QTest::keyClick(cbo->lineEdit(), Qt::Key_Delete);
    QCOMPARE(lesen(gruppenDatei()), nachher);
    QCOMPARE(cbo->count(), nachher.count("\r\n"));
    QCOMPARE(lesen(senderDatei()), ZweiSender);
}

// A group file that cannot be read is reported; the box stays empty and the pointer normal.
void TestFrmEdit::gruppenDateiUnlesbar()
{
    QVERIFY(QDir().mkpath(gruppenDatei()));
    frmEdit e(m_fenster.get());
    e.Form_Load();
    QCOMPARE(meldungstest::aufrufe().size(), 1);
    QCOMPARE(meldungstest::aufrufe().first().titel, QStringLiteral("frmEdit_GruppenlisteLaden"));
    QCOMPARE(teil<QComboBox>(e, "cboGruppe")->count(), 0);
    QCOMPARE(e.cursor().shape(), Qt::ArrowCursor);
}

// The help picture looks pressed while held and tells how groups are deleted.
void TestFrmEdit::hilfe()
{
    frmEdit e(m_fenster.get());
    e.show();
    auto* bild = teil<QLabel>(e, "imgHilfe");
    const QPoint ort = bild->pos();
    QTest::mousePress(bild, Qt::LeftButton);
    QVERIFY(bild->pos().x() > ort.x() && bild->pos().y() > ort.y());
    QTest::mouseRelease(bild, Qt::LeftButton);
    QCOMPARE(bild->pos(), QPoint(8625 / 15, 0));
    QCOMPARE(meldungstest::aufrufe().size(), 1);
    QCOMPARE(meldungstest::aufrufe().first().titel, QStringLiteral("Bedienungshilfe"));
    QCOMPARE(meldungstest::aufrufe().first().text,
             QStringLiteral("Um einen Eintrag in der TV-Gruppe zu löschen, drücken Sie die <Entf>-Taste."));
}

QTEST_MAIN(TestFrmEdit)
#include "tst_frmedit.moc"
