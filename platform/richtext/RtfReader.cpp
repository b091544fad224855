#include "platform/richtext/Rtf.h"
#include "platform/richtext/RtfInterpreter.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

namespace klang::richtext {

using namespace detail;

qsizetype detail::rtfStart(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i].isSpace() || text[i] == QChar(0xFEFF)))
        ++i;
    return QStringView(text).mid(i).startsWith(u"{\\rtf") ? i : -1;
}

namespace {

// A field that is not RTF, as the document shows it: line ends normalised to "\n", characters
// the document would turn into structure or hide become blanks.
QString plainField(const QString& text)
{
    QString out = text;
    if (out.contains(u'\r')) {
        out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        out.replace(u'\r', u'\n');
    }
    for (QChar& c : out) {
        if (c.unicode() == 0x2028)
            c = u'\n';
        else if (c.unicode() == 0x00A0 || (c != u'\n' && isDroppedChar(c.unicode())))
            c = u' ';
    }
    return out;
}

struct PlainSink
{
    static constexpr bool Formatting = false;
    QString out;
    qsizetype limit = -1; // stop once the text is this long (-1: read all)

    bool satt() const { return limit >= 0 && out.size() >= limit; }

    void text(QStringView run, const CharState&) { out.append(run); }
    void paragraphEnd(const ParaState&, const CharState&) {}
    void paragraphStart(const CharState&) { out.append(u'\n'); }
    void object(QStringView mark, QStringView, const CharState&) { out.append(mark); }
    void font(int, const QString&) {}
    void color(const QColor&) {}
    void setDefaultFont(int) {}
};

QTextListFormat::Style listStyle(ListKind kind)
{
    switch (kind) {
    case ListKind::Decimal: return QTextListFormat::ListDecimal;
    case ListKind::LowerAlpha: return QTextListFormat::ListLowerAlpha;
    case ListKind::UpperAlpha: return QTextListFormat::ListUpperAlpha;
    case ListKind::LowerRoman: return QTextListFormat::ListLowerRoman;
    case ListKind::UpperRoman: return QTextListFormat::ListUpperRoman;
    case ListKind::Bullet:
    case ListKind::None: break;
    }
    return QTextListFormat::ListDisc;
}

class DocumentSink
{
public:
    static constexpr bool Formatting = true;
    static constexpr int MaxColors = 4096;

    explicit DocumentSink(QTextDocument& document) : m_cursor(&document) {}

    void text(QStringView run, const CharState& ch)
    {
        if (!m_buffer.isEmpty() && !(ch == m_bufferState))
            flush();
        m_bufferState = ch;
        m_buffer.append(run);
    }

    void paragraphEnd(const ParaState& para, const CharState& ch)
    {
        flush();
        QTextBlockFormat format;
        format.setAlignment(para.align == 1   ? Qt::AlignHCenter
                            : para.align == 2 ? Qt::AlignRight
                            : para.align == 3 ? Qt::AlignJustify
                                              : Qt::AlignLeft);
        if (para.left != 0)
            format.setLeftMargin(para.left / TwipsPerPixel);
        if (para.right != 0)
            format.setRightMargin(para.right / TwipsPerPixel);
        if (para.firstLine != 0)
            format.setTextIndent(para.firstLine / TwipsPerPixel);
        m_cursor.setBlockFormat(format);
        const QTextBlock block = m_cursor.block();
        if (block.length() <= 1)
            m_cursor.setBlockCharFormat(charFormat(ch)); // an empty line keeps its size
        if (para.list == ListKind::None) {
            m_list = nullptr;
            return;
        }
        // Consecutive paragraphs of the same kind form one list.
        if (m_list && m_listKind == para.list && block.previous().isValid()
            && block.previous().textList() == m_list) {
            m_list->add(block);
        } else {
            QTextListFormat listFormat;
            listFormat.setStyle(listStyle(para.list));
            listFormat.setIndent(1);
            m_list = m_cursor.createList(listFormat);
            m_listKind = para.list;
        }
    }

    void paragraphStart(const CharState& ch)
    {
        flush();
        m_cursor.insertBlock(QTextBlockFormat(), charFormat(ch));
    }

    void object(QStringView mark, QStringView group, const CharState& ch)
    {
        flush();
        QTextCharFormat format = charFormat(ch);
        if (!group.isEmpty())
            format.setProperty(RawRtfProperty, QStringList{mark.toString(), group.toString()});
        m_cursor.insertText(mark.toString(), format);
    }

    void font(int number, const QString& name) { m_fonts.insert(number, name); }

    void color(const QColor& color)
    {
        if (m_colors.size() < MaxColors)
            m_colors.append(color);
    }

    void setDefaultFont(int number) { m_defaultFont = number; }

    void flush()
    {
        if (m_buffer.isEmpty())
            return;
        m_cursor.insertText(m_buffer, charFormat(m_bufferState));
        m_buffer.clear();
    }

private:
    const QTextCharFormat& charFormat(const CharState& ch)
    {
        if (m_formatValid && ch == m_formatState)
            return m_format;
        QTextCharFormat f;
        const QString family = m_fonts.value(ch.font < 0 ? m_defaultFont : ch.font);
        if (!family.isEmpty())
            f.setFontFamilies(QStringList{family});
        f.setFontPointSize(ch.halfPoints / 2.0);
        f.setFontWeight(ch.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(ch.italic);
        f.setFontUnderline(ch.underline);
        f.setFontStrikeOut(ch.strike);
        if (ch.offset != 0) {
            f.setVerticalAlignment(ch.offset > 0 ? QTextCharFormat::AlignSuperScript
                                                 : QTextCharFormat::AlignSubScript);
            f.setProperty(CharOffsetProperty, ch.offset * 10);
        } else if (ch.vertical != 0) {
            f.setVerticalAlignment(ch.vertical == 1 ? QTextCharFormat::AlignSuperScript
                                                    : QTextCharFormat::AlignSubScript);
        }
        // Entry 0 is usually empty ("automatic"); older writers put a real colour there.
        if (ch.color < m_colors.size() && m_colors[ch.color].isValid())
            f.setForeground(m_colors[ch.color]);
        if (ch.highlight > 0 && ch.highlight < m_colors.size()
            && m_colors[ch.highlight].isValid())
            f.setBackground(m_colors[ch.highlight]);
        m_format = f;
        m_formatState = ch;
        m_formatValid = true;
        return m_format;
    }

    QTextCursor m_cursor;
    QHash<int, QString> m_fonts;
    QList<QColor> m_colors;
    int m_defaultFont = 0;
    QString m_buffer;
    CharState m_bufferState;
    QTextCharFormat m_format;
    CharState m_formatState;
    bool m_formatValid = false;
    QTextList* m_list = nullptr;
    ListKind m_listKind = ListKind::None;
};

} // namespace

bool isRtf(const QString& text)
{
    return rtfStart(text) >= 0;
}

QString rtfToPlainText(const QString& text)
{
    return rtfToPlainText(text, -1);
}

QString rtfToPlainText(const QString& text, qsizetype maxLength)
{
    const qsizetype start = rtfStart(text);
    if (start < 0) {
        if (maxLength < 0 || text.size() <= maxLength)
            return plainField(text);
        // One character more, so that a CR LF cut in two still becomes one line end.
        return plainField(text.left(maxLength + 1)).left(maxLength);
    }
    PlainSink sink;
    sink.limit = maxLength;
    sink.out.reserve(maxLength >= 0 ? qMin(maxLength, text.size()) : text.size() / 2);
    RtfInterpreter<PlainSink> interpreter(QStringView(text).mid(start), sink);
    interpreter.run();
    if (maxLength >= 0 && sink.out.size() > maxLength)
        sink.out.truncate(maxLength);
    // The same replacements QTextDocument::toPlainText() makes.
    for (QChar& c : sink.out) {
        if (c.unicode() == 0x2028)
            c = u'\n';
        else if (c.unicode() == 0x00A0)
            c = u' ';
    }
    return sink.out;
}

void readRtf(QTextDocument& document, const QString& text)
{
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    const qsizetype start = rtfStart(text);
    if (start < 0) {
        document.setPlainText(plainField(text));
    } else {
        // One edit block: the document (and a layout, if it has one) hears of the change once
        // instead of after every paragraph and run.
        QTextCursor block(&document);
        block.beginEditBlock();
        DocumentSink sink(document);
        RtfInterpreter<DocumentSink> interpreter(QStringView(text).mid(start), sink);
        interpreter.run();
        sink.flush();
        block.endEditBlock();
    }
    document.setUndoRedoEnabled(undo);
    document.setModified(false);
}

} // namespace klang::richtext
