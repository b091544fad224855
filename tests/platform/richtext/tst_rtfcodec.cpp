#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/Rtf.h"
#include "tests/platform/richtext/RichTextTests.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>

using namespace klang::richtext;

namespace {

// A field as the rich-text box stores it, around the given body.
QString field(const QString& body)
{
    return QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Segoe "
                          "UI;}{\\f1\\fswiss\\fcharset0 Arial;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;"
                          "\\red0\\green0\\blue255;}\r\n\\viewkind4\\uc1\\pard ")
           + body + QStringLiteral("\\par\r\n}");
}

QTextCharFormat formatOfFirst(const QTextDocument& doc, QChar ch)
{
    const int pos = int(doc.toPlainText().indexOf(ch));
    if (pos < 0)
        return {};
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(pos + 1);
    return c.charFormat();
}

QVariant charProperty(const QTextCharFormat& f, const QString& name)
{
    if (name == u"bold")
        return f.fontWeight() >= QFont::DemiBold;
    if (name == u"italic")
        return f.fontItalic();
    if (name == u"underline")
        return f.fontUnderline();
    if (name == u"strike")
        return f.fontStrikeOut();
    if (name == u"vertical")
        return f.verticalAlignment() == QTextCharFormat::AlignSuperScript ? 1
               : f.verticalAlignment() == QTextCharFormat::AlignSubScript ? 2
                                                                           : 0;
    if (name == u"offset")
        return f.intProperty(CharOffsetProperty);
    if (name == u"size")
        return f.fontPointSize();
    if (name == u"family")
        return f.fontFamilies().toStringList().value(0);
    if (name == u"color")
        return f.foreground().style() == Qt::NoBrush ? QString() : f.foreground().color().name();
    if (name == u"background")
        return f.background().style() == Qt::NoBrush ? QString() : f.background().color().name();
    return {};
}

QVariant blockProperty(const QTextBlockFormat& f, const QString& name)
{
    if (name == u"align") {
        const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
        return (a & Qt::AlignJustify) ? QStringLiteral("justify")
               : (a & Qt::AlignHCenter) ? QStringLiteral("center")
               : (a & Qt::AlignRight)   ? QStringLiteral("right")
                                        : QStringLiteral("left");
    }
    if (name == u"left")
        return f.leftMargin();
    if (name == u"right")
        return f.rightMargin();
    if (name == u"first")
        return f.textIndent();
    return {};
}

const char* const BulletField =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Segoe UI;}"
    "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n\\viewkind4\\uc1\\pard{\\pntext\\f1\\'B7\\tab}"
    "{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-720\\li720\\f0\\fs20 eins\\par\r\n"
    "{\\pntext\\f1\\'B7\\tab}zwei\\par\r\n\\pard drei\\par\r\n}\r\n";

} // namespace

class RtfCodecTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each character property of the subset reaches the document, including its "off" forms
    // and group scoping.
    void readsCharacterFormat_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("b") << "\\b x\\b0 y" << "bold" << QVariant(true);
        QTest::newRow("b1") << "\\b1 x" << "bold" << QVariant(true);
        QTest::newRow("b0") << "\\b\\b0 x" << "bold" << QVariant(false);
        QTest::newRow("b group ends") << "{\\b y}x" << "bold" << QVariant(false);
        QTest::newRow("plain resets") << "\\b\\plain x" << "bold" << QVariant(false);
        QTest::newRow("i") << "\\i x" << "italic" << QVariant(true);
        QTest::newRow("i0") << "\\i\\i0 x" << "italic" << QVariant(false);
        QTest::newRow("ul") << "\\ul x" << "underline" << QVariant(true);
        QTest::newRow("ulw") << "\\ulw x" << "underline" << QVariant(true);
        QTest::newRow("ulnone") << "\\ul\\ulnone x" << "underline" << QVariant(false);
        QTest::newRow("ul0") << "\\ul\\ul0 x" << "underline" << QVariant(false);
        QTest::newRow("strike") << "\\strike x" << "strike" << QVariant(true);
        QTest::newRow("strike0") << "\\strike\\strike0 x" << "strike" << QVariant(false);
        QTest::newRow("super") << "\\super x" << "vertical" << QVariant(1);
        QTest::newRow("sub") << "\\sub x" << "vertical" << QVariant(2);
        QTest::newRow("nosupersub") << "\\super\\nosupersub x" << "vertical" << QVariant(0);
        QTest::newRow("up raises") << "\\up3 x" << "vertical" << QVariant(1);
        QTest::newRow("up twips") << "\\up3 x" << "offset" << QVariant(30);
        QTest::newRow("dn twips") << "\\dn3 x" << "offset" << QVariant(-30);
        QTest::newRow("up0") << "\\up3\\up0 x" << "vertical" << QVariant(0);
        QTest::newRow("super has no offset") << "\\super x" << "offset" << QVariant(0);
        QTest::newRow("fs") << "\\fs28 x" << "size" << QVariant(14.0);
        QTest::newRow("fs half") << "\\fs21 x" << "size" << QVariant(10.5);
        QTest::newRow("fs default") << "x" << "size" << QVariant(12.0);
        QTest::newRow("plain size") << "\\fs40\\plain x" << "size" << QVariant(12.0);
        QTest::newRow("f1") << "\\f1 x" << "family" << QVariant(QStringLiteral("Arial"));
        QTest::newRow("deff") << "x" << "family" << QVariant(QStringLiteral("Segoe UI"));
        QTest::newRow("unknown font") << "\\f9 x" << "family" << QVariant(QString());
        QTest::newRow("cf1") << "\\cf1 x" << "color" << QVariant(QStringLiteral("#ff0000"));
        QTest::newRow("cf2") << "\\cf2 x" << "color" << QVariant(QStringLiteral("#0000ff"));
        QTest::newRow("cf0 automatic") << "\\cf1\\cf0 x" << "color" << QVariant(QString());
        QTest::newRow("cf out of table") << "\\cf7 x" << "color" << QVariant(QString());
        QTest::newRow("highlight") << "\\highlight2 x" << "background"
                                   << QVariant(QStringLiteral("#0000ff"));
        QTest::newRow("cb") << "\\cb1 x" << "background" << QVariant(QStringLiteral("#ff0000"));
    }
    void readsCharacterFormat()
    {
        QFETCH(QString, body);
        QFETCH(QString, property);
        QFETCH(QVariant, expected);
        QTextDocument doc;
        readRtf(doc, field(body));
        QCOMPARE(charProperty(formatOfFirst(doc, u'x'), property), expected);
    }

    // Older boxes write a colour table whose first entry is a real colour, not "automatic".
    void colourTableWithoutAutomaticEntry()
    {
        QTextDocument doc;
        readRtf(doc, QStringLiteral("{\\rtf1{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"
                                    "\\pard\\plain\\cf0 a\\cf1 b\\par }"));
        QCOMPARE(doc.toPlainText(), QStringLiteral("ab"));
        QCOMPARE(charProperty(formatOfFirst(doc, u'a'), "color").toString(), QStringLiteral("#000000"));
        QCOMPARE(charProperty(formatOfFirst(doc, u'b'), "color").toString(), QStringLiteral("#ff0000"));
    }

    // Paragraph alignment and indents (twips, 15 per pixel) reach the block format.
    void readsParagraphFormat_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("qc") << "\\qc x" << "align" << QVariant(QStringLiteral("center"));
        QTest::newRow("qr") << "\\qr x" << "align" << QVariant(QStringLiteral("right"));
        QTest::newRow("qj") << "\\qj x" << "align" << QVariant(QStringLiteral("justify"));
        QTest::newRow("pard resets") << "\\qc\\pard x" << "align" << QVariant(QStringLiteral("left"));
        QTest::newRow("li") << "\\li720 x" << "left" << QVariant(48.0);
        QTest::newRow("ri") << "\\ri1440 x" << "right" << QVariant(96.0);
        QTest::newRow("fi") << "\\fi-360\\li360 x" << "first" << QVariant(-24.0);
        QTest::newRow("huge li bounded") << "\\li999999999999 x" << "left" << QVariant(2112.0);
    }
    void readsParagraphFormat()
    {
        QFETCH(QString, body);
        QFETCH(QString, property);
        QFETCH(QVariant, expected);
        QTextDocument doc;
        readRtf(doc, field(body));
        QCOMPARE(blockProperty(doc.firstBlock().blockFormat(), property), expected);
    }

    // Paragraph properties belong to the paragraph that the mark ends, and carry over to the
    // next paragraph until \pard.
    void paragraphPropertiesEndWithTheirParagraph()
    {
        QTextDocument doc;
        readRtf(doc, field(QStringLiteral("\\qc a\\par b\\par\\pard c")));
        QCOMPARE(doc.blockCount(), 3);
        QCOMPARE(blockProperty(doc.findBlockByNumber(0).blockFormat(), "align").toString(), "center");
        QCOMPARE(blockProperty(doc.findBlockByNumber(1).blockFormat(), "align").toString(), "center");
        QCOMPARE(blockProperty(doc.findBlockByNumber(2).blockFormat(), "align").toString(), "left");
        // Without a closing paragraph mark, the last paragraph still gets its properties.
        readRtf(doc, QStringLiteral("{\\rtf1 \\qr x}"));
        QCOMPARE(blockProperty(doc.firstBlock().blockFormat(), "align").toString(), "right");
    }

    // The rich-text box's bullets read as one list and write back as bullets.
    void bulletsRoundTrip()
    {
        QTextDocument doc;
        readRtf(doc, QString::fromLatin1(BulletField));
        QCOMPARE(doc.toPlainText(), QStringLiteral("eins\nzwei\ndrei"));
        QTextList* list = doc.findBlockByNumber(0).textList();
        QVERIFY(list);
        QCOMPARE(doc.findBlockByNumber(1).textList(), list);
        QVERIFY(!doc.findBlockByNumber(2).textList());
        QCOMPARE(list->format().style(), QTextListFormat::ListDisc);

        const QString rtf = writeRtf(doc);
        QVERIFY(rtf.contains(QStringLiteral("\\pnlvlblt")));
        QTextDocument again;
        readRtf(again, rtf);
        QCOMPARE(again.toPlainText(), doc.toPlainText());
        QVERIFY(again.findBlockByNumber(0).textList());
        QCOMPARE(again.findBlockByNumber(1).textList(), again.findBlockByNumber(0).textList());
        QVERIFY(!again.findBlockByNumber(2).textList());
        QCOMPARE(writeRtf(again), rtf);
    }

    // Numbered paragraphs (\pnlvlbody\pndec) become a decimal list.
    void numberedParagraphs()
    {
        QTextDocument doc;
        readRtf(doc, field(QStringLiteral("{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta.}}a\\par"
                                          "{\\pntext 2.\\tab}b")));
        QCOMPARE(doc.toPlainText(), QStringLiteral("a\nb"));
        QVERIFY(doc.firstBlock().textList());
        QCOMPARE(doc.firstBlock().textList()->format().style(), QTextListFormat::ListDecimal);
        QCOMPARE(doc.findBlockByNumber(1).textList(), doc.firstBlock().textList());
    }

    // Each formatting kind the panes apply survives writing and reading (read what we write)
    // and writes back unchanged (write what we read).
    void roundTrip_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("word");
        for (const auto& [kind, word] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"bold", "\\b "}, {"italic", "\\i "}, {"underline", "\\ul "},
                 {"strike", "\\strike "}, {"font", "Arial;"}, {"size", "\\fs28 "},
                 {"color", "\\red255\\green0\\blue0;"}, {"raised", "\\up3 "},
                 {"lowered", "\\dn3 "}, {"bullet", "\\pnlvlblt"}, {"center", "\\qc"},
                 {"right", "\\qr"}, {"indent", "\\li720"}, {"rightIndent", "\\ri1440"},
                 {"hanging", "\\fi-360"}, {"umlaut", "\\'e4"}})
            QTest::newRow(kind) << QString::fromLatin1(kind) << QString::fromLatin1(word);
    }
    void roundTrip()
    {
        QFETCH(QString, kind);
        QFETCH(QString, word);
        RichTextBox box;
        box.setText(QStringLiteral("eins zwei\ndrei"));
        box.setSelStart(5);
        box.setSelLength(4);
        if (kind == u"bold")
            box.setSelBold(true);
        else if (kind == u"italic")
            box.setSelItalic(true);
        else if (kind == u"underline")
            box.setSelUnderline(true);
        else if (kind == u"strike")
            box.setSelStrikeThru(true);
        else if (kind == u"font")
            box.setSelFontName(QStringLiteral("Arial"));
        else if (kind == u"size")
            box.setSelFontSize(14);
        else if (kind == u"color")
            box.setSelColor(QColor(255, 0, 0));
        else if (kind == u"raised")
            box.setSelCharOffset(30);
        else if (kind == u"lowered")
            box.setSelCharOffset(-30);
        else if (kind == u"bullet")
            box.setSelBullet(true);
        else if (kind == u"center")
            box.setSelAlignment(RichTextBox::Alignment::Center);
        else if (kind == u"right")
            box.setSelAlignment(RichTextBox::Alignment::Right);
        else if (kind == u"indent")
            box.setSelIndent(720);
        else if (kind == u"rightIndent")
            box.setSelRightIndent(1440);
        else if (kind == u"hanging")
            box.setSelHangingIndent(360);
        else if (kind == u"umlaut")
            box.setSelText(QStringLiteral("zwäi"));

        const QString written = box.rtfText();
        QVERIFY2(written.contains(word), qPrintable(written));
        RichTextBox again;
        again.setRtfText(written);
        QCOMPARE(again.text(), box.text());
        QCOMPARE(again.rtfText(), written);
        // The formatted word and the untouched one read back as they were set.
        for (const int start : {0, 5}) {
            box.setSelStart(start);
            box.setSelLength(4);
            again.setSelStart(start);
            again.setSelLength(4);
            QCOMPARE(again.selBold(), box.selBold());
            QCOMPARE(again.selItalic(), box.selItalic());
            QCOMPARE(again.selUnderline(), box.selUnderline());
            QCOMPARE(again.selStrikeThru(), box.selStrikeThru());
            QCOMPARE(again.selFontName(), box.selFontName());
            QCOMPARE(again.selFontSize(), box.selFontSize());
            QCOMPARE(again.selColor(), box.selColor());
            QCOMPARE(again.selCharOffset(), box.selCharOffset());
            QCOMPARE(again.selBullet(), box.selBullet());
            QCOMPARE(again.selAlignment(), box.selAlignment());
            QCOMPARE(again.selIndent(), box.selIndent());
            QCOMPARE(again.selHangingIndent(), box.selHangingIndent());
            QCOMPARE(again.selRightIndent(), box.selRightIndent());
        }
    }

    // Umlauts and other Windows-1252 letters are stored as lower-case \'hh, never as \u or
    // raw text: the song search finds them only in that form.
    void umlautsWrittenAsLowerCaseHexEscapes()
    {
        RichTextBox box;
        box.setText(QStringLiteral("Mädchen für Öl, Übel, Äpfel, Straße, 5 €"));
        const QString rtf = box.rtfText();
        for (const char* escaped : {"M\\'e4dchen", "f\\'fcr", "\\'d6l", "\\'dcbel", "\\'c4pfel",
                                    "Stra\\'dfe", "5 \\'80"})
            QVERIFY2(rtf.contains(QLatin1StringView(escaped)), escaped);
        QVERIFY(!rtf.contains(QRegularExpression(QStringLiteral("\\\\u-?[0-9]"))));
        for (const QChar c : rtf)
            QVERIFY(c.unicode() < 0x80);
        QCOMPARE(rtfToPlainText(rtf), box.text());
    }

    // Characters outside Windows-1252 are written as \uN? (UTF-16 units) and read back.
    void otherCharactersWrittenAsUnicodeEscapes()
    {
        RichTextBox box;
        const QString text = QStringLiteral("Ω ") + QString::fromUtf8("\xF0\x9F\x98\x80");
        box.setText(text);
        const QString rtf = box.rtfText();
        QVERIFY(rtf.contains(QStringLiteral("\\u937?")));
        QVERIFY(rtf.contains(QStringLiteral("\\u-10179?\\u-8704?")));
        QCOMPARE(rtfToPlainText(rtf), text);
    }

    // \uN with its \uc skip count, negative values and group ends.
    void readsUnicodeEscapes_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("expected");
        QTest::newRow("euro") << "\\u8364?" << QStringLiteral("€");
        QTest::newRow("skip one") << "\\u228?x" << QStringLiteral("äx");
        QTest::newRow("hex fallback") << "\\u228\\'e4x" << QStringLiteral("äx");
        QTest::newRow("uc0") << "\\uc0\\u228 x" << QStringLiteral("äx");
        QTest::newRow("uc2") << "\\uc2\\u228\\'e4\\'e4x" << QStringLiteral("äx");
        QTest::newRow("uc2 text") << "{\\uc2\\u228 ab}c" << QStringLiteral("äc");
        QTest::newRow("group ends skip") << "\\u228{x}" << QStringLiteral("äx");
        QTest::newRow("negative") << "\\u-3913?" << QString(QChar(0xF0B7));
        QTest::newRow("surrogates") << "\\u-10179?\\u-8704?" << QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("zero ignored") << "\\u0?x" << QStringLiteral("x");
        QTest::newRow("control dropped") << "a\\u10?b\\'0dc" << QStringLiteral("abc");
    }
    void readsUnicodeEscapes()
    {
        QFETCH(QString, body);
        QFETCH(QString, expected);
        const QString rtf = field(body);
        QTextDocument doc;
        readRtf(doc, rtf);
        QCOMPARE(doc.toPlainText(), expected);
        QCOMPARE(rtfToPlainText(rtf), expected);
    }

    // The grid's plain text: only visible text, the same as the document shows.
    void plainText_data()
    {
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QString>("expected");
        QTest::newRow("rich edit") << QStringLiteral(
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fnil\\fcharset0 Segoe UI;}}\r\n"
            "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n\\pard\\f0\\fs20 1. Intro\\par\r\n"
            "2. Lied\\par\r\n}\r\n") << QStringLiteral("1. Intro\n2. Lied");
        QTest::newRow("line and tab") << "{\\rtf1 a\\line b\\tab c}" << "a\nb\tc";
        QTest::newRow("escapes") << "{\\rtf1 \\{x\\} \\\\}" << "{x} \\";
        QTest::newRow("hex") << "{\\rtf1 M\\'e4dchen \\'80}" << QStringLiteral("Mädchen €");
        QTest::newRow("upper-case hex") << "{\\rtf1 M\\'E4dchen}" << QStringLiteral("Mädchen");
        QTest::newRow("nbsp") << "{\\rtf1 a\\~b}" << "a b";
        QTest::newRow("empty") << "{\\rtf1 }" << "";
        QTest::newRow("empty paragraph") << "{\\rtf1 a\\par\\par b\\par}" << "a\n\nb";
        QTest::newRow("trailing empty paragraph") << "{\\rtf1 a\\par\\par}" << "a\n";
        QTest::newRow("picture") << "{\\rtf1 a{\\pict\\wmetafile8 0102ab}b}" << "a[Bild]b";
        QTest::newRow("object") << "{\\rtf1 a{\\object{\\*\\objdata 01}{\\result{\\pict 00}}}b}" << "a[Objekt]b";
        QTest::newRow("word picture once") << "{\\rtf1 a{\\*\\shppict{\\pict 01}}{\\nonshppict{\\pict 02}}b}"
                                           << "a[Bild]b";
        QTest::newRow("bullets") << QString::fromLatin1(BulletField) << "eins\nzwei\ndrei";
        QTest::newRow("field") << "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt Seite}}}"
                               << "Seite";
        QTest::newRow("ignorable") << "{\\rtf1 a{\\*\\foo b}c}" << "ac";
        QTest::newRow("unknown word") << "{\\rtf1 a\\foo123 b}" << "ab";
        QTest::newRow("unknown destination shows") << "{\\rtf1 a{\\foo b}c}" << "abc";
        QTest::newRow("binary") << "{\\rtf1 a{\\*\\blob\\bin3 }}{}b}" << "ab";
        QTest::newRow("after early end") << "{\\rtf1 a}b\\par c}" << "ab\nc";
        QTest::newRow("blanks after end") << QStringLiteral("{\\rtf1 a}\r\n}") + QChar(0) << "a";
        QTest::newRow("unclosed") << "{\\rtf1 a{\\b b" << "ab";
        QTest::newRow("source line ends") << "{\\rtf1 a\r\nb}" << "ab";
        QTest::newRow("backslash line end") << "{\\rtf1 a\\\nb}" << "a\nb";
        QTest::newRow("leading blanks") << "  \r\n{\\rtf1 x}" << "x";
        QTest::newRow("table") << "{\\rtf1 \\trowd a\\cell b\\cell\\row c}" << "a\tb\t\nc";
        QTest::newRow("specials") << "{\\rtf1 \\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet}"
                                  << QStringLiteral("—–‘’“”•");
        QTest::newRow("font and colour tables") << field(QStringLiteral("x")) << "x";
        QTest::newRow("stylesheet and info") << "{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}x}" << "x";
    }
    void plainText()
    {
        QFETCH(QString, rtf);
        QFETCH(QString, expected);
        QVERIFY(isRtf(rtf));
        QCOMPARE(rtfToPlainText(rtf), expected);
        QTextDocument doc;
        readRtf(doc, rtf);
        QCOMPARE(doc.toPlainText(), expected);
        // A cut text is the start of the whole one, at every length.
        for (qsizetype n = 0; n <= expected.size() + 1; ++n)
            QCOMPARE(rtfToPlainText(rtf, n), expected.left(n));
        QCOMPARE(rtfToPlainText(rtf, -1), expected);
    }

    // A picture or object the box cannot show survives an edit elsewhere in the field: its
    // group is written back where its mark stood. A mark the user typed into stays text.
    void keepsPicturesThroughEdits_data()
    {
        QTest::addColumn<QString>("gruppe");
        QTest::addColumn<QString>("marke");
        QTest::newRow("picture") << "{\\pict\\wmetafile8\\picw100\\pich50 0102ab\r\nff}" << "[Bild]";
        QTest::newRow("object") << "{\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 01}{\\result{\\pict 00}}}"
                                << "[Objekt]";
        QTest::newRow("word picture") << "{\\*\\shppict{\\pict\\pngblip 89504e47}}" << "[Bild]";
        QTest::newRow("braces in binary") << "{\\pict\\bin4 {}{}}" << "[Bild]";
    }
    void keepsPicturesThroughEdits()
    {
        QFETCH(QString, gruppe);
        QFETCH(QString, marke);
        const QString feld = QStringLiteral("{\\rtf1 vor ") + gruppe + gruppe + QStringLiteral(" nach\\par}");
        QTextDocument doc;
        readRtf(doc, feld);
        QCOMPARE(doc.toPlainText(), QStringLiteral("vor ") + marke + marke + QStringLiteral(" nach"));
        QTextCursor c(&doc);
        c.movePosition(QTextCursor::End);
        c.insertText(QStringLiteral("!"));
        const QString geschrieben = writeRtf(doc);
        QCOMPARE(geschrieben.count(gruppe), 2);
        readRtf(doc, geschrieben);
        QCOMPARE(doc.toPlainText(), QStringLiteral("vor ") + marke + marke + QStringLiteral(" nach!"));

        // Typed into the first mark: that one is text now, the second picture stays.
        c = QTextCursor(&doc);
        c.setPosition(6);
        c.insertText(QStringLiteral("x"));
        const QString danach = writeRtf(doc);
        QCOMPARE(danach.count(gruppe), 1);
        readRtf(doc, danach);
        QCOMPARE(doc.toPlainText(), QStringLiteral("vor ") + marke.left(2) + QStringLiteral("x") + marke.mid(2) + marke
                                        + QStringLiteral(" nach!"));
    }

    // A field stored as plain text by an older program reads as that text.
    void nonRtfIsPlainText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "Hallo Welt" << "Hallo Welt";
        QTest::newRow("line ends") << "a\r\nb\rc" << "a\nb\nc";
        QTest::newRow("rtf later") << "x {\\rtf1 y}" << "x {\\rtf1 y}";
        QTest::newRow("upper case") << "{\\RTF1 y}" << "{\\RTF1 y}";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("umlauts") << QStringLiteral("Mädchen \\'e4") << QStringLiteral("Mädchen \\'e4");
    }
    void nonRtfIsPlainText()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QVERIFY(!isRtf(text));
        QCOMPARE(rtfToPlainText(text), expected);
        QTextDocument doc;
        readRtf(doc, text);
        QCOMPARE(doc.toPlainText(), expected);
        QVERIFY(!doc.isModified());
    }

    // Plain text becomes a field that reads back as the same lines in the panes' font.
    void plainTextToRtfRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lines") << "eins\nzwei" << "eins\nzwei";
        QTest::newRow("markup characters") << "a{b}c\\d" << "a{b}c\\d";
        QTest::newRow("umlaut") << QStringLiteral("Mädchen") << QStringLiteral("Mädchen");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("trailing line end") << "x\n" << "x\n";
        QTest::newRow("crlf") << "a\r\nb" << "a\nb";
        QTest::newRow("looks like rtf") << "{\\rtf1 x}" << "{\\rtf1 x}";
    }
    void plainTextToRtfRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QString rtf = plainTextToRtf(text);
        QVERIFY(isRtf(rtf));
        QVERIFY(rtf.contains(QStringLiteral("Segoe UI;")));
        QVERIFY(rtf.contains(QStringLiteral("\\fs20 ")));
        QCOMPARE(rtfToPlainText(rtf), expected);
        QTextDocument doc;
        readRtf(doc, rtf);
        QCOMPARE(doc.toPlainText(), expected);
        QCOMPARE(formatOfFirst(doc, expected.isEmpty() ? QChar() : expected.at(0)).fontPointSize(),
                 expected.isEmpty() ? 0.0 : 10.0);
    }

    // Reading replaces what the document held and leaves it unmodified without undo history.
    void readReplacesContentAndClearsHistory()
    {
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("alt"));
        QTextCursor(&doc).insertText(QStringLiteral("x"));
        QVERIFY(doc.isModified());
        readRtf(doc, field(QStringLiteral("neu")));
        QCOMPARE(doc.toPlainText(), QStringLiteral("neu"));
        QVERIFY(!doc.isModified());
        QVERIFY(!doc.isUndoAvailable());
    }
};

std::unique_ptr<QObject> makeRtfCodecTest()
{
    return std::make_unique<RtfCodecTest>();
}

#include "tst_rtfcodec.moc"
