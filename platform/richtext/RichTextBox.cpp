#include "platform/richtext/RichTextBox.h"

#include "platform/richtext/Rtf.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextDocument>
#include <QTextList>

namespace klang::richtext {

namespace {

QString withoutCarriageReturns(const QString& text)
{
    if (!text.contains(u'\r'))
        return text;
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(u'\r', u'\n');
    return out;
}

// The first-line edge and the hanging indent of a paragraph, in twips.
int firstLineTwips(const QTextBlockFormat& f)
{
    return qRound((f.leftMargin() + f.textIndent()) * TwipsPerPixel);
}

int hangingTwips(const QTextBlockFormat& f)
{
    return qRound(-f.textIndent() * TwipsPerPixel);
}

void setIndents(QTextBlockFormat& f, int firstLine, int hanging)
{
    f.setLeftMargin((firstLine + hanging) / TwipsPerPixel);
    f.setTextIndent(-hanging / TwipsPerPixel);
}

} // namespace

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
    setTabChangesFocus(false);
}

QString RichTextBox::rtfText() const
{
    return writeRtf(*document());
}

void RichTextBox::setRtfText(const QString& rtf)
{
    // The field is read into a document the box does not show yet and then swapped in: a
    // shown document lays itself out again after every insert, which made a field of a few
    // megabytes take minutes. The new document takes over what the box set on the old one.
    QTextDocument* alt = document();
    auto* neu = new QTextDocument(this);
    neu->setDefaultFont(alt->defaultFont());
    neu->setDocumentMargin(alt->documentMargin());
    neu->setDefaultTextOption(alt->defaultTextOption());
    neu->setIndentWidth(alt->indentWidth());
    neu->setUseDesignMetrics(alt->useDesignMetrics());
    neu->setDefaultStyleSheet(alt->defaultStyleSheet());
    neu->setUndoRedoEnabled(alt->isUndoRedoEnabled());
    readRtf(*neu, rtf);
    // The first document belongs to the edit control, which deletes it on the swap; the ones
    // made here belong to the box and go with the next swap.
    const bool eigenes = alt->parent() == this;
    setDocument(neu);
    if (eigenes)
        delete alt;
    QTextCursor c(neu);
    c.movePosition(QTextCursor::Start);
    setTextCursor(c);
    neu->setModified(false);
}

QString RichTextBox::text() const
{
    return document()->toPlainText();
}

void RichTextBox::setText(const QString& plain)
{
    document()->setPlainText(withoutCarriageReturns(plain));
    QTextCursor c(document());
    c.movePosition(QTextCursor::Start);
    setTextCursor(c);
    // Content set by the program is a change that belongs to the record.
    document()->setModified(true);
}

bool RichTextBox::isModified() const
{
    return document()->isModified();
}

void RichTextBox::setModified(bool modified)
{
    document()->setModified(modified);
}

int RichTextBox::selStart() const
{
    return textCursor().selectionStart();
}

void RichTextBox::setSelStart(int start)
{
    const int last = qMax(0, document()->characterCount() - 1);
    QTextCursor c = textCursor();
    c.setPosition(qBound(0, start, last));
    setTextCursor(c);
}

int RichTextBox::selLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void RichTextBox::setSelLength(int length)
{
    const int last = qMax(0, document()->characterCount() - 1);
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(qBound(start, start + qMax(0, length), last), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

QString RichTextBox::selText() const
{
    QString s = textCursor().selectedText();
    for (QChar& c : s) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return s;
}

void RichTextBox::setSelText(const QString& text)
{
    QTextCursor c = textCursor();
    c.insertText(withoutCarriageReturns(text));
    setTextCursor(c);
}

QMimeData* RichTextBox::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    const QTextCursor c = textCursor();
    if (!c.hasSelection())
        return data;
    data->setText(selText());
    QTextDocument part;
    part.setDefaultFont(document()->defaultFont());
    QTextCursor(&part).insertFragment(c.selection());
    data->setData(rtfMimeType(), writeRtf(part).toLatin1());
    return data;
}

bool RichTextBox::canInsertFromMimeData(const QMimeData* source) const
{
    return source && (source->hasFormat(rtfMimeType())
                      || source->hasFormat(QStringLiteral("application/rtf")) || source->hasText());
}

void RichTextBox::insertFromMimeData(const QMimeData* source)
{
    if (!source || isReadOnly())
        return;
    QByteArray rtf = source->data(rtfMimeType());
    if (rtf.isEmpty())
        rtf = source->data(QStringLiteral("application/rtf"));
    QTextCursor c = textCursor();
    const QString rtfText = QString::fromLatin1(rtf); // RTF is 7-bit; other bytes stay as read
    if (isRtf(rtfText)) {
        QTextDocument part;
        part.setDefaultFont(document()->defaultFont());
        readRtf(part, rtfText);
        c.insertFragment(QTextDocumentFragment(&part));
    } else if (source->hasText()) {
        c.insertText(withoutCarriageReturns(source->text()));
    } else {
        return;
    }
    setTextCursor(c);
    ensureCursorVisible();
}

// The value of a character property over the selection, or nothing when it differs.
template<typename T, typename Get>
std::optional<T> RichTextBox::uniformCharProperty(Get get) const
{
    const QTextCursor c = textCursor();
    if (!c.hasSelection())
        return get(c.charFormat());
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    std::optional<T> value;
    for (QTextBlock b = document()->findBlock(start); b.isValid() && b.position() < end;
         b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() + f.length() <= start || f.position() >= end)
                continue;
            const T v = get(f.charFormat());
            if (!value)
                value = v;
            else if (!(*value == v))
                return std::nullopt;
        }
    }
    if (!value)
        return get(c.charFormat()); // only paragraph breaks are selected
    return value;
}

// The value of a paragraph property over the paragraphs the selection touches.
template<typename T, typename Get>
std::optional<T> RichTextBox::uniformBlockProperty(Get get) const
{
    const QTextCursor c = textCursor();
    const QTextBlock last = document()->findBlock(c.selectionEnd());
    std::optional<T> value;
    for (QTextBlock b = document()->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
        const T v = get(b);
        if (!value)
            value = v;
        else if (!(*value == v))
            return std::nullopt;
        if (b == last)
            break;
    }
    return value;
}

void RichTextBox::mergeSelectionCharFormat(const QTextCharFormat& format)
{
    // With a selection the selected text changes; without one, what is typed next.
    mergeCurrentCharFormat(format);
}

template<typename Change>
void RichTextBox::changeSelectedBlocks(Change change)
{
    const QTextCursor sel = textCursor();
    const QTextBlock last = document()->findBlock(sel.selectionEnd());
    QTextCursor edit(document());
    edit.beginEditBlock();
    for (QTextBlock b = document()->findBlock(sel.selectionStart()); b.isValid(); b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        change(f);
        edit.setPosition(b.position());
        edit.setBlockFormat(f);
        if (b == last)
            break;
    }
    edit.endEditBlock();
}

std::optional<QString> RichTextBox::selFontName() const
{
    const QString fallback = document()->defaultFont().family();
    return uniformCharProperty<QString>([&](const QTextCharFormat& f) {
        const QStringList families = f.fontFamilies().toStringList();
        return families.isEmpty() ? fallback : families.first();
    });
}

void RichTextBox::setSelFontName(const QString& family)
{
    if (family.isEmpty())
        return;
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    mergeSelectionCharFormat(f);
}

std::optional<double> RichTextBox::selFontSize() const
{
    const double fallback = document()->defaultFont().pointSizeF();
    return uniformCharProperty<double>([&](const QTextCharFormat& f) {
        return f.fontPointSize() > 0 ? f.fontPointSize() : fallback;
    });
}

void RichTextBox::setSelFontSize(double points)
{
    if (!(points > 0) || points > 1638)
        return;
    QTextCharFormat f;
    f.setFontPointSize(points);
    mergeSelectionCharFormat(f);
}

std::optional<bool> RichTextBox::selBold() const
{
    return uniformCharProperty<bool>(
        [](const QTextCharFormat& f) { return f.fontWeight() >= QFont::DemiBold; });
}

void RichTextBox::setSelBold(bool on)
{
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    mergeSelectionCharFormat(f);
}

std::optional<bool> RichTextBox::selItalic() const
{
    return uniformCharProperty<bool>([](const QTextCharFormat& f) { return f.fontItalic(); });
}

void RichTextBox::setSelItalic(bool on)
{
    QTextCharFormat f;
    f.setFontItalic(on);
    mergeSelectionCharFormat(f);
}

std::optional<bool> RichTextBox::selUnderline() const
{
    return uniformCharProperty<bool>([](const QTextCharFormat& f) { return f.fontUnderline(); });
}

void RichTextBox::setSelUnderline(bool on)
{
    QTextCharFormat f;
    f.setFontUnderline(on);
    mergeSelectionCharFormat(f);
}

std::optional<bool> RichTextBox::selStrikeThru() const
{
    return uniformCharProperty<bool>([](const QTextCharFormat& f) { return f.fontStrikeOut(); });
}

void RichTextBox::setSelStrikeThru(bool on)
{
    QTextCharFormat f;
    f.setFontStrikeOut(on);
    mergeSelectionCharFormat(f);
}

std::optional<QColor> RichTextBox::selColor() const
{
    return uniformCharProperty<QColor>([](const QTextCharFormat& f) {
        return f.foreground().style() == Qt::NoBrush ? QColor(Qt::black)
                                                     : f.foreground().color();
    });
}

void RichTextBox::setSelColor(const QColor& color)
{
    if (!color.isValid())
        return;
    QTextCharFormat f;
    f.setForeground(color);
    mergeSelectionCharFormat(f);
}

std::optional<int> RichTextBox::selCharOffset() const
{
    return uniformCharProperty<int>([](const QTextCharFormat& f) {
        const int offset = f.intProperty(CharOffsetProperty);
        if (offset != 0)
            return offset;
        // The plain effects count as the panes' usual amount.
        switch (f.verticalAlignment()) {
        case QTextCharFormat::AlignSuperScript: return 30;
        case QTextCharFormat::AlignSubScript: return -30;
        default: return 0;
        }
    });
}

void RichTextBox::setSelCharOffset(int twips)
{
    twips = qBound(-32760, twips, 32760);
    QTextCharFormat f;
    f.setVerticalAlignment(twips > 0   ? QTextCharFormat::AlignSuperScript
                           : twips < 0 ? QTextCharFormat::AlignSubScript
                                       : QTextCharFormat::AlignNormal);
    f.setProperty(CharOffsetProperty, twips);
    mergeSelectionCharFormat(f);
}

std::optional<bool> RichTextBox::selBullet() const
{
    return uniformBlockProperty<bool>([](const QTextBlock& b) { return b.textList() != nullptr; });
}

void RichTextBox::setSelBullet(bool on)
{
    const QTextCursor sel = textCursor();
    const QTextBlock last = document()->findBlock(sel.selectionEnd());
    QTextCursor edit(document());
    edit.beginEditBlock();
    QTextList* list = nullptr;
    for (QTextBlock b = document()->findBlock(sel.selectionStart()); b.isValid(); b = b.next()) {
        QTextList* current = b.textList();
        if (on && !current) {
            if (list) {
                list->add(b);
            } else {
                edit.setPosition(b.position());
                QTextListFormat format;
                format.setStyle(QTextListFormat::ListDisc);
                format.setIndent(1);
                list = edit.createList(format);
            }
        } else if (!on && current) {
            // Leaving a list adds the list's indent to the paragraph: keep the paragraph's own.
            const int indent = b.blockFormat().indent();
            current->remove(b);
            QTextBlockFormat f = b.blockFormat();
            f.setIndent(indent);
            f.setObjectIndex(-1);
            edit.setPosition(b.position());
            edit.setBlockFormat(f);
        }
        if (b == last)
            break;
    }
    edit.endEditBlock();
}

std::optional<RichTextBox::Alignment> RichTextBox::selAlignment() const
{
    return uniformBlockProperty<Alignment>([](const QTextBlock& b) {
        const Qt::Alignment a = b.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignJustify)
            return Alignment::Justify;
        if (a & Qt::AlignHCenter)
            return Alignment::Center;
        if (a & (Qt::AlignRight | Qt::AlignTrailing))
            return Alignment::Right;
        return Alignment::Left;
    });
}

void RichTextBox::setSelAlignment(Alignment alignment)
{
    const Qt::Alignment a = alignment == Alignment::Center    ? Qt::AlignHCenter
                            : alignment == Alignment::Right   ? Qt::AlignRight
                            : alignment == Alignment::Justify ? Qt::AlignJustify
                                                              : Qt::AlignLeft;
    changeSelectedBlocks([a](QTextBlockFormat& f) { f.setAlignment(a); });
}

std::optional<int> RichTextBox::selIndent() const
{
    return uniformBlockProperty<int>(
        [](const QTextBlock& b) { return firstLineTwips(b.blockFormat()); });
}

void RichTextBox::setSelIndent(int twips)
{
    twips = qBound(-31680, twips, 31680);
    changeSelectedBlocks([twips](QTextBlockFormat& f) { setIndents(f, twips, hangingTwips(f)); });
}

std::optional<int> RichTextBox::selHangingIndent() const
{
    return uniformBlockProperty<int>(
        [](const QTextBlock& b) { return hangingTwips(b.blockFormat()); });
}

void RichTextBox::setSelHangingIndent(int twips)
{
    twips = qBound(-31680, twips, 31680);
    changeSelectedBlocks(
        [twips](QTextBlockFormat& f) { setIndents(f, firstLineTwips(f), twips); });
}

std::optional<int> RichTextBox::selRightIndent() const
{
    return uniformBlockProperty<int>([](const QTextBlock& b) {
        return qRound(b.blockFormat().rightMargin() * TwipsPerPixel);
    });
}

void RichTextBox::setSelRightIndent(int twips)
{
    twips = qBound(-31680, twips, 31680);
    changeSelectedBlocks(
        [twips](QTextBlockFormat& f) { f.setRightMargin(twips / TwipsPerPixel); });
}

} // namespace klang::richtext
