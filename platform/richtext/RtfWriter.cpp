#include "platform/richtext/Rtf.h"
#include "platform/richtext/RtfTokenizer.h"

#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

namespace klang::richtext {

using namespace detail;

namespace {

// The character properties as the writer emits them; the initial value is the state every
// reader starts from, so only differences need to be written.
struct Run
{
    int font = 0;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int vertical = 0; // 0 normal, 1 \super, 2 \sub, 3 \up, 4 \dn
    int offset = 0;   // half-points for \up and \dn
    int color = 0;
    int highlight = 0;
};

void appendWord(QString& out, const char* word)
{
    out.append(u'\\');
    out.append(QLatin1StringView(word));
}

void appendWord(QString& out, const char* word, int param)
{
    appendWord(out, word);
    out.append(QString::number(param));
}

const char16_t HexDigits[] = u"0123456789abcdef";

// Text in the subset: markup characters escaped, Windows-1252 letters as lower-case \'hh,
// everything else beyond ASCII as \uN with "?" for readers that do not know \u.
void appendEscaped(QString& out, QStringView text)
{
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out.append(u'\\');
            out.append(qc);
        } else if (c == u'\t') {
            out.append(u"\\tab ");
        } else if (c == 0x2028) {
            out.append(u"\\line ");
        } else if (c >= 0x20 && c < 0x7F) {
            out.append(qc);
        } else if (isDroppedChar(c) || c == 0x7F) {
            continue;
        } else if (const int b = unicodeToCp1252(c)) {
            out.append(u"\\'");
            out.append(QChar(HexDigits[b >> 4]));
            out.append(QChar(HexDigits[b & 15]));
        } else {
            out.append(u"\\u");
            out.append(QString::number(qint16(c)));
            out.append(u'?');
        }
    }
}

// Text that may hold marks of pictures or objects read from the field: each whole mark goes
// back as the RTF group it stood for; everything else (also a mark the user typed into) is text.
void appendKeptText(QString& out, QStringView text, const QStringList& kept)
{
    if (kept.size() != 2 || kept[0].isEmpty() || !kept[1].startsWith(u'{') || !kept[1].endsWith(u'}')) {
        appendEscaped(out, text);
        return;
    }
    const QString& mark = kept[0];
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(mark); at >= 0; at = text.indexOf(mark, from)) {
        appendEscaped(out, text.mid(from, at - from));
        out.append(kept[1]);
        from = at + mark.size();
    }
    appendEscaped(out, text.mid(from));
}

void appendHeader(QString& out, const QStringList& fonts, const QList<QRgb>& colors)
{
    out.append(u"{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl");
    for (int i = 0; i < fonts.size(); ++i) {
        out.append(u"{\\f");
        out.append(QString::number(i));
        out.append(u"\\fnil\\fcharset0 ");
        QString name = fonts[i];
        name.remove(u';');
        appendEscaped(out, name);
        out.append(u";}");
    }
    out.append(u"}\r\n{\\colortbl ;");
    for (const QRgb rgb : colors) {
        appendWord(out, "red", qRed(rgb));
        appendWord(out, "green", qGreen(rgb));
        appendWord(out, "blue", qBlue(rgb));
        out.append(u';');
    }
    out.append(u"}\r\n\\viewkind4\\uc1");
}

QString familyOf(const QTextCharFormat& format)
{
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

class Writer
{
public:
    explicit Writer(const QTextDocument& document) : m_document(document)
    {
        const QFont font = document.defaultFont();
        m_fonts.append(font.family().isEmpty() ? QStringLiteral("Segoe UI") : font.family());
        m_fontIndex.insert(m_fonts.first(), 0);
        m_defaultHalfPoints = font.pointSizeF() > 0 ? qRound(font.pointSizeF() * 2) : 20;
    }

    QString write()
    {
        // First pass: the font and colour tables.
        for (QTextBlock b = m_document.begin(); b.isValid(); b = b.next()) {
            register_(b.charFormat());
            for (auto it = b.begin(); !it.atEnd(); ++it)
                register_(it.fragment().charFormat());
        }
        QString body;
        body.reserve(m_document.characterCount() * 2 + 64);
        for (QTextBlock b = m_document.begin(); b.isValid(); b = b.next())
            writeBlock(body, b);

        QString out;
        out.reserve(body.size() + 256);
        appendHeader(out, m_fonts, m_colors);
        out.append(body);
        out.append(u'}');
        return out;
    }

private:
    void register_(const QTextCharFormat& format)
    {
        const QString family = familyOf(format);
        if (!family.isEmpty() && !m_fontIndex.contains(family)) {
            m_fontIndex.insert(family, int(m_fonts.size()));
            m_fonts.append(family);
        }
        if (format.foreground().style() != Qt::NoBrush)
            colorIndex(format.foreground().color());
        if (format.background().style() != Qt::NoBrush)
            colorIndex(format.background().color());
    }

    int colorIndex(const QColor& color)
    {
        const QRgb rgb = color.rgb() & 0xFFFFFF;
        auto it = m_colorIndex.constFind(rgb);
        if (it != m_colorIndex.constEnd())
            return it.value();
        m_colors.append(rgb);
        const int index = int(m_colors.size()); // index 0 is the automatic colour
        m_colorIndex.insert(rgb, index);
        return index;
    }

    Run runOf(const QTextCharFormat& f)
    {
        Run r;
        const QString family = familyOf(f);
        r.font = family.isEmpty() ? 0 : m_fontIndex.value(family, 0);
        const double points = f.fontPointSize();
        r.halfPoints = points > 0 ? qMax(1, qRound(points * 2)) : m_defaultHalfPoints;
        r.bold = f.fontWeight() >= QFont::DemiBold;
        r.italic = f.fontItalic();
        r.underline = f.fontUnderline();
        r.strike = f.fontStrikeOut();
        const int offsetTwips = f.intProperty(CharOffsetProperty);
        if (offsetTwips != 0) {
            r.vertical = offsetTwips > 0 ? 3 : 4;
            r.offset = qMax(1, qRound(qAbs(offsetTwips) / 10.0));
        } else if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) {
            r.vertical = 1;
        } else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) {
            r.vertical = 2;
        }
        if (f.foreground().style() != Qt::NoBrush)
            r.color = colorIndex(f.foreground().color());
        if (f.background().style() != Qt::NoBrush)
            r.highlight = colorIndex(f.background().color());
        return r;
    }

    // Writes the words that turn the current properties into the wanted ones.
    void switchTo(QString& out, const Run& want)
    {
        Run& cur = m_current;
        const qsizetype before = out.size();
        if (want.font != cur.font)
            appendWord(out, "f", want.font);
        if (want.halfPoints != cur.halfPoints)
            appendWord(out, "fs", want.halfPoints);
        if (want.bold != cur.bold)
            appendWord(out, want.bold ? "b" : "b0");
        if (want.italic != cur.italic)
            appendWord(out, want.italic ? "i" : "i0");
        if (want.underline != cur.underline)
            appendWord(out, want.underline ? "ul" : "ulnone");
        if (want.strike != cur.strike)
            appendWord(out, want.strike ? "strike" : "strike0");
        if (want.vertical != cur.vertical || want.offset != cur.offset) {
            if (cur.vertical == 1 || cur.vertical == 2)
                appendWord(out, "nosupersub");
            else if (cur.vertical == 3 && want.vertical != 3)
                appendWord(out, "up0");
            else if (cur.vertical == 4 && want.vertical != 4)
                appendWord(out, "dn0");
            switch (want.vertical) {
            case 1: appendWord(out, "super"); break;
            case 2: appendWord(out, "sub"); break;
            case 3: appendWord(out, "up", want.offset); break;
            case 4: appendWord(out, "dn", want.offset); break;
            default: break;
            }
        }
        if (want.color != cur.color)
            appendWord(out, "cf", want.color);
        if (want.highlight != cur.highlight)
            appendWord(out, "highlight", want.highlight);
        if (out.size() != before)
            out.append(u' ');
        cur = want;
    }

    void writeBlock(QString& out, const QTextBlock& block)
    {
        const QTextBlockFormat bf = block.blockFormat();
        out.append(u"\\pard");
        const Qt::Alignment align = bf.alignment() & Qt::AlignHorizontal_Mask;
        if (align & Qt::AlignJustify)
            out.append(u"\\qj");
        else if (align & Qt::AlignHCenter)
            out.append(u"\\qc");
        else if (align & (Qt::AlignRight | Qt::AlignTrailing))
            out.append(u"\\qr");

        const QTextList* list = block.textList();
        if (list)
            writeListMark(out, list, block);
        double left = bf.leftMargin();
        if (!list && bf.indent() > 0)
            left += bf.indent() * m_document.indentWidth();
        const int li = qRound(left * TwipsPerPixel);
        const int ri = qRound(bf.rightMargin() * TwipsPerPixel);
        const int fi = qRound(bf.textIndent() * TwipsPerPixel);
        if (fi != 0)
            appendWord(out, "fi", fi);
        if (li != 0)
            appendWord(out, "li", li);
        if (ri != 0)
            appendWord(out, "ri", ri);
        if (out.back().isLetterOrNumber())
            out.append(u' '); // ends the last word; after a group a blank would be text

        bool any = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString text = fragment.text();
            if (text.isEmpty())
                continue;
            switchTo(out, runOf(fragment.charFormat()));
            appendKeptText(out, text, fragment.charFormat().property(RawRtfProperty).toStringList());
            any = true;
        }
        if (!any)
            switchTo(out, runOf(block.charFormat()));
        out.append(u"\\par\r\n");
    }

    void writeListMark(QString& out, const QTextList* list, const QTextBlock& block)
    {
        const QTextListFormat::Style style = list->format().style();
        const bool bullet = style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
                            || style == QTextListFormat::ListSquare
                            || style == QTextListFormat::ListStyleUndefined;
        out.append(u"{\\pntext ");
        if (bullet) {
            out.append(u"\\'b7");
        } else {
            appendEscaped(out, list->itemText(block));
        }
        out.append(u"\\tab}{\\*\\pn");
        if (bullet) {
            out.append(u"\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'b7}}");
            return;
        }
        out.append(u"\\pnlvlbody\\pnf0\\pnindent0\\pnstart1");
        switch (style) {
        case QTextListFormat::ListLowerAlpha: out.append(u"\\pnlcltr"); break;
        case QTextListFormat::ListUpperAlpha: out.append(u"\\pnucltr"); break;
        case QTextListFormat::ListLowerRoman: out.append(u"\\pnlcrm"); break;
        case QTextListFormat::ListUpperRoman: out.append(u"\\pnucrm"); break;
        default: out.append(u"\\pndec"); break;
        }
        out.append(u"{\\pntxta.}}");
    }

    const QTextDocument& m_document;
    QStringList m_fonts;
    QHash<QString, int> m_fontIndex;
    QList<QRgb> m_colors;
    QHash<QRgb, int> m_colorIndex;
    int m_defaultHalfPoints = 20;
    Run m_current;
};

} // namespace

QString writeRtf(const QTextDocument& document)
{
    return Writer(document).write();
}

QString plainTextToRtf(const QString& text, const QString& fontName, double pointSize)
{
    QString out;
    out.reserve(text.size() + 160);
    appendHeader(out, QStringList{fontName.isEmpty() ? QStringLiteral("Segoe UI") : fontName}, {});
    const int halfPoints = pointSize > 0 ? qMax(1, qRound(pointSize * 2)) : 20;
    out.append(u"\\pard");
    appendWord(out, "fs", halfPoints);
    out.append(u' ');
    // Every line becomes a paragraph; the reader gives back exactly these lines.
    const QString lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    qsizetype from = 0;
    for (;;) {
        const qsizetype end = lines.indexOf(u'\n', from);
        appendEscaped(out, QStringView(lines).mid(from, end < 0 ? -1 : end - from));
        out.append(u"\\par\r\n");
        if (end < 0)
            break;
        out.append(u"\\pard ");
        from = end + 1;
    }
    out.append(u'}');
    return out;
}

} // namespace klang::richtext
