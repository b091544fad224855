#pragma once

// The lexical layer shared by the RTF reader and the plain-text scanner: groups, control
// words with their parameter, control symbols, hex bytes and runs of literal text. Never reads
// past the input, bounds every number and word, and always advances.

#include <QString>
#include <QStringView>

#include <string_view>

namespace klang::richtext::detail {

struct RtfToken
{
    enum class Type { End, GroupOpen, GroupClose, Word, Symbol, HexByte, Text };
    Type type = Type::End;
    std::string_view word; // Word: the letters (valid until the next call)
    bool hasParam = false; // Word
    int param = 0;         // Word: saturated to +-1,000,000,000
    char16_t symbol = 0;   // Symbol: the character after the backslash
    int byte = 0;          // HexByte: 0..255
    QStringView text;      // Text: literal characters, never empty
};

class RtfTokenizer
{
public:
    explicit RtfTokenizer(QStringView input) : m_in(input) {}
    RtfToken next();
    // Skips the raw data that follows \binN (at most what is left).
    void skipRaw(qint64 count);
    bool atEnd() const { return m_pos >= m_in.size(); }
    // Where the next token starts, and the input between two such places.
    qsizetype position() const { return m_pos; }
    QStringView source(qsizetype from, qsizetype to) const { return m_in.mid(from, to - from); }
    // Whether anything but blanks, line ends, NULs and closing braces is still to come
    // (a closing brace before that is a stray one, not the end of the field).
    bool contentFollows();

private:
    QStringView m_in;
    qsizetype m_pos = 0;
    qsizetype m_lastContent = -2; // index of the last such character; -2: not looked for yet
    char m_word[33] = {};
};

// The control words the layer understands; everything else is Unknown and skipped.
enum class Kw {
    Unknown,
    // destinations
    Rtf, FontTbl, ColorTbl, Pn, PnText, SkipDest,
    // pictures and embedded objects: not shown, but marked in the text
    Pict, Object,
    // document
    Deff, Uc, U, Bin,
    // breaks and special characters
    Par, Line, Tab, Cell, Row, EmDash, EnDash, Bullet, LQuote, RQuote, LDblQuote, RDblQuote,
    EmSpace, EnSpace,
    // character formatting
    Plain, F, Fs, B, I, Ul, UlNone, Strike, Super, Sub, NoSuperSub, Up, Dn, Cf, Highlight, Cb,
    // paragraph formatting
    Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi,
    // bullets and numbering inside {\*\pn ...}
    PnLvlBlt, PnLvlBody, PnLvlCont, PnDec, PnLcLtr, PnUcLtr, PnLcRm, PnUcRm,
    // colour table entries
    Red, Green, Blue,
};

Kw keyword(std::string_view word);

// Where an RTF field starts: after blanks, line ends and a byte-order mark; -1 when the field
// is not RTF.
qsizetype rtfStart(const QString& text);

// Windows-1252: byte -> character, and character -> byte (0 when the character has none, or
// when it is plain ASCII).
char16_t cp1252ToUnicode(int byte);
int unicodeToCp1252(char16_t ch);

// Characters kept out of the text: control characters, and characters that the document
// would turn into structure (paragraph separators, frame marks, object marks).
inline bool isDroppedChar(char16_t c)
{
    return (c < 0x20 && c != u'\t') || c == 0x7F || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC;
}

} // namespace klang::richtext::detail
