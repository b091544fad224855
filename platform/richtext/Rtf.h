#pragma once

// The storage format of the rich-text fields (Songs, SongText, InternetTab, InfoTab,
// SonstigesTab): a subset of RTF as written by the rich-text box. Non-ASCII letters of
// Windows-1252 are written as lower-case \'hh escapes because the song searches look for
// umlauts in exactly that form (ä as \'e4). A field that is not RTF (plain text stored by an
// older program) reads as plain text. Broken or hostile input never crashes and never loops.

#include <QString>

class QTextDocument;

namespace klang::richtext {

// True when the text (after leading blanks and line breaks) begins with "{\rtf".
bool isRtf(const QString& text);

// The visible text of a field, for grids, quick search and printing. A direct scanner that
// builds no document: paragraphs and line breaks become "\n", tabs "\t"; hidden parts (font and
// colour tables, pictures, bullet texts, ignorable destinations) are left out. It gives the same
// text as readRtf() followed by QTextDocument::toPlainText(). Non-RTF input comes back with its
// line ends normalised to "\n" and control characters as blanks.
QString rtfToPlainText(const QString& text);
// The same text cut to its first maxLength characters (-1: all), reading no further into the
// field than that needs: for places that show only the start of a field, such as a grid cell.
QString rtfToPlainText(const QString& text, qsizetype maxLength);

// Replaces the content of the document with the field's text (RTF or plain text). The
// document's default font stays; the undo history is cleared and the document is unmodified.
void readRtf(QTextDocument& document, const QString& text);

// The document as RTF (the subset above, always ending with "}"). The font table's first entry
// is the document's default font, so text without a font of its own keeps it.
QString writeRtf(const QTextDocument& document);

// Plain text as an RTF field in the given font (line breaks become paragraphs).
QString plainTextToRtf(const QString& text, const QString& fontName = QStringLiteral("Segoe UI"),
                       double pointSize = 10.0);

// The offset of raised or lowered characters (\up, \dn) in twips, kept on the character
// format so that it survives a round trip exactly. Text with the plain super- or subscript
// effect carries no such property.
inline constexpr int CharOffsetProperty = 0x100000 + 0x4b1; // QTextFormat::UserProperty + n

// A picture or embedded object the box cannot show reads as a mark ("[Bild]", "[Objekt]") whose
// character format keeps {mark, the field's RTF group} in this property; the writer puts the
// group back in place of the mark, so an edit elsewhere in the field keeps the picture. A mark
// the user typed into is written as the text it became.
inline constexpr int RawRtfProperty = 0x100000 + 0x4b2;

// Pixels of the document are logical pixels: 15 twips each.
inline constexpr double TwipsPerPixel = 15.0;

} // namespace klang::richtext
