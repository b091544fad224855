#include "platform/jet/JetSql.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>
#include <QTime>
#include <vector>

namespace klang::jet {

namespace {

enum class Kind { Space, Word, String, Number, Op, Open, Close, Comma, Other };

struct Token
{
    Kind kind;
    QString text; // SQLite text of the token
};

QString sqlQuote(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

QString identQuote(const QString& name)
{
    QString out = name;
    out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// A Jet date literal (#m/d/yyyy#, #yyyy-mm-dd#, optionally with a time) as ISO text.
QString dateLiteral(const QString& inner)
{
    const QString s = inner.trimmed();
    static const QRegularExpression us(
        QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2,4})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    int y = 0, m = 0, d = 0, hh = -1, mm = 0, ss = 0;
    QRegularExpressionMatch match = us.match(s);
    if (match.hasMatch()) {
        m = match.captured(1).toInt();
        d = match.captured(2).toInt();
        y = match.captured(3).toInt();
        if (match.captured(3).size() == 2)
            y += y < 30 ? 2000 : 1900; // two-digit years as Jet reads them
    } else if ((match = iso.match(s)).hasMatch()) {
        y = match.captured(1).toInt();
        m = match.captured(2).toInt();
        d = match.captured(3).toInt();
    } else {
        return sqlQuote(s); // leave anything else as text rather than fail silently
    }
    if (match.capturedLength(4) > 0) {
        hh = match.captured(4).toInt();
        mm = match.captured(5).toInt();
        ss = match.capturedLength(6) > 0 ? match.captured(6).toInt() : 0;
    }
    const QDate date(y, m, d);
    if (!date.isValid())
        return sqlQuote(s);
    QString iso8601 = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (hh >= 0)
        iso8601 += QStringLiteral(" %1:%2:%3").arg(hh, 2, 10, QLatin1Char('0'))
                       .arg(mm, 2, 10, QLatin1Char('0')).arg(ss, 2, 10, QLatin1Char('0'));
    return sqlQuote(iso8601);
}

std::vector<Token> tokenize(const QString& sql)
{
    std::vector<Token> out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            qsizetype j = i;
            while (j < n && sql[j].isSpace())
                ++j;
            out.push_back({Kind::Space, QStringLiteral(" ")});
            i = j;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // String literal; the delimiter doubled stands for itself.
            QString value;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        value += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                value += sql[j++];
            }
            if (!closed) // let SQLite report the unterminated literal
                out.push_back({Kind::Other, sql.mid(i)});
            else
                out.push_back({Kind::String, sqlQuote(value)});
            i = j;
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = sql.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0) {
                out.push_back({Kind::Other, sql.mid(i)});
                i = n;
            } else {
                out.push_back({Kind::Word, identQuote(sql.mid(i + 1, close - i - 1))});
                i = close + 1;
            }
        } else if (c == QLatin1Char('#')) {
            const qsizetype close = sql.indexOf(QLatin1Char('#'), i + 1);
            if (close < 0) {
                out.push_back({Kind::Other, sql.mid(i)});
                i = n;
            } else {
                out.push_back({Kind::String, dateLiteral(sql.mid(i + 1, close - i - 1))});
                i = close + 1;
            }
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && sql[i + 1].isDigit())) {
            qsizetype j = i;
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == QLatin1Char('.')))
                ++j;
            out.push_back({Kind::Number, sql.mid(i, j - i)});
            i = j;
        } else if (isIdentChar(c)) {
            qsizetype j = i;
            while (j < n && isIdentChar(sql[j]))
                ++j;
            out.push_back({Kind::Word, sql.mid(i, j - i)});
            i = j;
        } else if (c == QLatin1Char('(')) {
            out.push_back({Kind::Open, QStringLiteral("(")});
            ++i;
        } else if (c == QLatin1Char(')')) {
            out.push_back({Kind::Close, QStringLiteral(")")});
            ++i;
        } else if (c == QLatin1Char(',')) {
            out.push_back({Kind::Comma, QStringLiteral(",")});
            ++i;
        } else {
            const QString two = sql.mid(i, 2);
            if (two == QLatin1String("<>") || two == QLatin1String("<=") || two == QLatin1String(">=")
                || two == QLatin1String("!=") || two == QLatin1String("||")) {
                out.push_back({Kind::Op, two});
                i += 2;
            } else {
                out.push_back({Kind::Op, QString(c)});
                ++i;
            }
        }
    }
    return out;
}

// A unit: one token, or a whole parenthesised group / function call / dotted name, already
// translated. Primaries are what "&" joins.
struct Unit
{
    Kind kind;
    QString text;
    bool primary = false;
    bool column = false; // a plain column name (candidate for COLLATE JET)
};

bool isWord(const Unit& u, const char* word)
{
    return u.kind == Kind::Word && u.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isComparison(const Unit& u)
{
    return u.kind == Kind::Op
           && (u.text == QLatin1String("=") || u.text == QLatin1String("<>") || u.text == QLatin1String("<")
               || u.text == QLatin1String(">") || u.text == QLatin1String("<=") || u.text == QLatin1String(">=")
               || u.text == QLatin1String("!="));
}

const QSet<QString>& keywords()
{
    static const QSet<QString> set = {
        QStringLiteral("select"), QStringLiteral("from"),   QStringLiteral("where"),  QStringLiteral("order"),
        QStringLiteral("by"),     QStringLiteral("and"),    QStringLiteral("or"),     QStringLiteral("not"),
        QStringLiteral("like"),   QStringLiteral("is"),     QStringLiteral("null"),   QStringLiteral("asc"),
        QStringLiteral("desc"),   QStringLiteral("update"), QStringLiteral("set"),    QStringLiteral("insert"),
        QStringLiteral("into"),   QStringLiteral("values"), QStringLiteral("delete"), QStringLiteral("as"),
        QStringLiteral("in"),     QStringLiteral("between"), QStringLiteral("group"), QStringLiteral("having"),
        QStringLiteral("distinct"), QStringLiteral("distinctrow"), QStringLiteral("join"), QStringLiteral("on"),
        QStringLiteral("inner"),  QStringLiteral("left"),   QStringLiteral("right"),  QStringLiteral("outer"),
        QStringLiteral("true"),   QStringLiteral("false"),  QStringLiteral("mod"),    QStringLiteral("alter"),
        QStringLiteral("table"),  QStringLiteral("add"),    QStringLiteral("column"), QStringLiteral("create"),
        QStringLiteral("drop"),   QStringLiteral("union"),  QStringLiteral("all"),    QStringLiteral("exists"),
        QStringLiteral("collate"), QStringLiteral("limit"), QStringLiteral("top"),    QStringLiteral("case"),
        QStringLiteral("when"),   QStringLiteral("then"),   QStringLiteral("else"),   QStringLiteral("end"),
        QStringLiteral("index"),  QStringLiteral("primary"), QStringLiteral("key"),   QStringLiteral("escape")};
    return set;
}

QString jetTypeToSqlite(const QString& type, bool* known)
{
    const QString t = type.toLower();
    *known = true;
    static const QSet<QString> text = {QStringLiteral("memo"), QStringLiteral("longtext"), QStringLiteral("text"),
                                       QStringLiteral("char"), QStringLiteral("varchar"), QStringLiteral("string"),
                                       QStringLiteral("note"), QStringLiteral("longchar"), QStringLiteral("datetime"),
                                       QStringLiteral("date"), QStringLiteral("time"), QStringLiteral("timestamp"),
                                       QStringLiteral("guid")};
    static const QSet<QString> integer = {QStringLiteral("long"), QStringLiteral("integer"), QStringLiteral("int"),
                                          QStringLiteral("short"), QStringLiteral("smallint"), QStringLiteral("byte"),
                                          QStringLiteral("counter"), QStringLiteral("autoincrement"),
                                          QStringLiteral("yesno"), QStringLiteral("bit"), QStringLiteral("logical"),
                                          QStringLiteral("tinyint")};
    static const QSet<QString> real = {QStringLiteral("double"), QStringLiteral("single"), QStringLiteral("float"),
                                       QStringLiteral("real"), QStringLiteral("currency"), QStringLiteral("money"),
                                       QStringLiteral("numeric"), QStringLiteral("decimal")};
    static const QSet<QString> blob = {QStringLiteral("oleobject"), QStringLiteral("longbinary"),
                                       QStringLiteral("binary"), QStringLiteral("image"), QStringLiteral("varbinary"),
                                       QStringLiteral("general"), QStringLiteral("blob")};
    if (text.contains(t))
        return QStringLiteral("TEXT");
    if (integer.contains(t))
        return QStringLiteral("INTEGER");
    if (real.contains(t))
        return QStringLiteral("REAL");
    if (blob.contains(t))
        return QStringLiteral("BLOB");
    *known = false;
    return type;
}

class Translator
{
public:
    explicit Translator(const QString& sql) : m_tokens(tokenize(sql))
    {
        // Statement kind: DDL gets its type names mapped.
        for (const Token& t : m_tokens) {
            if (t.kind == Kind::Space)
                continue;
            m_ddl = t.kind == Kind::Word
                    && (t.text.compare(QLatin1String("alter"), Qt::CaseInsensitive) == 0
                        || t.text.compare(QLatin1String("create"), Qt::CaseInsensitive) == 0);
            break;
        }
    }

    // Units of the whole statement (top level).
    std::vector<Unit> units()
    {
        m_pos = 0;
        return parseLevel(false);
    }

    static QString join(const std::vector<Unit>& units, std::size_t from = 0, std::size_t to = SIZE_MAX)
    {
        QString out;
        to = std::min(to, units.size());
        for (std::size_t i = from; i < to; ++i) {
            const Unit& u = units[i];
            if (u.kind == Kind::Space) {
                if (!out.isEmpty() && !out.endsWith(QLatin1Char(' ')))
                    out += QLatin1Char(' ');
                continue;
            }
            out += u.text;
        }
        return out.trimmed();
    }

private:
    std::vector<Unit> parseLevel(bool nested)
    {
        std::vector<Unit> units;
        while (m_pos < m_tokens.size()) {
            const Token& t = m_tokens[m_pos];
            if (t.kind == Kind::Close) {
                if (nested)
                    break;
                units.push_back({Kind::Close, t.text});
                ++m_pos;
                continue;
            }
            if (t.kind == Kind::Open) {
                ++m_pos;
                std::vector<Unit> inner = parseLevel(true);
                finishLevel(inner);
                QString text = QStringLiteral("(") + join(inner);
                if (m_pos < m_tokens.size() && m_tokens[m_pos].kind == Kind::Close) {
                    text += QStringLiteral(")");
                    ++m_pos;
                }
                // A function call or a sized type "Text(50)": glue to the preceding word.
                const int prev = lastNonSpace(units);
                const bool spaceBetween = prev >= 0 && units.size() != std::size_t(prev) + 1;
                if (prev >= 0 && units[prev].kind == Kind::Word && !units[prev].text.startsWith(QLatin1Char('"'))
                    && (!spaceBetween || !keywords().contains(units[prev].text.toLower()))) {
                    // LEFT and RIGHT are join words to SQLite: call the Jet functions by
                    // their registered names.
                    const QString lower = units[prev].text.toLower();
                    if (lower == QLatin1String("left") || lower == QLatin1String("right"))
                        units[prev].text = QStringLiteral("jet_") + lower;
                    units.resize(prev + 1);
                    units[prev].text += text;
                    units[prev].primary = true;
                    units[prev].column = false;
                } else {
                    units.push_back({Kind::Open, text, true, false});
                }
                continue;
            }
            ++m_pos;
            Unit u{t.kind, t.text};
            if (t.kind == Kind::Word) {
                const QString lower = t.text.toLower();
                if (lower == QLatin1String("distinctrow"))
                    u.text = QStringLiteral("DISTINCT");
                else if (lower == QLatin1String("mod"))
                    u = Unit{Kind::Op, QStringLiteral("%")};
                else if (!keywords().contains(lower) || t.text.startsWith(QLatin1Char('"'))) {
                    u.primary = true;
                    u.column = true;
                }
                // Dotted name: table.column
                const int prev = lastNonSpace(units);
                if (u.primary && prev >= 1 && units.size() == std::size_t(prev) + 1 && units[prev].text == QLatin1String(".")
                    && units[prev - 1].primary) {
                    units[prev - 1].text += QStringLiteral(".") + u.text;
                    units.pop_back();
                    continue;
                }
            } else if (t.kind == Kind::String || t.kind == Kind::Number) {
                u.primary = true;
            }
            units.push_back(u);
        }
        if (!nested)
            finishLevel(units);
        return units;
    }

    static int lastNonSpace(const std::vector<Unit>& units)
    {
        for (int i = int(units.size()) - 1; i >= 0; --i)
            if (units[i].kind != Kind::Space)
                return i;
        return -1;
    }

    void finishLevel(std::vector<Unit>& units)
    {
        concatenations(units);
        collateComparisons(units);
        collateOrderBy(units);
        if (m_ddl)
            mapTypes(units);
    }

    // a & b & c -> (ifnull(a,'') || ifnull(b,'') || ifnull(c,''))
    static void concatenations(std::vector<Unit>& units)
    {
        std::vector<Unit> out;
        std::size_t i = 0;
        while (i < units.size()) {
            // Is units[i] the first primary of a chain?
            if (units[i].primary) {
                std::vector<std::size_t> operands{i};
                std::size_t j = i + 1;
                for (;;) {
                    std::size_t k = j;
                    while (k < units.size() && units[k].kind == Kind::Space)
                        ++k;
                    if (k >= units.size() || units[k].kind != Kind::Op || units[k].text != QLatin1String("&"))
                        break;
                    ++k;
                    while (k < units.size() && units[k].kind == Kind::Space)
                        ++k;
                    if (k >= units.size() || !units[k].primary)
                        break;
                    operands.push_back(k);
                    j = k + 1;
                }
                if (operands.size() > 1) {
                    QStringList parts;
                    for (std::size_t idx : operands)
                        parts << QStringLiteral("ifnull(%1,'')").arg(units[idx].text);
                    out.push_back({Kind::Open, QStringLiteral("(") + parts.join(QStringLiteral(" || ")) + QStringLiteral(")"),
                                   true, false});
                    i = j;
                    continue;
                }
            }
            out.push_back(units[i]);
            ++i;
        }
        units = std::move(out);
    }

    // column = 'text' -> column = 'text' COLLATE JET (Jet compares text without case).
    static void collateComparisons(std::vector<Unit>& units)
    {
        bool inSet = false; // "set a = 'x'" assigns, it does not compare
        for (std::size_t i = 0; i < units.size(); ++i) {
            if (isWord(units[i], "set"))
                inSet = true;
            else if (isWord(units[i], "where"))
                inSet = false;
            if (!units[i].column || inSet)
                continue;
            std::size_t k = i + 1;
            while (k < units.size() && units[k].kind == Kind::Space)
                ++k;
            if (k >= units.size() || !isComparison(units[k]))
                continue;
            ++k;
            while (k < units.size() && units[k].kind == Kind::Space)
                ++k;
            if (k < units.size() && units[k].kind == Kind::String)
                units[k].text += QStringLiteral(" COLLATE JET");
        }
    }

    // order by Band, LPTitel DESC -> order by Band COLLATE JET, LPTitel COLLATE JET DESC
    static void collateOrderBy(std::vector<Unit>& units)
    {
        for (std::size_t i = 0; i + 1 < units.size(); ++i) {
            if (!isWord(units[i], "order"))
                continue;
            std::size_t k = i + 1;
            while (k < units.size() && units[k].kind == Kind::Space)
                ++k;
            if (k >= units.size() || !isWord(units[k], "by"))
                continue;
            ++k;
            // Terms up to the end of the level (or a clause that may follow).
            bool termStart = true;
            for (; k < units.size(); ++k) {
                Unit& u = units[k];
                if (u.kind == Kind::Space)
                    continue;
                if (isWord(u, "limit") || isWord(u, "union"))
                    break;
                if (u.kind == Kind::Comma) {
                    termStart = true;
                    continue;
                }
                if (termStart && u.column) {
                    // Only a term that is the bare column (optionally ASC/DESC).
                    std::size_t m = k + 1;
                    while (m < units.size() && units[m].kind == Kind::Space)
                        ++m;
                    const bool bare = m >= units.size() || units[m].kind == Kind::Comma || isWord(units[m], "asc")
                                      || isWord(units[m], "desc") || isWord(units[m], "limit");
                    const QString name = u.text.toLower().remove(QLatin1Char('"'));
                    const QString last = name.section(QLatin1Char('.'), -1);
                    if (bare && last != QLatin1String("bilder") && last != QLatin1String("rowid"))
                        u.text += QStringLiteral(" COLLATE JET");
                }
                termStart = false;
            }
            return;
        }
    }

    // Column types of CREATE/ALTER TABLE: a known Jet type word after a column name.
    static void mapTypes(std::vector<Unit>& units)
    {
        for (std::size_t i = 1; i < units.size(); ++i) {
            Unit& u = units[i];
            if (u.kind != Kind::Word)
                continue;
            const int prev = lastNonSpace(std::vector<Unit>(units.begin(), units.begin() + i));
            if (prev < 0 || units[prev].kind != Kind::Word || !units[prev].column)
                continue;
            QString base = u.text;
            const qsizetype paren = base.indexOf(QLatin1Char('('));
            if (paren > 0)
                base = base.left(paren); // "Text(50)": SQLite keeps no sizes
            bool known = false;
            const QString mapped = jetTypeToSqlite(base, &known);
            if (known) {
                u.text = mapped;
                u.column = false;
                u.primary = false;
            }
        }
    }

    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
    bool m_ddl = false;
};

bool isBareName(const QString& source)
{
    static const QRegularExpression bare(QStringLiteral("^(\\w+|\\[[^\\]]+\\])$"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    return bare.match(source).hasMatch();
}

} // namespace

QString translateJetSql(const QString& jetSql)
{
    Translator t(jetSql);
    return Translator::join(t.units());
}

QString translateRecordSource(const QString& recordSource)
{
    const QString source = recordSource.trimmed();
    if (source.isEmpty())
        return QString();
    if (isBareName(source))
        return QStringLiteral("select * from ") + translateJetSql(source);
    return translateJetSql(source);
}

SimpleSource analyseRecordSource(const QString& recordSource)
{
    SimpleSource result;
    QString source = recordSource.trimmed();
    if (source.endsWith(QLatin1Char(';')))
        source.chop(1);
    if (source.isEmpty())
        return result;
    if (isBareName(source))
        source = QStringLiteral("select * from ") + source;

    Translator t(source);
    std::vector<Unit> all = t.units();
    std::vector<Unit> units;
    for (const Unit& u : all)
        if (u.kind != Kind::Space)
            units.push_back(u);
    // select * from <table> ...
    if (units.size() < 4 || !isWord(units[0], "select") || units[1].text != QLatin1String("*")
        || !isWord(units[2], "from") || !units[3].column || units[3].text.contains(QLatin1Char('.')))
        return result;
    std::size_t i = 4;
    std::size_t whereStart = 0, whereEnd = 0, orderStart = 0, orderEnd = 0;
    if (i < units.size() && isWord(units[i], "where")) {
        whereStart = ++i;
        while (i < units.size() && !isWord(units[i], "order") && !isWord(units[i], "group")
               && !isWord(units[i], "having") && !isWord(units[i], "union") && !isWord(units[i], "limit"))
            ++i;
        whereEnd = i;
        if (whereEnd == whereStart)
            return result;
    }
    if (i + 1 < units.size() && isWord(units[i], "order") && isWord(units[i + 1], "by")) {
        orderStart = i + 2;
        i = orderStart;
        while (i < units.size() && !isWord(units[i], "limit") && !isWord(units[i], "union"))
            ++i;
        orderEnd = i;
        if (orderEnd == orderStart)
            return result;
    }
    if (i != units.size())
        return result;

    auto joinRange = [&](std::size_t from, std::size_t to) {
        QStringList parts;
        for (std::size_t k = from; k < to; ++k)
            parts << units[k].text;
        // Rejoin without spaces around "," for readability; SQLite does not care.
        return parts.join(QLatin1Char(' ')).replace(QStringLiteral(" , "), QStringLiteral(", "));
    };
    result.ok = true;
    result.table = units[3].text;
    if (result.table.startsWith(QLatin1Char('"')))
        result.table = result.table.mid(1, result.table.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    if (whereEnd > whereStart)
        result.where = joinRange(whereStart, whereEnd);
    if (orderEnd > orderStart)
        result.orderBy = joinRange(orderStart, orderEnd);
    return result;
}

QString translateRecordSourceWithRowId(const QString& recordSource)
{
    const SimpleSource s = analyseRecordSource(recordSource);
    if (!s.ok)
        return QString();
    QString sql = QStringLiteral("SELECT rowid AS \"rowid\", * FROM ") + identQuote(s.table);
    if (!s.where.isEmpty())
        sql += QStringLiteral(" WHERE ") + s.where;
    if (!s.orderBy.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + s.orderBy;
    return sql;
}

QString sqliteTypeForJetType(const QString& jetType)
{
    QString base = jetType.trimmed();
    const qsizetype paren = base.indexOf(QLatin1Char('('));
    if (paren > 0)
        base = base.left(paren).trimmed();
    bool known = false;
    const QString mapped = jetTypeToSqlite(base, &known);
    return known ? mapped : QStringLiteral("TEXT");
}

QString jetQuote(const QString& text)
{
    return sqlQuote(text);
}

bool isSelectStatement(const QString& jetSql)
{
    const QString s = jetSql.trimmed();
    return s.startsWith(QLatin1String("select"), Qt::CaseInsensitive)
           && (s.size() == 6 || !isIdentChar(s[6]));
}

} // namespace klang::jet
