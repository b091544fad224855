#include "platform/settings/IniFile.h"

namespace klang {

namespace {

// The form under which names are looked up: comparing these is comparing without regard to
// case.
QString folded(const QString& name)
{
    return name.toCaseFolded();
}

// True when text can be written as it is (the common case): no character that needs an
// escape and no blank at either end.
bool plain(const QString& text, QStringView extra)
{
    if (text.isEmpty())
        return true;
    if (text.front() == QLatin1Char(' ') || text.back() == QLatin1Char(' '))
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u > ']')
            continue;
        if (u == '\\' || u == '\n' || u == '\r' || u == '\t' || u == 0)
            return false;
        if (!extra.isEmpty() && extra.contains(c))
            return false;
    }
    return true;
}

QString escape(const QString& text, QStringView extra)
{
    if (plain(text, extra))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case 0: out += QLatin1String("\\0"); break;
        default:
            if (extra.contains(c))
                out += QLatin1Char('\\');
            out += c;
        }
    }
    // Blanks at either end would be trimmed on reading: protect them.
    qsizetype lead = 0;
    while (lead < out.size() && out.at(lead) == QLatin1Char(' '))
        ++lead;
    if (lead == out.size()) {
        QString all;
        for (qsizetype i = 0; i < lead; ++i)
            all += QLatin1String("\\s");
        return all;
    }
    qsizetype trail = 0;
    while (out.at(out.size() - 1 - trail) == QLatin1Char(' '))
        ++trail;
    QString result;
    for (qsizetype i = 0; i < lead; ++i)
        result += QLatin1String("\\s");
    result += out.mid(lead, out.size() - lead - trail);
    for (qsizetype i = 0; i < trail; ++i)
        result += QLatin1String("\\s");
    return result;
}

QString trimBlanks(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && (s.at(b) == QLatin1Char(' ') || s.at(b) == QLatin1Char('\t')))
        ++b;
    while (e > b && (s.at(e - 1) == QLatin1Char(' ') || s.at(e - 1) == QLatin1Char('\t'))) {
        // a blank after an escaping backslash is part of the value
        if (e - 2 >= b && s.at(e - 2) == QLatin1Char('\\')) {
            qsizetype n = 0;
            for (qsizetype i = e - 2; i >= b && s.at(i) == QLatin1Char('\\'); --i)
                ++n;
            if (n % 2 == 1)
                break;
        }
        --e;
    }
    return s.mid(b, e - b);
}

// Index of the first "=" that is not escaped, -1 when there is none.
qsizetype findSeparator(const QString& line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == QLatin1Char('\\'))
            ++i;
        else if (line.at(i) == QLatin1Char('='))
            return i;
    }
    return -1;
}

} // namespace

QString IniDocument::escapeValue(const QString& value)
{
    return escape(value, u"");
}

QString IniDocument::escapeKey(const QString& key)
{
    return escape(key, u"=[];#");
}

QString IniDocument::unescape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar n = text.at(++i);
        switch (n.unicode()) {
        case 'n': out += QLatin1Char('\n'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 's': out += QLatin1Char(' '); break;
        case '0': out += QChar(0); break;
        case '\\': case '=': case '[': case ']': case ';': case '#':
            out += n;
            break;
        default:
            // not one of ours (a hand-typed "C:\Musik"): the backslash stays
            out += c;
            out += n;
            break;
        }
    }
    return out;
}

IniDocument IniDocument::parse(const QByteArray& bytes)
{
    IniDocument doc;
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    const QString text = QString::fromUtf8(data);
    doc.m_sections.append(Section{});
    qsizetype current = 0;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'))) {
            Line l;
            l.isComment = true;
            l.raw = line;
            doc.m_sections[current].lines.append(l);
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            // a repeated header continues the section it names
            const QString name = unescape(trimmed.mid(1, trimmed.size() - 2));
            current = doc.indexOfSection(name);
            if (current < 0) {
                doc.m_sections.append(Section{name, {}, {}});
                current = doc.m_sections.size() - 1;
                doc.m_sectionIndex.insert(folded(name), current);
            }
            continue;
        }
        const qsizetype eq = findSeparator(line);
        if (eq < 0)
            continue; // neither a key nor a header: a hand-edited mistake, ignored
        const QString key = unescape(trimBlanks(line.left(eq)));
        const QString value = unescape(trimBlanks(line.mid(eq + 1)));
        if (key.isEmpty())
            continue;
        doc.setValueIn(current, key, value);
    }
    return doc;
}

QByteArray IniDocument::serialize() const
{
    QByteArray out;
    qsizetype groesse = 0;
    for (const Section& section : m_sections)
        for (const Line& line : section.lines) {
            if (line.encoded.isEmpty())
                line.encoded = line.isComment
                    ? line.raw.toUtf8()
                    : (escapeKey(line.key) + QLatin1Char('=') + escapeValue(line.value)).toUtf8();
            groesse += line.encoded.size() + 1;
        }
    out.reserve(groesse + 64 * m_sections.size());
    bool first = true;
    for (const Section& section : m_sections) {
        if (section.name.isEmpty() && section.lines.isEmpty())
            continue;
        if (&section != &m_sections.first()) {
            if (!first)
                out += '\n';
            out += '[' + escape(section.name, u"[]").toUtf8() + "]\n";
        }
        first = false;
        for (const Line& line : section.lines) {
            out += line.encoded;
            out += '\n';
        }
    }
    return out;
}

qsizetype IniDocument::Section::find(const QString& key) const
{
    return index.value(folded(key), -1);
}

void IniDocument::Section::reindex()
{
    index.clear();
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!lines.at(i).isComment)
            index.insert(folded(lines.at(i).key), i);
}

void IniDocument::reindexSections()
{
    m_sectionIndex.clear();
    for (qsizetype i = 1; i < m_sections.size(); ++i)
        m_sectionIndex.insert(folded(m_sections.at(i).name), i);
}

qsizetype IniDocument::indexOfSection(const QString& name) const
{
    if (name.isEmpty())
        return m_sections.isEmpty() ? -1 : 0; // the nameless part before the first header
    return m_sectionIndex.value(folded(name), -1);
}

const IniDocument::Section* IniDocument::findSection(const QString& name) const
{
    const qsizetype i = indexOfSection(name);
    return i < 0 ? nullptr : &m_sections.at(i);
}

bool IniDocument::contains(const QString& section, const QString& key) const
{
    const Section* s = findSection(section);
    return s && s->find(key) >= 0;
}

QString IniDocument::value(const QString& section, const QString& key,
                           const QString& defaultValue) const
{
    if (const Section* s = findSection(section)) {
        const qsizetype i = s->find(key);
        if (i >= 0)
            return s->lines.at(i).value;
    }
    return defaultValue;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    if (key.isEmpty())
        return;
    if (m_sections.isEmpty())
        m_sections.append(Section{});
    qsizetype i = indexOfSection(section);
    if (i < 0) {
        m_sections.append(Section{section, {}, {}});
        i = m_sections.size() - 1;
        m_sectionIndex.insert(folded(section), i);
    }
    setValueIn(i, key, value);
}

void IniDocument::setValueIn(qsizetype sectionIndex, const QString& key, const QString& value)
{
    Section& s = m_sections[sectionIndex];
    const qsizetype i = s.find(key);
    if (i >= 0) {
        s.lines[i].value = value;
        s.lines[i].encoded.clear();
        return;
    }
    Line l;
    l.key = key;
    l.value = value;
    s.lines.append(l);
    s.index.insert(folded(key), s.lines.size() - 1);
}

bool IniDocument::remove(const QString& section, const QString& key)
{
    const qsizetype i = indexOfSection(section);
    if (i < 0)
        return false;
    Section& s = m_sections[i];
    const qsizetype line = s.find(key);
    if (line < 0)
        return false;
    s.lines.removeAt(line);
    s.reindex();
    return true;
}

bool IniDocument::removeSection(const QString& section)
{
    const qsizetype i = indexOfSection(section);
    if (i < 0)
        return false;
    if (i == 0) {
        m_sections[0].lines.clear();
        m_sections[0].index.clear();
    } else {
        m_sections.removeAt(i);
        reindexSections();
    }
    return true;
}

QStringList IniDocument::keys(const QString& section) const
{
    QStringList result;
    if (const Section* s = findSection(section))
        for (const Line& l : s->lines)
            if (!l.isComment)
                result.append(l.key);
    return result;
}

QStringList IniDocument::sections() const
{
    QStringList result;
    for (const Section& s : m_sections)
        if (!s.name.isEmpty())
            result.append(s.name);
    return result;
}

} // namespace klang
