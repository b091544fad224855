#pragma once

// Finds a text in the visible text of fields without building that text: the field is read
// by the same interpreter as rtfToPlainText(), and its characters go straight into a matcher
// that stops at the first place found. A quick search over a million song lists decodes
// hundreds of megabytes of RTF; building each plain text only to search it once cost most of
// that time.

#include <QString>
#include <QStringMatcher>

#include <vector>

namespace klang::richtext {

class PlainTextSearch
{
public:
    explicit PlainTextSearch(const QString& needle);

    // Whether the field holds the text without regard to case, exactly as
    // QStringMatcher(needle, Qt::CaseInsensitive) finds it in the field's visible text: a rich
    // text's rtfToPlainText(), any other value as it stands.
    bool foundIn(const QString& field) const;

    // Characters of the text, folded: an ASCII text is matched in the stream of characters.
    struct Folded
    {
        std::vector<char16_t> chars;
        std::vector<int> fallback; // how far a partial match falls back on a mismatch
    };

private:
    QStringMatcher m_matcher;
    Folded m_folded;
    bool m_ascii = false;
};

} // namespace klang::richtext
