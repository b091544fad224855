#include "platform/vbcompat/VbCompat.h"

#include <QApplication>
#include <QtTest>

#include <clocale>
#include <string>

using namespace klang::vb;

class TestVbCompat : public QObject
{
    Q_OBJECT

private slots:
    // Val reads the leading number the way stored texts and settings expect it.
    void val_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("plain") << "42" << 42.0;
        QTest::newRow("trailing text") << "12abc" << 12.0;
        QTest::newRow("leading blanks and tab") << " \t 3.5" << 3.5;
        QTest::newRow("blanks inside digits") << "1 615 198th" << 1615198.0;
        QTest::newRow("negative") << "-17" << -17.0;
        QTest::newRow("plus sign") << "+8" << 8.0;
        QTest::newRow("sign then blank") << "- 5" << -5.0;
        QTest::newRow("comma is no separator") << "1,5" << 1.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("leading point") << ".25" << 0.25;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("negative exponent") << "25E-1" << 2.5;
        QTest::newRow("D exponent") << "2d2" << 200.0;
        QTest::newRow("incomplete exponent") << "7e" << 7.0;
        QTest::newRow("incomplete exponent sign") << "7e+x" << 7.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("lone sign") << "-" << 0.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("hex lower case") << "&hff" << 255.0;
        QTest::newRow("hex colour is a Long") << "&HC0E0FF" << 12640511.0;
        QTest::newRow("hex 16-bit wraps") << "&HFFFF" << -1.0;
        QTest::newRow("hex 32-bit wraps") << "&HFFFFFFFF" << -1.0;
        QTest::newRow("hex stops at invalid") << "&H1G" << 1.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("octal stops at 8") << "&O78" << 7.0;
        QTest::newRow("ampersand alone") << "&X12" << 0.0;
        QTest::newRow("overflow is no crash") << "1e999" << 0.0;
    }
    void val()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(Val(text), expected);
    }

    // Val ignores the locale: a German locale must not make "," the separator.
    void valIgnoresLocale()
    {
        const QLocale old;
        const std::string oldNumeric = std::setlocale(LC_NUMERIC, nullptr);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const bool cGerman = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE");
        const double point = Val(QStringLiteral("2.5"));
        const double comma = Val(QStringLiteral("2,5"));
        std::setlocale(LC_NUMERIC, oldNumeric.c_str());
        QLocale::setDefault(old);
        QCOMPARE(point, 2.5);
        QCOMPARE(comma, 2.0);
        if (!cGerman)
            qInfo("no German C locale installed: only Qt's locale was German");
    }

    // Whole-number rounding is banker's rounding, as CInt/CLng/Round do it.
    void roundWhole_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("2.5") << 2.5 << qint64(2);
        QTest::newRow("3.5") << 3.5 << qint64(4);
        QTest::newRow("-2.5") << -2.5 << qint64(-2);
        QTest::newRow("-3.5") << -3.5 << qint64(-4);
        QTest::newRow("0.5") << 0.5 << qint64(0);
        QTest::newRow("1.5") << 1.5 << qint64(2);
        QTest::newRow("2.4999") << 2.4999 << qint64(2);
        QTest::newRow("2.5001") << 2.5001 << qint64(3);
        QTest::newRow("-0.4") << -0.4 << qint64(0);
    }
    void roundWhole()
    {
        QFETCH(double, value);
        QFETCH(qint64, expected);
        QCOMPARE(roundHalfEven(value), expected);
    }

    // Rounding to digits keeps ties to even, also for decimal halves binary cannot hold exactly.
    void roundDigits_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<double>("expected");
        QTest::newRow("0.125 at 2") << 0.125 << 2 << 0.12;
        QTest::newRow("0.135 at 2") << 0.135 << 2 << 0.14;
        QTest::newRow("2.675 at 2") << 2.675 << 2 << 2.68;
        QTest::newRow("1.005 at 2") << 1.005 << 2 << 1.0;
        QTest::newRow("-0.125 at 2") << -0.125 << 2 << -0.12;
        QTest::newRow("3.14159 at 3") << 3.14159 << 3 << 3.142;
        QTest::newRow("2.5 at 0") << 2.5 << 0 << 2.0;
        QTest::newRow("12.345 at 1") << 12.345 << 1 << 12.3;
    }
    void roundDigits()
    {
        QFETCH(double, value);
        QFETCH(int, digits);
        QFETCH(double, expected);
        QCOMPARE(roundHalfEven(value, digits), expected);
    }

    // Str gives the runtime's text: a blank where the sign would be, no zero before the point.
    void str_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("positive") << 5.0 << " 5";
        QTest::newRow("negative") << -5.0 << "-5";
        QTest::newRow("zero") << 0.0 << " 0";
        QTest::newRow("fraction") << 2.5 << " 2.5";
        QTest::newRow("below one") << 0.5 << " .5";
        QTest::newRow("negative below one") << -0.25 << "-.25";
        QTest::newRow("big whole") << 123456789012345.0 << " 123456789012345";
        QTest::newRow("15 digits") << 1.0 / 3.0 << " .333333333333333";
        QTest::newRow("exponent large") << 1.5e15 << " 1.5E+15";
        QTest::newRow("exponent small") << 0.00001 << " 1E-05";
        QTest::newRow("smallest fixed") << 0.0001 << " .0001";
    }
    void str()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(Str(value), expected);
    }

    // Colour literals store blue in the high byte; the conversion must not swap red and blue wrongly.
    void colours_data()
    {
        QTest::addColumn<quint32>("bgr");
        QTest::addColumn<QColor>("rgb");
        QTest::newRow("warning") << quint32(0xC0E0FF) << QColor(255, 224, 192);
        QTest::newRow("error") << quint32(0xC0C0FF) << QColor(255, 192, 192);
        QTest::newRow("text") << quint32(0x352300) << QColor(0, 35, 53);
        QTest::newRow("pure red") << quint32(0x0000FF) << QColor(255, 0, 0);
        QTest::newRow("pure blue") << quint32(0xFF0000) << QColor(0, 0, 255);
    }
    void colours()
    {
        QFETCH(quint32, bgr);
        QFETCH(QColor, rgb);
        QCOMPARE(colorFromBgr(bgr), rgb);
        QCOMPARE(bgrFromColor(rgb), bgr);
    }

    // System colour literals take the palette's colour instead of turning into a wrong RGB.
    void systemColour()
    {
        QCOMPARE(colorFromBgr(0x8000000Fu), QGuiApplication::palette().color(QPalette::Button));
        QCOMPARE(colorFromBgr(0x80000005u), QGuiApplication::palette().color(QPalette::Base));
    }

    // Twips convert at 15 per pixel and truncate toward zero.
    void twips_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("6090") << 6090 << 406;
        QTest::newRow("15") << 15 << 1;
        QTest::newRow("14") << 14 << 0;
        QTest::newRow("-29") << -29 << -1;
        QTest::newRow("zero") << 0 << 0;
    }
    void twips()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(twipsToPixels(twips), pixels);
    }
    void pixelsToTwipsScales() { QCOMPARE(pixelsToTwips(406), 6090); }

    // The hourglass goes away on every exit path, also when leaving by an exception.
    void hourglassRestores()
    {
        QVERIFY(!QGuiApplication::overrideCursor());
        {
            HourglassGuard guard;
            QVERIFY(QGuiApplication::overrideCursor());
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            {
                HourglassGuard nested;
            }
            QVERIFY(QGuiApplication::overrideCursor());
        }
        QVERIFY(!QGuiApplication::overrideCursor());
        try {
            HourglassGuard guard;
            throw 1;
        } catch (int) {
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestVbCompat)
#include "tst_vbcompat.moc"
