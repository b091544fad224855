#include "platform/media/MediaPlayerControl.h"
#include "tests/support/TestEnvironment.h"
#include "tv/Meldung.h"
#include "tv/frmEdit.h"
#include "tv/frmFernsicht.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
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

// A key as a user's arrives: at the widget that has the focus in the active window.
void druecken(QWidget& fenster, QComboBox* cbo, Qt::Key taste)
{
    fenster.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fenster));
    cbo->setFocus();
    cbo->lineEdit()->end(false);
    QVERIFY(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), taste);
}

const QByteArray ZweiSender("b\r\nZDF\r\nu2\r\na\r\nARD\r\nu1\r\n");

QString senderName(int i)
{
    return QStringLiteral("Sender %1").arg(i, 5, 10, QLatin1Char('0'));
}

// 20,000 stations, twice as many lines as a list file once was read to; "lange Zeile": one
// address of 70,000 characters; "über 64 MB": followed by 64 MB that are no station list.
QByteArray senderListe(const QString& art)
{
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i) {
        bytes += "G" + QByteArray::number(i / 100) + "\r\n" + senderName(i).toLatin1() + "\r\n";
        bytes += art == "lange Zeile" && i == 5000 ? QByteArray(70000, 'u') : "http://127.0.0.1/" + QByteArray::number(i);
        bytes += "\r\n";
    }
    if (art == "über 64 MB")
        bytes += QByteArray(64 * 1024 * 1024, 'x');
    return bytes;
}

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
    void anhaengenNachBruchstueck_data();
    void anhaengenNachBruchstueck();
    void gruppeMehrmalsLoeschen();
    void grosseListe_data();
    void grosseListe();
    void adresseGeprueft_data();
    void adresseGeprueft();

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
                                            << QByteArray("G\r\nZwei Zeilen\r\nu\r\n") << QByteArray("G\r\n");
    QTest::newRow("CR LF eingefügt") << QByteArray("<keine>") << QStringList{"G\r\nH", "Zwei\r\nZeilen\rmehr", "u\r\n"}
                                     << QByteArray("G H\r\nZwei Zeilen mehr\r\nu\r\n") << QByteArray("G H\r\n");
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
    // Pasted, as a user brings line breaks into a field.
    auto* name = teil<QLineEdit>(e, "txtSenderName");
    QGuiApplication::clipboard()->setText(eingabe.at(1));
    name->clear();
    name->paste();
    teil<QLineEdit>(e, "txtURL")->setText(eingabe.at(2));
    QTest::mouseClick(teil<QPushButton>(e, "cmdOK"), Qt::LeftButton);
    QCOMPARE(e.result(), int(QDialog::Accepted));
    QCOMPARE(lesen(senderDatei()), ZweiSender + datensatz);
    QCOMPARE(lesen(gruppenDatei()), gruppenNachher);
    QCOMPARE(m_fenster->alleSender().size(), 3);

    frmFernsicht neu;
    neu.Form_Load();
    const QString gespeichert = QString::fromLatin1(datensatz).split(QStringLiteral("\r\n")).at(1);
    QCOMPARE(neu.liste()->findItems(gespeichert, Qt::MatchExactly, 1).size(), 1);
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
    druecken(e, cbo, Qt::Key_Delete);
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

// A file that does not end in whole records (a fragment, a stray empty line): the new
// stations read back right after a restart, the fragment's lines stay at the end and the
// start-up message says so; a deletion afterwards keeps all of it.
void TestFrmEdit::anhaengenNachBruchstueck_data()
{
    QTest::addColumn<QByteArray>("vorher");
    QTest::addColumn<QByteArray>("rest");
    QTest::newRow("Bruchstück") << QByteArray("A\r\nEins\r\nu1\r\nB\r\nZwei\r\n") << QByteArray("B\r\nZwei\r\n");
    QTest::newRow("eine Zeile, ohne Zeilenende") << QByteArray("A\r\nEins\r\nu1\r\nB") << QByteArray("B\r\n");
    QTest::newRow("leere Zeile") << QByteArray("A\r\nEins\r\nu1\r\n\r\n") << QByteArray();
    QTest::newRow("zwei leere Zeilen") << QByteArray("A\r\nEins\r\nu1\r\n\r\n \r\n") << QByteArray();
}

void TestFrmEdit::anhaengenNachBruchstueck()
{
    QFETCH(QByteArray, vorher);
    QFETCH(QByteArray, rest);
    schreiben(senderDatei(), vorher);
    frmFernsicht w;
    w.Form_Load();
    const auto meldungen = meldungstest::aufrufe();
    QCOMPARE(meldungen.size(), rest.isEmpty() ? 0 : 1);
    if (!rest.isEmpty())
        QVERIFY2(meldungen.first().text.contains(QStringLiteral("bleiben am Ende der Datei erhalten")),
                 qPrintable(meldungen.first().text));
    for (int i = 1; i <= 2; ++i) {
        frmEdit e(&w);
        e.Form_Load();
        e.cmdNeu_Click();
        teil<QComboBox>(e, "cboGruppe")->setEditText(QStringLiteral("G"));
        teil<QLineEdit>(e, "txtSenderName")->setText(QStringLiteral("Neu%1").arg(i));
        teil<QLineEdit>(e, "txtURL")->setText(QStringLiteral("http://neu/%1").arg(i));
        e.cmdOK_Click();
        QCOMPARE(e.result(), int(QDialog::Accepted));
    }
    const QList<Sender> erwartet{{"A", "Eins", "u1"}, {"G", "Neu1", "http://neu/1"}, {"G", "Neu2", "http://neu/2"}};
    QVERIFY(lesen(senderDatei()).endsWith("G\r\nNeu2\r\nhttp://neu/2\r\n" + rest));
    {
        frmFernsicht neu;
        neu.Form_Load();
        QCOMPARE(neu.alleSender(), erwartet);
        // Deleting "Eins" keeps the new stations and the fragment.
        neu.liste()->setCurrentItem(neu.liste()->findItems("Eins", Qt::MatchExactly, 1).first());
        meldungstest::antwortVormerken(Antwort::Ja);
        neu.lvwSender_KeyUp(Qt::Key_Delete);
    }
    QCOMPARE(lesen(senderDatei()), "G\r\nNeu1\r\nhttp://neu/1\r\nG\r\nNeu2\r\nhttp://neu/2\r\n" + rest);
    frmFernsicht dritte;
    dritte.Form_Load();
    QCOMPARE(dritte.alleSender(), erwartet.mid(1));
}

// Delete removes the chosen group every time, not only the first time in an editor.
void TestFrmEdit::gruppeMehrmalsLoeschen()
{
    schreiben(gruppenDatei(), "Eins\r\nZwei\r\nDrei\r\n");
    frmEdit e(m_fenster.get());
    e.show();
    e.Form_Load();
    auto* cbo = teil<QComboBox>(e, "cboGruppe");
    const QStringList gruppen{"Zwei", "Eins", "Drei"};
    for (int i = 0; i < gruppen.size(); ++i) {
        cbo->setCurrentIndex(cbo->findText(gruppen.at(i)));
        druecken(e, cbo, Qt::Key_Delete);
        QCOMPARE(cbo->count(), 2 - i);
    }
    QCOMPARE(lesen(gruppenDatei()), QByteArray());
}

// Only network streams and local files are stations: the editor refuses other addresses
// (nothing stored, editor open), and a station file holding one does not play it.
void TestFrmEdit::adresseGeprueft_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("erlaubt");
    QTest::newRow("lavfi") << "av://lavfi:testsrc" << false;
    QTest::newRow("lavf") << "lavf://x" << false;
    QTest::newRow("edl") << "edl://%3%/tmp" << false;
    QTest::newRow("memory") << "memory://abc" << false;
    QTest::newRow("ohne //") << "null:" << false;
    QTest::newRow("Großschrift") << "AV://lavfi:testsrc" << false;
    for (const char* gut : {"http://a/b.ts", "HTTPS://a", "rtsp://a", "rtmp://a", "mms://a", "udp://@:1234", "rtp://a",
                            "file:///tmp/x.ts", "/tmp/x.ts", "x.ts", ""})
        QTest::newRow(*gut ? gut : "leer") << QString::fromLatin1(gut) << true;
}

void TestFrmEdit::adresseGeprueft()
{
    QFETCH(QString, url);
    QFETCH(bool, erlaubt);
    frmEdit e(m_fenster.get());
    e.show();
    e.Form_Load();
    e.cmdNeu_Click();
    teil<QLineEdit>(e, "txtSenderName")->setText(QStringLiteral("S"));
    teil<QLineEdit>(e, "txtURL")->setText(url);
    e.cmdOK_Click();
    QCOMPARE(e.isVisible(), !erlaubt);
    QCOMPARE(lesen(senderDatei()) == ZweiSender, !erlaubt);
    QCOMPARE(meldungstest::aufrufe().size(), erlaubt ? 0 : 1);
    if (erlaubt)
        return;
    QCOMPARE(meldungstest::aufrufe().first().titel, QStringLiteral("TV-Sender Internet-Adresse"));
    schreiben(senderDatei(), "G\r\nS\r\n" + url.toUtf8() + "\r\n");
    frmFernsicht w;
    w.show();
    w.Form_Load();
    w.liste()->setCurrentItem(w.liste()->topLevelItem(0));
    w.mnuStart_Click();
    QVERIFY(w.liste()->isVisible());
    QCOMPARE(w.player()->playState(), int(klang::media::PlayState::Undefined));
    QVERIFY(w.statusMeldung().contains(QStringLiteral("wird nicht abgespielt")));
}

QTEST_MAIN(TestFrmEdit)
// A big station file opens whole; Neu, Edit and Delete, three times with restarts, read back
// right. A file read only in part (a line cut for showing, the head of a huge file) is never
// rewritten, and only a file read to its end takes a new station; a refusal says why.
void TestFrmEdit::grosseListe_data()
{
    QTest::addColumn<QString>("art");
    QTest::addColumn<bool>("neuGeht");
    QTest::addColumn<bool>("aendernGeht");
    QTest::addColumn<QString>("grund");
    QTest::newRow("20.000 Sender") << "" << true << true << "";
    QTest::newRow("lange Zeile") << "lange Zeile" << true << false << "Zeile 15003 der Datei";
    QTest::newRow("über 64 MB") << "über 64 MB" << false << false << "größer als 64 MB";
}

void TestFrmEdit::grosseListe()
{
    QFETCH(QString, art);
    QFETCH(bool, neuGeht);
    QFETCH(bool, aendernGeht);
    QFETCH(QString, grund);
    const QByteArray vorher = senderListe(art);
    schreiben(senderDatei(), vorher);
    QStringList da;
    QStringList weg;
    QByteArray angehaengt;
    for (int runde = 1; runde <= 4; ++runde) {
        meldungstest::leeren();
        frmFernsicht w;
        w.Form_Load();
        QCOMPARE(w.alleSender().size(), 20000 + (neuGeht ? runde - 1 : 0) - (aendernGeht ? runde - 1 : 0));
        for (const QString& name : da)
            QCOMPARE(w.liste()->findItems(name, Qt::MatchExactly, 1).size(), 1);
        for (const QString& name : weg)
            QVERIFY2(w.liste()->findItems(name, Qt::MatchExactly, 1).isEmpty(), qPrintable(name));
        const auto beimLaden = meldungstest::aufrufe();
        QCOMPARE(beimLaden.size(), grund.isEmpty() ? 0 : 1);
        if (!grund.isEmpty())
            QVERIFY2(beimLaden.first().text.contains(grund), qPrintable(beimLaden.first().text));
        if (runde == 4)
            break;
        meldungstest::leeren();
        frmEdit neu(&w);
        neu.Form_Load();
        neu.cmdNeu_Click();
        teil<QComboBox>(neu, "cboGruppe")->setEditText(QStringLiteral("Neu"));
        teil<QLineEdit>(neu, "txtSenderName")->setText(QStringLiteral("Neu%1").arg(runde));
        teil<QLineEdit>(neu, "txtURL")->setText(QStringLiteral("http://neu/%1").arg(runde));
        neu.cmdOK_Click();
        QCOMPARE(neu.result() == QDialog::Accepted, neuGeht);
        (neuGeht ? da : weg) << QStringLiteral("Neu%1").arg(runde);
        if (neuGeht)
            angehaengt += "Neu\r\nNeu" + QByteArray::number(runde) + "\r\nhttp://neu/" + QByteArray::number(runde) + "\r\n";

        w.liste()->setCurrentItem(w.liste()->findItems(senderName(100 * runde), Qt::MatchExactly, 1).first());
        frmEdit aendern(&w);
        aendern.Form_Load();
        teil<QLineEdit>(aendern, "txtSenderName")->setText(QStringLiteral("Bearbeitet %1").arg(runde));
        aendern.cmdOK_Click();
        (aendernGeht ? da : weg) << QStringLiteral("Bearbeitet %1").arg(runde);
        (aendernGeht ? weg : da) << senderName(100 * runde);

        w.liste()->setCurrentItem(w.liste()->findItems(senderName(100 * runde + 50), Qt::MatchExactly, 1).first());
        meldungstest::antwortVormerken(Antwort::Ja);
        w.lvwSender_KeyUp(Qt::Key_Delete);
        (aendernGeht ? weg : da) << senderName(100 * runde + 50);

        const auto abgelehnt = meldungstest::aufrufe();
        QCOMPARE(abgelehnt.size(), (neuGeht ? 0 : 1) + (aendernGeht ? 0 : 2) + 1);
        for (const auto& meldung : abgelehnt) {
            if (meldung.titel != QLatin1String("Sicherheitsabfrage"))
                QVERIFY2(meldung.text.contains(grund) && meldung.text.contains(QStringLiteral("nicht geändert")),
                         qPrintable(meldung.text));
        }
    }
    if (!aendernGeht)
        QVERIFY(lesen(senderDatei()) == vorher + angehaengt);
}

#include "tst_frmedit.moc"
