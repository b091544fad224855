#include "platform/richtext/PlainTextSearch.h"

#include "platform/richtext/Rtf.h"
#include "platform/richtext/RtfInterpreter.h"

namespace klang::richtext {

using namespace detail;

namespace {

// QStringMatcher folds case per UTF-16 unit (simple case folding); outside ASCII only a few
// characters fold into it (the long s, the Kelvin sign), so each is folded as it comes.
char16_t folded(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

// Receives the visible text as rtfToPlainText() builds it and runs it through a
// Knuth-Morris-Pratt matcher over the folded text.
struct MatchSink
{
    static constexpr bool Formatting = false;
    const PlainTextSearch::Folded& needle;
    std::size_t matched = 0;
    bool found = false;

    bool satt() const { return found; }

    void feed(char16_t c)
    {
        // The same replacements rtfToPlainText() makes after building the text.
        if (c == 0x2028)
            c = u'\n';
        else if (c == 0x00A0)
            c = u' ';
        c = folded(c);
        const auto& n = needle.chars;
        while (matched > 0 && n[matched] != c)
            matched = std::size_t(needle.fallback[matched - 1]);
        if (n[matched] == c && ++matched == n.size())
            found = true;
    }
    void feed(QStringView run)
    {
        const char16_t* p = run.utf16();
        const char16_t* const end = p + run.size();
        const char16_t first = needle.chars.front();
        const char16_t firstUpper = (first >= u'a' && first <= u'z') ? char16_t(first - 32) : first;
        while (p < end && !found) {
            // Outside a partial match, ASCII characters other than the text's first cannot
            // start one: skipped without folding.
            if (matched == 0) {
                while (p < end && *p < 0x80 && *p != first && *p != firstUpper)
                    ++p;
                if (p == end)
                    return;
            }
            feed(*p++);
        }
    }
    void text(QStringView run, const CharState&) { feed(run); }
    void paragraphEnd(const ParaState&, const CharState&) {}
    void paragraphStart(const CharState&) { feed(u'\n'); }
    void object(QStringView mark, QStringView, const CharState&) { feed(mark); }
    void font(int, const QString&) {}
    void color(const QColor&) {}
    void setDefaultFont(int) {}
};

} // namespace

PlainTextSearch::PlainTextSearch(const QString& needle)
    : m_matcher(needle, Qt::CaseInsensitive)
{
    m_ascii = !needle.isEmpty();
    for (const QChar c : needle) {
        if (c.unicode() >= 0x80) {
            m_ascii = false;
            break;
        }
        m_folded.chars.push_back(folded(c.unicode()));
    }
    if (!m_ascii)
        return;
    const auto& n = m_folded.chars;
    m_folded.fallback.assign(n.size(), 0);
    std::size_t k = 0;
    for (std::size_t i = 1; i < n.size(); ++i) {
        while (k > 0 && n[i] != n[k])
            k = std::size_t(m_folded.fallback[k - 1]);
        if (n[i] == n[k])
            ++k;
        m_folded.fallback[i] = int(k);
    }
}

bool PlainTextSearch::foundIn(const QString& field) const
{
    const qsizetype start = rtfStart(field);
    if (start < 0)
        return m_matcher.indexIn(field) >= 0;
    if (!m_ascii)
        return m_matcher.indexIn(rtfToPlainText(field)) >= 0;
    MatchSink sink{m_folded};
    RtfInterpreter<MatchSink> interpreter(QStringView(field).mid(start), sink);
    interpreter.run();
    return sink.found;
}

} // namespace klang::richtext
