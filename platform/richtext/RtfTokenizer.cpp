#include "platform/richtext/RtfTokenizer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif


namespace klang::richtext::detail {

namespace {

constexpr int MaxParam = 1000000000;
constexpr int MaxWordLength = 32;

bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Characters that end a run of literal text: markup, and line ends and other control
// characters, which RTF ignores in the source (the tab is text).
bool endsText(char16_t c)
{
    return c == u'\\' || c == u'{' || c == u'}' || (c < 0x20 && c != u'\t');
}

// Where a run of literal text ends: eight characters at a time where the processor can.
const char16_t* textRunEnd(const char16_t* p, const char16_t* end)
{
#if defined(__SSE2__)
    const __m128i backslash = _mm_set1_epi16(u'\\');
    const __m128i open = _mm_set1_epi16(u'{');
    const __m128i close = _mm_set1_epi16(u'}');
    const __m128i tab = _mm_set1_epi16(u'\t');
    const __m128i highestControl = _mm_set1_epi16(0x1F);
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // v <= 0x1F (unsigned) where the saturating difference is zero; the tab is text.
        const __m128i control =
            _mm_andnot_si128(_mm_cmpeq_epi16(v, tab), _mm_cmpeq_epi16(_mm_subs_epu16(v, highestControl), zero));
        const __m128i markup = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, backslash), _mm_cmpeq_epi16(v, open)),
                                            _mm_or_si128(_mm_cmpeq_epi16(v, close), control));
        const int mask = _mm_movemask_epi8(markup);
        if (mask != 0)
            return p + __builtin_ctz(unsigned(mask)) / 2;
        p += 8;
    }
#endif
    while (p < end && !endsText(*p))
        ++p;
    return p;
}

constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

RtfToken RtfTokenizer::next()
{
    RtfToken t;
    const qsizetype n = m_in.size();
    while (m_pos < n) {
        const char16_t c = m_in[m_pos].unicode();
        if (c == u'{') {
            ++m_pos;
            t.type = RtfToken::Type::GroupOpen;
            return t;
        }
        if (c == u'}') {
            ++m_pos;
            t.type = RtfToken::Type::GroupClose;
            return t;
        }
        if (c == u'\\') {
            ++m_pos;
            if (m_pos >= n)
                return t; // a lone backslash at the end
            const char16_t d = m_in[m_pos].unicode();
            if (isLetter(d)) {
                int len = 0;
                while (m_pos < n && isLetter(m_in[m_pos].unicode())) {
                    if (len < MaxWordLength)
                        m_word[len] = char(m_in[m_pos].unicode());
                    ++len;
                    ++m_pos;
                }
                // An overlong word matches no keyword: keep it distinct from every real one.
                t.word = std::string_view(m_word, len > MaxWordLength ? 0 : len);
                bool negative = false;
                if (m_pos + 1 < n && m_in[m_pos] == u'-' && isDigit(m_in[m_pos + 1].unicode())) {
                    negative = true;
                    ++m_pos;
                }
                if (m_pos < n && isDigit(m_in[m_pos].unicode())) {
                    t.hasParam = true;
                    qint64 value = 0;
                    while (m_pos < n && isDigit(m_in[m_pos].unicode())) {
                        if (value < MaxParam)
                            value = value * 10 + (m_in[m_pos].unicode() - u'0');
                        ++m_pos;
                    }
                    if (value > MaxParam)
                        value = MaxParam;
                    t.param = int(negative ? -value : value);
                }
                if (m_pos < n && m_in[m_pos] == u' ')
                    ++m_pos; // the delimiting blank belongs to the word
                t.type = RtfToken::Type::Word;
                return t;
            }
            if (d == u'\'') {
                ++m_pos;
                const int hi = m_pos < n ? hexValue(m_in[m_pos].unicode()) : -1;
                const int lo = m_pos + 1 < n ? hexValue(m_in[m_pos + 1].unicode()) : -1;
                if (hi < 0 || lo < 0) {
                    // A broken escape: drop it and whatever hex digit it had.
                    if (hi >= 0)
                        ++m_pos;
                    continue;
                }
                m_pos += 2;
                t.type = RtfToken::Type::HexByte;
                t.byte = hi * 16 + lo;
                return t;
            }
            if (d == u'\r' || d == u'\n') {
                // A backslash before a line end is a paragraph mark.
                ++m_pos;
                t.type = RtfToken::Type::Word;
                static const char par[] = "par";
                t.word = std::string_view(par, 3);
                return t;
            }
            ++m_pos;
            t.type = RtfToken::Type::Symbol;
            t.symbol = d;
            return t;
        }
        if (endsText(c)) {
            ++m_pos; // line ends and control characters in the source are not text
            continue;
        }
        // Most of a field is literal text: its run is found on a local pointer (the member
        // would be written back for every character).
        const char16_t* const begin = m_in.utf16();
        const char16_t* p = begin + m_pos;
        const char16_t* const end = begin + n;
        const char16_t* const start = p;
        p = textRunEnd(p, end);
        m_pos = p - begin;
        t.type = RtfToken::Type::Text;
        t.text = QStringView(start, p);
        return t;
    }
    return t;
}

void RtfTokenizer::skipRaw(qint64 count)
{
    if (count <= 0)
        return;
    const qint64 left = m_in.size() - m_pos;
    m_pos += qsizetype(count < left ? count : left);
}

bool RtfTokenizer::contentFollows()
{
    if (m_lastContent == -2) {
        m_lastContent = m_in.size() - 1;
        while (m_lastContent >= 0) {
            const char16_t c = m_in[m_lastContent].unicode();
            if (c != u'}' && c != u' ' && c != u'\t' && c != u'\r' && c != u'\n' && c != 0)
                break;
            --m_lastContent;
        }
    }
    return m_pos <= m_lastContent;
}

namespace {

struct KeywordEntry
{
    std::string_view word;
    Kw kw;
};

constexpr KeywordEntry Keywords[] = {
        {"rtf", Kw::Rtf}, {"fonttbl", Kw::FontTbl}, {"colortbl", Kw::ColorTbl},
        {"pn", Kw::Pn}, {"pntext", Kw::PnText}, {"listtext", Kw::PnText},
        // destinations whose content is never shown
        {"stylesheet", Kw::SkipDest}, {"info", Kw::SkipDest}, {"pict", Kw::Pict},
        {"object", Kw::Object}, {"objdata", Kw::SkipDest}, {"fldinst", Kw::SkipDest},
        {"header", Kw::SkipDest}, {"headerl", Kw::SkipDest}, {"headerr", Kw::SkipDest},
        {"headerf", Kw::SkipDest}, {"footer", Kw::SkipDest}, {"footerl", Kw::SkipDest},
        {"footerr", Kw::SkipDest}, {"footerf", Kw::SkipDest}, {"footnote", Kw::SkipDest},
        {"annotation", Kw::SkipDest}, {"xmlnstbl", Kw::SkipDest}, {"listtable", Kw::SkipDest},
        {"listoverridetable", Kw::SkipDest}, {"rsidtbl", Kw::SkipDest},
        {"generator", Kw::SkipDest}, {"themedata", Kw::SkipDest},
        {"colorschememapping", Kw::SkipDest}, {"latentstyles", Kw::SkipDest},
        {"datastore", Kw::SkipDest}, {"filetbl", Kw::SkipDest}, {"revtbl", Kw::SkipDest},
        {"author", Kw::SkipDest}, {"operator", Kw::SkipDest}, {"title", Kw::SkipDest},
        {"subject", Kw::SkipDest}, {"comment", Kw::SkipDest}, {"doccomm", Kw::SkipDest},
        {"keywords", Kw::SkipDest}, {"nonshppict", Kw::SkipDest}, {"shp", Kw::SkipDest},
        {"shpinst", Kw::SkipDest}, {"shppict", Kw::Pict},
        {"deff", Kw::Deff}, {"uc", Kw::Uc}, {"u", Kw::U}, {"bin", Kw::Bin},
        {"par", Kw::Par}, {"sect", Kw::Par}, {"page", Kw::Par}, {"line", Kw::Line},
        {"tab", Kw::Tab}, {"cell", Kw::Cell}, {"row", Kw::Row},
        {"emdash", Kw::EmDash}, {"endash", Kw::EnDash}, {"bullet", Kw::Bullet},
        {"lquote", Kw::LQuote}, {"rquote", Kw::RQuote}, {"ldblquote", Kw::LDblQuote},
        {"rdblquote", Kw::RDblQuote}, {"emspace", Kw::EmSpace}, {"enspace", Kw::EnSpace},
        {"plain", Kw::Plain}, {"f", Kw::F}, {"fs", Kw::Fs}, {"b", Kw::B}, {"i", Kw::I},
        {"ul", Kw::Ul}, {"uld", Kw::Ul}, {"uldb", Kw::Ul}, {"ulw", Kw::Ul}, {"ulth", Kw::Ul},
        {"uldash", Kw::Ul}, {"ulwave", Kw::Ul}, {"ulnone", Kw::UlNone},
        {"strike", Kw::Strike}, {"striked", Kw::Strike}, {"super", Kw::Super},
        {"sub", Kw::Sub}, {"nosupersub", Kw::NoSuperSub}, {"up", Kw::Up}, {"dn", Kw::Dn},
        {"cf", Kw::Cf}, {"highlight", Kw::Highlight}, {"cb", Kw::Cb}, {"chcbpat", Kw::Cb},
        {"pard", Kw::Pard}, {"ql", Kw::Ql}, {"qc", Kw::Qc}, {"qr", Kw::Qr}, {"qj", Kw::Qj},
        {"li", Kw::Li}, {"ri", Kw::Ri}, {"fi", Kw::Fi},
        {"pnlvlblt", Kw::PnLvlBlt}, {"pnlvlbody", Kw::PnLvlBody}, {"pnlvlcont", Kw::PnLvlCont},
        {"pndec", Kw::PnDec}, {"pnlcltr", Kw::PnLcLtr}, {"pnucltr", Kw::PnUcLtr},
        {"pnlcrm", Kw::PnLcRm}, {"pnucrm", Kw::PnUcRm},
        {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
};

// Every control word of a field is looked up: an open-addressed table with a hash of a few
// bytes, which costs a fraction of a general hash map's lookup.
constexpr std::size_t KeywordSlots = 512;

std::size_t keywordHash(std::string_view w)
{
    const std::size_t n = w.size();
    return (n * 131 + std::size_t(uchar(w[0])) * 31 + std::size_t(uchar(w[n / 2])) * 7 + std::size_t(uchar(w[n - 1])))
           % KeywordSlots;
}

struct KeywordTable
{
    const KeywordEntry* slot[KeywordSlots] = {};
    KeywordTable()
    {
        for (const KeywordEntry& e : Keywords) {
            std::size_t h = keywordHash(e.word);
            while (slot[h])
                h = (h + 1) % KeywordSlots;
            slot[h] = &e;
        }
    }
};

} // namespace

Kw keyword(std::string_view word)
{
    if (word.empty())
        return Kw::Unknown;
    static const KeywordTable table;
    for (std::size_t h = keywordHash(word);; h = (h + 1) % KeywordSlots) {
        const KeywordEntry* e = table.slot[h];
        if (!e)
            return Kw::Unknown;
        if (e->word == word)
            return e->kw;
    }
}

char16_t cp1252ToUnicode(int byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return Cp1252High[byte - 0x80];
    return char16_t(byte & 0xFF);
}

int unicodeToCp1252(char16_t ch)
{
    if (ch < 0x80)
        return 0;
    if (ch >= 0xA0 && ch <= 0xFF)
        return ch;
    for (int i = 0; i < 32; ++i) {
        // The five unassigned bytes map to C1 controls; those are not letters worth a byte.
        if (Cp1252High[i] == ch && ch > 0xFF)
            return 0x80 + i;
    }
    return 0;
}

} // namespace klang::richtext::detail
