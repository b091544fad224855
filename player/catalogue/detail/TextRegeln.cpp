#include "player/catalogue/detail/TextRegeln.h"

namespace klang::detail {

int Volltextsuche::suchen(const QString& text, const QString& suchtext)
{
    m_suchtext = suchtext;
    m_start = 1;
    return sucheAb(text);
}

int Volltextsuche::weitersuchen(const QString& text)
{
    return sucheAb(text);
}

int Volltextsuche::sucheAb(const QString& text)
{
    if (m_suchtext.isEmpty())
        return 0;
    const int ab = qMax(1, m_start);
    const qsizetype i = text.indexOf(m_suchtext, ab - 1, Qt::CaseInsensitive);
    if (i < 0)
        return 0;
    const int p = int(i) + 1;
    m_start = p + 1;
    return p;
}

int songTextPosition(const QString& paneText, const QString& trackName)
{
    if (trackName.isEmpty())
        return int(paneText.size());
    const qsizetype i = paneText.indexOf(trackName, 0, Qt::CaseInsensitive);
    return i < 0 ? int(paneText.size()) : int(i);
}

} // namespace klang::detail
