#include "platform/jet/JetFunctions.h"

#include <QString>
#include <atomic>
#include <sqlite3.h>

namespace klang::jet {

namespace {

QString argText(sqlite3_value* v)
{
    const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(t ? t : "", sqlite3_value_bytes(v));
}

bool anyNull(int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return true;
    return false;
}

void resultText(sqlite3_context* ctx, const QString& s)
{
    const QByteArray utf8 = s.toUtf8();
    sqlite3_result_text64(ctx, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void fnUCase(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).toUpper());
}

void fnLCase(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).toLower());
}

void fnLen(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, argText(argv[0]).size());
}

void fnLeft(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    const qint64 n = sqlite3_value_int64(argv[1]);
    if (n < 0)
        return sqlite3_result_error(ctx, "Ungültiger Prozeduraufruf oder ungültiges Argument", -1);
    resultText(ctx, argText(argv[0]).left(qsizetype(n)));
}

void fnRight(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    const qint64 n = sqlite3_value_int64(argv[1]);
    if (n < 0)
        return sqlite3_result_error(ctx, "Ungültiger Prozeduraufruf oder ungültiges Argument", -1);
    resultText(ctx, argText(argv[0]).right(qsizetype(n)));
}

void fnMid(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    const qint64 start = sqlite3_value_int64(argv[1]);
    const qint64 len = argc > 2 ? sqlite3_value_int64(argv[2]) : -1;
    if (start < 1 || (argc > 2 && len < 0))
        return sqlite3_result_error(ctx, "Ungültiger Prozeduraufruf oder ungültiges Argument", -1);
    resultText(ctx, argText(argv[0]).mid(qsizetype(start - 1), qsizetype(len)));
}

// InStr([start,] text, sought): 1-based position, 0 when absent; compares without case.
void fnInStr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    qint64 start = 1;
    int first = 0;
    if (argc == 3) {
        start = sqlite3_value_int64(argv[0]);
        first = 1;
    }
    if (start < 1)
        return sqlite3_result_error(ctx, "Ungültiger Prozeduraufruf oder ungültiges Argument", -1);
    const QString text = argText(argv[first]);
    const QString sought = argText(argv[first + 1]);
    if (start > text.size() + 1)
        return sqlite3_result_int(ctx, 0);
    const qsizetype at = text.indexOf(sought, qsizetype(start - 1), Qt::CaseInsensitive);
    sqlite3_result_int64(ctx, at < 0 ? 0 : at + 1);
}

void fnNz(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        return sqlite3_result_value(ctx, argv[0]);
    if (argc > 1)
        return sqlite3_result_value(ctx, argv[1]);
    sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

void fnIIf(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const bool cond = sqlite3_value_type(argv[0]) != SQLITE_NULL && sqlite3_value_double(argv[0]) != 0.0;
    sqlite3_result_value(ctx, cond ? argv[1] : argv[2]);
}

// Val: the number at the start of a text (blanks ignored), 0 when there is none.
void fnVal(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    QString s = argText(argv[0]);
    s.remove(QLatin1Char(' '));
    s.remove(QLatin1Char('\t'));
    qsizetype i = 0;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        ++i;
    bool dot = false;
    while (i < s.size() && (s[i].isDigit() || (s[i] == QLatin1Char('.') && !dot))) {
        dot = dot || s[i] == QLatin1Char('.');
        ++i;
    }
    bool ok = false;
    const double v = s.left(i).toDouble(&ok);
    sqlite3_result_double(ctx, ok ? v : 0.0);
}

struct Def
{
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
};

std::atomic<KlartextFunktion> klartextFunktion{nullptr};

void fnKlartext(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const qsizetype laenge = argc > 1 ? qsizetype(sqlite3_value_int64(argv[1])) : -1;
    const QString wert = argText(argv[0]);
    const KlartextFunktion f = klartextFunktion.load();
    resultText(ctx, f ? f(wert, laenge) : (laenge >= 0 ? wert.left(laenge) : wert));
}

} // namespace

void setKlartextFunktion(KlartextFunktion funktion)
{
    klartextFunktion.store(funktion);
}

void registerJetFunctions(sqlite3* db)
{
    static const Def defs[] = {
        {"klartext", 1, fnKlartext}, {"klartext", 2, fnKlartext},
        {"ucase", 1, fnUCase}, {"lcase", 1, fnLCase}, {"len", 1, fnLen},
        {"left", 2, fnLeft},   {"jet_left", 2, fnLeft}, {"right", 2, fnRight}, {"jet_right", 2, fnRight},
        {"mid", 2, fnMid},     {"mid", 3, fnMid},     {"instr", 2, fnInStr}, {"instr", 3, fnInStr},
        {"nz", 1, fnNz},       {"nz", 2, fnNz},       {"iif", 3, fnIIf},     {"val", 1, fnVal},
    };
    for (const Def& def : defs)
        sqlite3_create_function_v2(db, def.name, def.args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, def.fn,
                                   nullptr, nullptr, nullptr);
}

} // namespace klang::jet
