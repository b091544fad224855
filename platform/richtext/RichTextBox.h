#pragma once

// The rich-text box of the text panes: a QTextEdit whose content is stored as RTF and whose
// selection properties follow the rich-text box the programs were written for. Positions count
// characters of text() (a paragraph break counts as one character). Indents are in twips (15
// twips per pixel), font sizes in points, character offsets in twips (+30 raised, -30 lowered).
// A property of a selection that is not uniform reads as std::nullopt ("mixed"); with an empty
// selection it reads the format at the caret, and setting it changes the format of what is
// typed or inserted next (SelText).

#include <QColor>
#include <QTextEdit>

#include <optional>

namespace klang::richtext {

class RichTextBox : public QTextEdit
{
    Q_OBJECT
public:
    enum class Alignment { Left = 0, Right = 1, Center = 2, Justify = 3 };

    explicit RichTextBox(QWidget* parent = nullptr);

    // Content
    QString rtfText() const;
    QString text() const; // plain text, paragraphs separated by "\n"
    bool isModified() const;
    void setModified(bool modified);

    // Selection (0-based). Setting SelStart collapses the selection there; SelLength extends
    // it from SelStart. Values are clamped to the text.
    int selStart() const;
    void setSelStart(int start);
    int selLength() const;
    void setSelLength(int length);
    QString selText() const; // paragraph breaks as "\n"
    void setSelText(const QString& text); // replaces the selection; caret after the new text

    // Character formatting of the selection
    std::optional<QString> selFontName() const;
    void setSelFontName(const QString& family);
    std::optional<double> selFontSize() const;
    void setSelFontSize(double points);
    std::optional<bool> selBold() const;
    void setSelBold(bool on);
    std::optional<bool> selItalic() const;
    void setSelItalic(bool on);
    std::optional<bool> selUnderline() const;
    void setSelUnderline(bool on);
    std::optional<bool> selStrikeThru() const;
    void setSelStrikeThru(bool on);
    std::optional<QColor> selColor() const; // text without a colour of its own reads as black
    void setSelColor(const QColor& color);
    std::optional<int> selCharOffset() const;
    void setSelCharOffset(int twips); // > 0 raised, < 0 lowered, 0 normal

    // Paragraph formatting of the paragraphs the selection touches
    std::optional<bool> selBullet() const;
    void setSelBullet(bool on);
    std::optional<Alignment> selAlignment() const;
    void setSelAlignment(Alignment alignment);
    // Left edge of the first line (SelIndent), of the following lines relative to the first
    // (SelHangingIndent) and the right indent (SelRightIndent), all in twips.
    std::optional<int> selIndent() const;
    void setSelIndent(int twips);
    std::optional<int> selHangingIndent() const;
    void setSelHangingIndent(int twips);
    std::optional<int> selRightIndent() const;
    void setSelRightIndent(int twips);

public Q_SLOTS:
    void setRtfText(const QString& rtf); // RTF or plain text; leaves the box unmodified
    // Replaces everything with plain text (never read as RTF or HTML, unlike QTextEdit's
    // setText, which this hides) and marks the box modified.
    void setText(const QString& plain);

public:

    // The clipboard format of rich text between the panes and other programs.
    static QString rtfMimeType() { return QStringLiteral("text/rtf"); }

    // Copies carry RTF beside plain text; pastes take RTF when offered and plain text
    // otherwise, so nothing that the field cannot store (pictures, tables, HTML styling)
    // enters the box only to be lost when the record is saved.
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    template<typename T, typename Get>
    std::optional<T> uniformCharProperty(Get get) const;
    template<typename T, typename Get>
    std::optional<T> uniformBlockProperty(Get get) const;
    void mergeSelectionCharFormat(const QTextCharFormat& format);
    template<typename Change>
    void changeSelectedBlocks(Change change);
};

} // namespace klang::richtext
