#include "platform/richtext/PlainTextSearch.h"
#include "platform/richtext/Rtf.h"
#include "tests/platform/richtext/RichTextTests.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringMatcher>
#include <QTextDocument>
#include <QtTest>

using namespace klang::richtext;

namespace {

const char* const Seeds[] = {
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Segoe UI;}{\\f1\\fswiss Arial;}}"
    "{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard\\qc\\li720\\ri100\\fi-360\\f0\\fs20 "
    "M\\'e4dchen \\b fett\\b0  \\i kursiv\\i0  \\ul unter\\ulnone  \\strike weg\\strike0 "
    "\\up3 hoch\\up0 \\dn3 tief\\dn0 \\cf1 rot\\cf0\\line\\tab\\u8364?\\par}",
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Segoe UI;}{\\f1\\fnil\\fcharset2 Symbol;}}"
    "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-720\\li720 "
    "eins\\par{\\pntext\\f1\\'B7\\tab}zwei\\par\\pard drei{\\pict\\wmetafile8 0102}"
    "{\\*\\generator x}{\\field{\\*\\fldinst HYPERLINK}{\\fldrslt Link}}\\par}",
    "{\\rtf1 \\uc2\\u-3913\\'b7\\'b7{\\super x}\\sub y\\nosupersub\\highlight1 z\\bin3 {}}\\{\\}\\\\}",
};

// The quick search's matcher finds a text exactly where the scanner's text holds it: fixed
// texts (folding, hidden parts, breaks, marks) and pieces of the field's own text in the other
// case.
void checkSearch(const QString& input, const QString& text)
{
    QStringList needles = {QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("x"), QStringLiteral("herz"),
                           QStringLiteral("segoe"), QStringLiteral(" "), QStringLiteral("\n"), QStringLiteral("[bild]"),
                           QStringLiteral("a b"), QStringLiteral("aab"), QStringLiteral("ä")};
    for (const qsizetype from : {text.size() / 3, text.size() / 2}) {
        for (const qsizetype length : {1, 3, 7})
            needles << text.mid(from, length).toUpper() << text.mid(from, length).toLower();
    }
    const QString visible = isRtf(input) ? text : input;
    for (const QString& needle : std::as_const(needles)) {
        if (needle.isEmpty())
            continue;
        const bool expected = QStringMatcher(needle, Qt::CaseInsensitive).indexIn(visible) >= 0;
        QVERIFY2(PlainTextSearch(needle).foundIn(input) == expected, qPrintable(needle));
    }
}

// Whatever the input, the scanner and the document agree on the text, and writing what was
// read keeps the text and is stable after one pass.
void checkInvariants(QTextDocument& doc, const QString& input)
{
    readRtf(doc, input);
    const QString text = doc.toPlainText();
    QCOMPARE(rtfToPlainText(input), text);
    checkSearch(input, text);
    const QString written = writeRtf(doc);
    QVERIFY(isRtf(written));
    readRtf(doc, written);
    QCOMPARE(doc.toPlainText(), text);
    QCOMPARE(writeRtf(doc), written);
}

QString randomInput(QRandomGenerator& rng)
{
    static const char16_t Alphabet[] = u"{}\\\\\\'*;?-0123456789abfiu \r\n\tx\u00e4\u20ac";
    const int length = int(rng.bounded(200));
    QString s = QStringLiteral("{\\rtf1 ");
    for (int i = 0; i < length; ++i) {
        if (rng.bounded(4) == 0)
            s.append(QChar(char16_t(rng.bounded(0x10000)))); // any UTF-16 unit
        else
            s.append(QChar(Alphabet[rng.bounded(int(std::size(Alphabet)) - 1)]));
    }
    return s;
}

QString mutated(QRandomGenerator& rng)
{
    QString s = QString::fromLatin1(Seeds[rng.bounded(int(std::size(Seeds)))]);
    static const char* const Inserts[] = {"{", "}", "\\", "\\'", "\\'4", "\\u", "\\u-99999999999",
                                          "\\uc9", "\\bin99999999", "\\fs99999999999999999",
                                          "\\*", "{\\*\\pn", "\\par", "\\pard", "\\cf999", "\\f-5"};
    const int edits = 1 + int(rng.bounded(6));
    for (int e = 0; e < edits && !s.isEmpty(); ++e) {
        const int pos = int(rng.bounded(int(s.size())));
        switch (rng.bounded(3)) {
        case 0:
            s.remove(pos, 1 + int(rng.bounded(8)));
            break;
        case 1:
            s.insert(pos, QLatin1StringView(Inserts[rng.bounded(int(std::size(Inserts)))]));
            break;
        default:
            s[pos] = QChar(char16_t(rng.bounded(0x100)));
            break;
        }
    }
    return s;
}

} // namespace

class RtfFuzzTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Shapes that break naive readers: deep nesting, stray braces, huge numbers, truncated
    // escapes, binary junk.
    void hostileInput_data()
    {
        QTest::addColumn<QString>("input");
        QTest::newRow("deep nesting") << QStringLiteral("{\\rtf1 ") + QString(200000, u'{') + "x";
        QTest::newRow("deep balanced")
            << QStringLiteral("{\\rtf1 ") + QString(5000, u'{') + "\\b x" + QString(5000, u'}') + "y}";
        QTest::newRow("stray closing") << QStringLiteral("{\\rtf1 x") + QString(100000, u'}');
        QTest::newRow("huge numbers")
            << "{\\rtf1\\fs999999999999999999999\\li-99999999999999\\up99999999 \\u99999999999 x}";
        QTest::newRow("huge bin") << "{\\rtf1 a\\bin999999999999 b}";
        QTest::newRow("negative bin") << "{\\rtf1 a\\bin-5 b}";
        QTest::newRow("huge uc") << "{\\rtf1\\uc99999\\u65 abc}";
        QTest::newRow("truncated hex") << "{\\rtf1 a\\'4";
        QTest::newRow("bad hex") << "{\\rtf1 a\\'zzb}";
        QTest::newRow("trailing backslash") << "{\\rtf1 a\\";
        QTest::newRow("trailing u") << "{\\rtf1 a\\u";
        QTest::newRow("long word") << QStringLiteral("{\\rtf1 \\") + QString(100000, u'a') + " x}";
        QTest::newRow("long number") << QStringLiteral("{\\rtf1 \\fs") + QString(100000, u'9') + " x}";
        QTest::newRow("nul bytes") << QString::fromLatin1("{\\rtf1 a\0b\0\0}", 12);
        QTest::newRow("huge font table")
            << QStringLiteral("{\\rtf1{\\fonttbl") + QString(20000, u'x') + "}x}";
        QTest::newRow("colour without end") << "{\\rtf1{\\colortbl\\red999\\green-3\\blue300";
        QTest::newRow("frame marks") << QStringLiteral("{\\rtf1 a\\u-560?\\u-559?\\u8233?b\uFFFCc}");
        QTest::newRow("pn nesting") << "{\\rtf1{\\*\\pn{\\*\\pn{\\*\\pn\\pnlvlblt}}}x\\par y}";
        QTest::newRow("only open") << "{\\rtf";
        QTest::newRow("folding into ASCII") << QStringLiteral("{\\rtf1 \\u383?\\u8490? HeR{\\b Z}}");
        QTest::newRow("hidden and broken text")
            << QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Segoe;}}{\\*\\x herz}a\\~b\\line a\\tab b a\\par b aa\\-b{\\pict 01}}");
        QTest::newRow("not rich text") << QStringLiteral("  a b\r\nHerz\u00a0x");
        QTest::newRow("many paragraphs") << QStringLiteral("{\\rtf1 ") + QString(3000, u' ').replace(u' ', QStringLiteral("\\par ")) + "}";
    }
    void hostileInput()
    {
        QFETCH(QString, input);
        QElapsedTimer timer;
        timer.start();
        QTextDocument doc;
        checkInvariants(doc, input);
        QVERIFY2(timer.elapsed() < 20000, "hostile input must not make the reader crawl");
    }

    // Random text and mutated real fields, a bounded number of times (also bounded in time).
    void randomAndMutatedInput()
    {
        QRandomGenerator rng(20261209);
        QTextDocument doc;
        QElapsedTimer timer;
        timer.start();
        int done = 0;
        for (; done < 20000 && timer.elapsed() < 25000; ++done) {
            const QString input = (done % 2) ? randomInput(rng) : mutated(rng);
            checkInvariants(doc, input);
            if (QTest::currentTestFailed()) {
                qWarning().noquote() << "failing input:" << input;
                return;
            }
        }
        QVERIFY(done >= 1000);
    }
};

std::unique_ptr<QObject> makeRtfFuzzTest()
{
    return std::make_unique<RtfFuzzTest>();
}

#include "tst_rtffuzz.moc"
