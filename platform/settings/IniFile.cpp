#include "platform/settings/IniFile.h"

#include "platform/textfiles/LineFile.h"

#include <QSet>
#include <QStringDecoder>

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
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF")) {
        doc.m_bom = true;
        data = data.sliced(3);
    }
    // Nearly every file is UTF-8 throughout: then no line needs a check of its own.
    const bool allUtf8 = [data] {
        QStringDecoder check(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString text = check.decode(data);
        return !check.hasError();
    }();
    const auto decodeLine = [allUtf8](QByteArrayView raw) {
        if (allUtf8)
            return QString::fromUtf8(raw);
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = utf8.decode(raw);
        return utf8.hasError() ? fromCp1252(raw) : text;
    };

    qsizetype current = 0;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        const QByteArrayView raw = data.sliced(start, end - start);
        start = end + 1;
        QByteArrayView content = raw;
        if (content.endsWith('\r'))
            content.chop(1);
        const QString line = decodeLine(content);
        const QString trimmed = line.trimmed();
        Line kept;
        kept.encoded = raw.toByteArray();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')) && trimmed.size() >= 2) {
            // "[]" continues the part before the first header
            const QString name = unescape(trimmed.mid(1, trimmed.size() - 2));
            doc.m_blocks.append(Block{name, raw.toByteArray(), {}});
            current = doc.m_blocks.size() - 1;
            Section& section = doc.m_sections[folded(name)];
            if (name.isEmpty() && section.blocks.isEmpty())
                section.blocks.append(0);
            section.blocks.append(current);
            continue;
        }
        const qsizetype eq = trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'))
            ? -1 : findSeparator(line);
        if (eq >= 0) {
            kept.key = unescape(trimBlanks(line.left(eq)));
            kept.value = unescape(trimBlanks(line.mid(eq + 1)));
            kept.isEntry = !kept.key.isEmpty();
        }
        QList<Line>& lines = doc.m_blocks[current].lines;
        if (kept.isEntry) {
            // The last line of a key counts; an earlier one stays in the file as it was.
            Section& section = doc.sectionFor(doc.m_blocks.at(current).name);
            const QString name = folded(kept.key);
            const auto found = section.keys.constFind(name);
            if (found != section.keys.constEnd())
                doc.m_blocks[found->block].lines[found->line].isEntry = false;
            section.keys.insert(name, Position{current, lines.size()});
        }
        lines.append(std::move(kept));
    }
    return doc;
}

QByteArray IniDocument::serialize() const
{
    qsizetype size = 16;
    for (const Block& block : m_blocks) {
        size += block.header.size() + block.name.size() + 4;
        for (const Line& line : block.lines) {
            if (line.isEntry && line.encoded.isEmpty())
                line.encoded = (escapeKey(line.key) + QLatin1Char('=') + escapeValue(line.value)).toUtf8();
            size += line.encoded.size() + 1;
        }
    }
    QByteArray out;
    out.reserve(size);
    if (m_bom)
        out += "\xEF\xBB\xBF";
    for (qsizetype i = 0; i < m_blocks.size(); ++i) {
        const Block& block = m_blocks.at(i);
        if (i > 0 && block.header.isEmpty()) {
            // A section the program added: a blank line before it, as a person would write it.
            if (out.size() > (m_bom ? 3 : 0) && !out.endsWith("\n\n"))
                out += '\n';
            out += '[' + escape(block.name, u"[]").toUtf8() + "]\n";
        } else if (i > 0) {
            out += block.header;
            out += '\n';
        }
        for (const Line& line : block.lines) {
            out += line.encoded;
            out += '\n';
        }
    }
    return out;
}

const IniDocument::Section* IniDocument::findSection(const QString& name) const
{
    const auto found = m_sections.constFind(folded(name));
    return found == m_sections.constEnd() ? nullptr : &found.value();
}

IniDocument::Section& IniDocument::sectionFor(const QString& name)
{
    Section& section = m_sections[folded(name)];
    if (section.blocks.isEmpty()) {
        if (name.isEmpty()) {
            section.blocks.append(0);
        } else {
            m_blocks.append(Block{name, {}, {}});
            section.blocks.append(m_blocks.size() - 1);
        }
    }
    return section;
}

void IniDocument::reindex()
{
    m_sections.clear();
    for (qsizetype b = 0; b < m_blocks.size(); ++b) {
        Section& section = m_sections[folded(m_blocks.at(b).name)];
        section.blocks.append(b);
        const QList<Line>& lines = m_blocks.at(b).lines;
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines.at(i).isEntry)
                section.keys.insert(folded(lines.at(i).key), Position{b, i});
    }
}

bool IniDocument::contains(const QString& section, const QString& key) const
{
    const Section* s = findSection(section);
    return s && s->keys.contains(folded(key));
}

QString IniDocument::value(const QString& section, const QString& key,
                           const QString& defaultValue) const
{
    if (const Section* s = findSection(section)) {
        const auto found = s->keys.constFind(folded(key));
        if (found != s->keys.constEnd())
            return m_blocks.at(found->block).lines.at(found->line).value;
    }
    return defaultValue;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    if (key.isEmpty())
        return;
    setValueIn(section, key, value);
}

void IniDocument::setValueIn(const QString& sectionName, const QString& key, const QString& value)
{
    Section& section = sectionFor(sectionName);
    const QString name = folded(key);
    const auto found = section.keys.constFind(name);
    if (found != section.keys.constEnd()) {
        Line& line = m_blocks[found->block].lines[found->line];
        if (line.value != value) {
            line.value = value;
            line.encoded.clear();
        }
        return;
    }
    // A new key goes to the end of its section, before the blank lines that end it.
    const qsizetype b = section.blocks.last();
    QList<Line>& lines = m_blocks[b].lines;
    qsizetype at = lines.size();
    while (at > 0 && lines.at(at - 1).key.isEmpty() && lines.at(at - 1).encoded.trimmed().isEmpty())
        --at;
    Line line;
    line.key = key;
    line.value = value;
    line.isEntry = true;
    lines.insert(at, line);
    section.keys.insert(name, Position{b, at});
}

bool IniDocument::remove(const QString& sectionName, const QString& key)
{
    const auto found = m_sections.find(folded(sectionName));
    const QString name = folded(key);
    if (found == m_sections.end() || !found->keys.contains(name))
        return false;
    Section& section = found.value();
    section.keys.clear();
    // Earlier lines of the key go too: they would count again at the next read.
    for (const qsizetype b : std::as_const(section.blocks)) {
        QList<Line>& lines = m_blocks[b].lines;
        lines.removeIf([&name](const Line& line) { return !line.key.isEmpty() && folded(line.key) == name; });
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines.at(i).isEntry)
                section.keys.insert(folded(lines.at(i).key), Position{b, i});
    }
    return true;
}

bool IniDocument::removeSection(const QString& sectionName)
{
    const QString name = folded(sectionName);
    if (!m_sections.contains(name))
        return false;
    QList<Block> kept;
    for (qsizetype b = 0; b < m_blocks.size(); ++b) {
        if (folded(m_blocks.at(b).name) != name)
            kept.append(std::move(m_blocks[b]));
        else if (b == 0)
            kept.append(Block{});
    }
    m_blocks = std::move(kept);
    reindex();
    return true;
}

QStringList IniDocument::keys(const QString& section) const
{
    QStringList result;
    if (const Section* s = findSection(section))
        for (const qsizetype b : s->blocks)
            for (const Line& l : m_blocks.at(b).lines)
                if (l.isEntry)
                    result.append(l.key);
    return result;
}

QStringList IniDocument::sections() const
{
    QStringList result;
    QSet<QString> seen;
    for (const Block& block : m_blocks)
        if (!block.name.isEmpty() && !seen.contains(folded(block.name))) {
            seen.insert(folded(block.name));
            result.append(block.name);
        }
    return result;
}

} // namespace klang
