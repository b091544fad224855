#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/Rtf.h"
#include "tests/platform/richtext/RichTextTests.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using namespace klang::richtext;

namespace {

void select(RichTextBox& box, int start, int length)
{
    box.setSelStart(start);
    box.setSelLength(length);
}

QTextCharFormat formatAt(const QTextDocument& doc, int position)
{
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(position + 1);
    return c.charFormat();
}

} // namespace

class RichTextBoxTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Loading a record's field is no change; typing is, and the flag can be cleared.
    void modifiedFlag()
    {
        RichTextBox box;
        box.setRtfText(plainTextToRtf(QStringLiteral("Lied")));
        QVERIFY(!box.isModified());
        QCOMPARE(box.text(), QStringLiteral("Lied"));
        QCOMPARE(box.selStart(), 0);
        box.setSelStart(4);
        QTest::keyClicks(&box, QStringLiteral("er"));
        QCOMPARE(box.text(), QStringLiteral("Lieder"));
        QVERIFY(box.isModified());
        box.setModified(false);
        QVERIFY(!box.isModified());
        box.setSelStart(0);
        box.setSelLength(1);
        box.setSelBold(true);
        QVERIFY(box.isModified()); // formatting is a change too
        box.setText(QStringLiteral("neu"));
        QVERIFY(box.isModified());
        // Text is text, even when it looks like markup.
        box.setText(QStringLiteral("{\\rtf1 \\b <b>x</b>}"));
        QCOMPARE(box.text(), QStringLiteral("{\\rtf1 \\b <b>x</b>}"));
    }

    // A new field replaces the content but not what the box was set up with (font, margin,
    // undo, read-only); editing and formatting go on working on what is shown.
    void loadingKeepsTheBoxSettings()
    {
        RichTextBox box;
        QFont font(QStringLiteral("DejaVu Sans"), 13);
        box.document()->setDefaultFont(font);
        box.document()->setDocumentMargin(7);
        box.document()->setUndoRedoEnabled(false);
        for (const QString& feld : {plainTextToRtf(QStringLiteral("Eins\nZwei")), QStringLiteral("nur Text"),
                                    plainTextToRtf(QStringLiteral("Drei"))}) {
            box.setRtfText(feld);
            QCOMPARE(box.document()->defaultFont(), font);
            QCOMPARE(box.document()->documentMargin(), 7.0);
            QVERIFY(!box.document()->isUndoRedoEnabled());
            QVERIFY(!box.isModified());
        }
        QCOMPARE(box.text(), QStringLiteral("Drei"));
        box.setSelStart(4);
        QTest::keyClicks(&box, QStringLiteral("!"));
        QCOMPARE(box.text(), QStringLiteral("Drei!"));
        QVERIFY(box.isModified());
        QVERIFY(box.rtfText().contains(QStringLiteral("Drei!")));
        box.setReadOnly(true);
        box.setRtfText(plainTextToRtf(QStringLiteral("fest")));
        QTest::keyClicks(&box, QStringLiteral("x"));
        QCOMPARE(box.text(), QStringLiteral("fest"));
    }

    // SelStart and SelLength stay inside the text; SelText shows paragraph breaks as "\n".
    void selectionIsClamped_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("expectedStart");
        QTest::addColumn<int>("expectedLength");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("inside") << 2 << 3 << 2 << 3 << "c\nd";
        QTest::newRow("negative start") << -5 << 1 << 0 << 1 << "a";
        QTest::newRow("start past end") << 100 << 1 << 7 << 0 << "";
        QTest::newRow("length past end") << 5 << 100 << 5 << 2 << "ef";
        QTest::newRow("negative length") << 3 << -3 << 3 << 0 << "";
    }
    void selectionIsClamped()
    {
        QFETCH(int, start);
        QFETCH(int, length);
        RichTextBox box;
        box.setText(QStringLiteral("abc\ndef"));
        select(box, start, length);
        QTEST(box.selStart(), "expectedStart");
        QTEST(box.selLength(), "expectedLength");
        QTEST(box.selText(), "expectedText");
    }

    // SelText replaces the selection, turns CR LF into one paragraph break and leaves the
    // caret behind the new text.
    void setSelTextReplacesSelection()
    {
        RichTextBox box;
        box.setText(QStringLiteral("Hallo Welt"));
        select(box, 6, 4);
        box.setSelText(QStringLiteral("Leute\r\nda"));
        QCOMPARE(box.text(), QStringLiteral("Hallo Leute\nda"));
        QCOMPARE(box.selStart(), 14);
        QCOMPARE(box.selLength(), 0);
        QCOMPARE(box.document()->blockCount(), 2);
    }

    // A property set on part of a selection reads as mixed (nothing) over the whole of it.
    void mixedSelection_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"bold", "italic", "underline", "strike", "font", "size", "color",
                                 "offset", "bullet", "alignment", "indent", "rightIndent"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void mixedSelection()
    {
        QFETCH(QString, kind);
        RichTextBox box;
        box.setText(QStringLiteral("eins\nzwei"));
        select(box, 0, 2); // part of the first paragraph only
        auto apply = [&] {
            if (kind == u"bold") box.setSelBold(true);
            else if (kind == u"italic") box.setSelItalic(true);
            else if (kind == u"underline") box.setSelUnderline(true);
            else if (kind == u"strike") box.setSelStrikeThru(true);
            else if (kind == u"font") box.setSelFontName(QStringLiteral("Arial"));
            else if (kind == u"size") box.setSelFontSize(20);
            else if (kind == u"color") box.setSelColor(Qt::red);
            else if (kind == u"offset") box.setSelCharOffset(30);
            else if (kind == u"bullet") box.setSelBullet(true);
            else if (kind == u"alignment") box.setSelAlignment(RichTextBox::Alignment::Center);
            else if (kind == u"indent") box.setSelIndent(300);
            else if (kind == u"rightIndent") box.setSelRightIndent(300);
        };
        auto isMixed = [&] {
            if (kind == u"bold") return !box.selBold().has_value();
            if (kind == u"italic") return !box.selItalic().has_value();
            if (kind == u"underline") return !box.selUnderline().has_value();
            if (kind == u"strike") return !box.selStrikeThru().has_value();
            if (kind == u"font") return !box.selFontName().has_value();
            if (kind == u"size") return !box.selFontSize().has_value();
            if (kind == u"color") return !box.selColor().has_value();
            if (kind == u"offset") return !box.selCharOffset().has_value();
            if (kind == u"bullet") return !box.selBullet().has_value();
            if (kind == u"alignment") return !box.selAlignment().has_value();
            if (kind == u"indent") return !box.selIndent().has_value();
            return !box.selRightIndent().has_value();
        };
        QVERIFY(!isMixed());
        apply();
        QVERIFY(!isMixed());
        select(box, 0, 7); // both paragraphs
        QVERIFY(isMixed());
        apply(); // the whole selection takes the property
        QVERIFY(!isMixed());
    }

    // The bold button's rule: a partly bold selection becomes bold, a bold one plain.
    void boldToggleOverPartlyBoldSelection()
    {
        RichTextBox box;
        box.setText(QStringLiteral("fett und mager"));
        select(box, 0, 4);
        box.setSelBold(true);
        select(box, 0, 8);
        QCOMPARE(box.selBold(), std::nullopt);
        box.setSelBold(!(box.selBold() == true));
        QCOMPARE(box.selBold(), std::optional<bool>(true));
        box.setSelBold(!(box.selBold() == true));
        QCOMPARE(box.selBold(), std::optional<bool>(false));
    }

    // Raised and lowered text is stored with its offset; resetting removes it.
    void charOffset_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("vertical");
        QTest::newRow("raised") << 30 << "\\up3 " << int(QTextCharFormat::AlignSuperScript);
        QTest::newRow("lowered") << -30 << "\\dn3 " << int(QTextCharFormat::AlignSubScript);
        QTest::newRow("larger") << 60 << "\\up6 " << int(QTextCharFormat::AlignSuperScript);
    }
    void charOffset()
    {
        QFETCH(int, twips);
        QFETCH(QString, word);
        QFETCH(int, vertical);
        RichTextBox box;
        box.setText(QStringLiteral("H2O"));
        select(box, 1, 1);
        box.setSelCharOffset(twips);
        QCOMPARE(box.selCharOffset(), std::optional<int>(twips));
        QCOMPARE(int(formatAt(*box.document(), 1).verticalAlignment()), vertical);
        QVERIFY(box.rtfText().contains(word));
        box.setSelCharOffset(twips); // a second click changes nothing
        QCOMPARE(box.selCharOffset(), std::optional<int>(twips));
        box.setSelCharOffset(0);
        QCOMPARE(box.selCharOffset(), std::optional<int>(0));
        QVERIFY(!box.rtfText().contains(word));
        QCOMPARE(int(formatAt(*box.document(), 1).verticalAlignment()),
                 int(QTextCharFormat::AlignNormal));
    }

    // Indents are twips; the stored value is exact even when it is no whole pixel.
    void indentsInTwips_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("twips");
        QTest::addColumn<QString>("word");
        QTest::addColumn<double>("pixels");
        QTest::newRow("left") << "left" << 720 << "\\li720" << 48.0;
        QTest::newRow("left odd") << "left" << 50 << "\\li50" << 50 / 15.0;
        QTest::newRow("right") << "right" << 1440 << "\\ri1440" << 96.0;
        QTest::newRow("right odd") << "right" << 100 << "\\ri100" << 100 / 15.0;
    }
    void indentsInTwips()
    {
        QFETCH(QString, kind);
        QFETCH(int, twips);
        QFETCH(QString, word);
        QFETCH(double, pixels);
        RichTextBox box;
        box.setText(QStringLiteral("Absatz"));
        if (kind == u"left")
            box.setSelIndent(twips);
        else
            box.setSelRightIndent(twips);
        const QTextBlockFormat f = box.document()->firstBlock().blockFormat();
        QCOMPARE(kind == u"left" ? f.leftMargin() : f.rightMargin(), pixels);
        const QString rtf = box.rtfText();
        QVERIFY2(rtf.contains(word), qPrintable(rtf));
        RichTextBox again;
        again.setRtfText(rtf);
        QCOMPARE(kind == u"left" ? again.selIndent() : again.selRightIndent(),
                 std::optional<int>(twips));
    }

    // SelIndent is the first line's edge; the hanging indent moves the following lines.
    void hangingIndentKeepsFirstLine()
    {
        RichTextBox box;
        box.setText(QStringLiteral("Absatz"));
        box.setSelIndent(720);
        box.setSelHangingIndent(360);
        QCOMPARE(box.selIndent(), std::optional<int>(720));
        QCOMPARE(box.selHangingIndent(), std::optional<int>(360));
        QVERIFY(box.rtfText().contains(QStringLiteral("\\fi-360\\li1080")));
        box.setSelIndent(0);
        QCOMPARE(box.selHangingIndent(), std::optional<int>(360));
        QVERIFY(box.rtfText().contains(QStringLiteral("\\fi-360\\li360")));
    }

    // Bullets come and go per paragraph; removing them leaves the paragraph's indent.
    void bulletsToggle()
    {
        RichTextBox box;
        box.setText(QStringLiteral("eins\nzwei\ndrei"));
        select(box, 0, 6); // "eins" and part of "zwei"
        box.setSelIndent(300);
        box.setSelBullet(true);
        QCOMPARE(box.selBullet(), std::optional<bool>(true));
        QVERIFY(box.document()->findBlockByNumber(1).textList());
        QVERIFY(!box.document()->findBlockByNumber(2).textList());
        select(box, 0, 12);
        QCOMPARE(box.selBullet(), std::nullopt);
        select(box, 0, 6);
        box.setSelBullet(false);
        QCOMPARE(box.selBullet(), std::optional<bool>(false));
        const QTextBlockFormat f = box.document()->firstBlock().blockFormat();
        QCOMPARE(f.indent(), 0);
        QCOMPARE(box.selIndent(), std::optional<int>(300));
        QVERIFY(!box.rtfText().contains(QStringLiteral("\\pn")));
    }

    // The step log writes by inserting at the caret with a chosen colour and weight.
    void insertAtCaretUsesChosenFormat()
    {
        RichTextBox box;
        box.setSelBold(true);
        box.setSelColor(QColor(0, 0, 0));
        box.setSelText(QStringLiteral("Datenbank komprimieren\r\n"));
        box.setSelBold(false);
        box.setSelColor(QColor(255, 0, 0));
        box.setSelText(QStringLiteral("Datenbank schließen...\r\n"));
        box.setSelColor(QColor(0, 0, 255));
        box.setSelText(QStringLiteral("Datenbank geschlossen.\r\n"));
        QCOMPARE(box.text(), QStringLiteral("Datenbank komprimieren\nDatenbank schließen...\n"
                                            "Datenbank geschlossen.\n"));
        QTextDocument doc;
        readRtf(doc, box.rtfText());
        QCOMPARE(doc.toPlainText(), box.text());
        const QTextCharFormat heading = formatAt(doc, 0);
        QCOMPARE(heading.fontWeight(), int(QFont::Bold));
        QCOMPARE(heading.foreground().color(), QColor(0, 0, 0));
        const QTextCharFormat step = formatAt(doc, 23);
        QCOMPARE(step.fontWeight(), int(QFont::Normal));
        QCOMPARE(step.foreground().color(), QColor(255, 0, 0));
        QCOMPARE(formatAt(doc, 46).foreground().color(), QColor(0, 0, 255));
    }

    // Font name and size of a selection are stored in the font table and as half-points.
    void fontNameAndSize()
    {
        RichTextBox box;
        box.setText(QStringLiteral("Titel und Text"));
        select(box, 0, 5);
        box.setSelFontName(QStringLiteral("Arial"));
        box.setSelFontSize(14);
        QCOMPARE(box.selFontName(), std::optional<QString>(QStringLiteral("Arial")));
        QCOMPARE(box.selFontSize(), std::optional<double>(14));
        const QString rtf = box.rtfText();
        QVERIFY(rtf.contains(QStringLiteral("\\fnil\\fcharset0 Arial;}")));
        QVERIFY(rtf.contains(QStringLiteral("\\fs28 Titel")));
        box.setSelFontSize(0); // not a size: ignored
        QCOMPARE(box.selFontSize(), std::optional<double>(14));
    }

    // Setting a property with no selection changes only what is typed next.
    void emptySelectionFormatsTyping()
    {
        RichTextBox box;
        box.setText(QStringLiteral("ab"));
        box.setSelStart(1);
        box.setSelItalic(true);
        QCOMPARE(box.selItalic(), std::optional<bool>(true));
        QTest::keyClicks(&box, QStringLiteral("X"));
        QCOMPARE(box.text(), QStringLiteral("aXb"));
        QVERIFY(formatAt(*box.document(), 1).fontItalic());
        QVERIFY(!formatAt(*box.document(), 0).fontItalic());
        QVERIFY(!formatAt(*box.document(), 2).fontItalic());
    }

    // Copy and paste between panes keeps the formatting; a paste from elsewhere brings only
    // what a field can store.
    void clipboardCarriesRtfOrPlainText()
    {
        RichTextBox from;
        from.setText(QStringLiteral("fett normal"));
        select(from, 0, 4);
        from.setSelBold(true);
        select(from, 0, 11);
        const std::unique_ptr<QMimeData> copied(from.createMimeDataFromSelection());
        QVERIFY(copied->hasFormat(RichTextBox::rtfMimeType()));
        QCOMPARE(copied->text(), QStringLiteral("fett normal"));

        RichTextBox to;
        to.setText(QStringLiteral("[]"));
        to.setSelStart(1);
        QVERIFY(to.canInsertFromMimeData(copied.get()));
        to.insertFromMimeData(copied.get());
        QCOMPARE(to.text(), QStringLiteral("[fett normal]"));
        QVERIFY(formatAt(*to.document(), 1).fontWeight() >= QFont::DemiBold);
        QVERIFY(formatAt(*to.document(), 6).fontWeight() < QFont::DemiBold);

        QMimeData html;
        html.setHtml(QStringLiteral("<table><tr><td><img src=\"x.png\"><b>Zelle</b></td></tr></table>"));
        html.setText(QStringLiteral("Zelle"));
        to.setText(QString());
        to.insertFromMimeData(&html);
        QCOMPARE(to.text(), QStringLiteral("Zelle"));
        QVERIFY(formatAt(*to.document(), 0).fontWeight() < QFont::DemiBold);

        QMimeData imageOnly;
        imageOnly.setImageData(QImage(4, 4, QImage::Format_RGB32));
        QVERIFY(!to.canInsertFromMimeData(&imageOnly));
    }
};

std::unique_ptr<QObject> makeRichTextBoxTest()
{
    return std::make_unique<RichTextBoxTest>();
}

#include "tst_richtextbox.moc"
