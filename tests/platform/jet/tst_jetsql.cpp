// The Jet dialect without a database: LIKE patterns, the German text order, translation of
// the statements the programs send, and the quoting of user text.

#include "platform/jet/JetCollation.h"
#include "platform/jet/JetLike.h"
#include "platform/jet/JetSql.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

using namespace klang::jet;

class TestJetSql : public QObject
{
    Q_OBJECT

private slots:
    void likeMatches_data();
    void likeMatches();
    void likeFuzz();
    void collationOrder_data();
    void collationOrder();
    void sortKeysFollowCollation();
    void translate_data();
    void translate();
    void translateFuzz();
    void recordSource_data();
    void recordSource();
    void analyse_data();
    void analyse();
    void quote_data();
    void quote();
    void jetTypes_data();
    void jetTypes();
};

void TestJetSql::likeMatches_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("star empty") << "*" << "" << true;
    QTest::newRow("star any") << "*" << "abc" << true;
    QTest::newRow("prefix ignores case") << "a*" << "ABBA" << true;
    QTest::newRow("a is not ä") << "a*" << "Ärzte" << false;
    QTest::newRow("ä matches Ä") << "ä*" << "Ärzte" << true;
    QTest::newRow("Ä matches ä") << "Ä*" << "ärzte" << true;
    QTest::newRow("ö any case") << "*MÖTLEY*" << "Mötley Crüe" << true;
    QTest::newRow("? needs one") << "?" << "" << false;
    QTest::newRow("? one") << "a?c" << "abc" << true;
    QTest::newRow("? not zero") << "a?c" << "ac" << false;
    QTest::newRow("? umlaut is one char") << "M?dchen" << "Mädchen" << true;
    QTest::newRow("# digit") << "#" << "5" << true;
    QTest::newRow("# not letter") << "#" << "a" << false;
    QTest::newRow("# exactly one") << "A#" << "A12" << false;
    QTest::newRow("# inside") << "*#*" << "Vol. 3" << true;
    QTest::newRow("set") << "[abc]*" << "Bach" << true;
    QTest::newRow("range miss") << "[a-c]*" << "Zappa" << false;
    QTest::newRow("negated range hit") << "[!a-c]*" << "Zappa" << true;
    QTest::newRow("negated range miss") << "[!a-c]*" << "abba" << false;
    QTest::newRow("negated single") << "[!x]" << "y" << true;
    QTest::newRow("range ignores case") << "[A-C]*" << "bach" << true;
    QTest::newRow("percent literal") << "50%" << "50%" << true;
    QTest::newRow("percent not a wildcard") << "50%" << "50 Prozent" << false;
    QTest::newRow("percent alone") << "%" << "abc" << false;
    QTest::newRow("underscore not a wildcard") << "a_c" << "abc" << false;
    QTest::newRow("underscore literal") << "a_c" << "a_c" << true;
    QTest::newRow("backslash literal") << "a\\b" << "a\\b" << true;
    QTest::newRow("backslash does not escape") << "a\\*" << "a\\xyz" << true;
    QTest::newRow("umlaut pattern ä") << "M\\?e4dchen" << "M\\'e4dchen" << true;
    QTest::newRow("umlaut pattern Ä upper") << "*M\\?c4DCHEN*" << "x M\\'c4dchen" << true;
    QTest::newRow("umlaut pattern in rtf") << "*F\\?fcr*" << "{\\rtf1 F\\'fcr Elise\\par}" << true;
    QTest::newRow("umlaut pattern needs escape") << "*F\\?fcr*" << "Für Elise" << false;
    QTest::newRow("bracket star") << "[*]*" << "*foo" << true;
    QTest::newRow("bracket star miss") << "[*]" << "x" << false;
    QTest::newRow("bracket question") << "[?]" << "?" << true;
    QTest::newRow("bracket hash") << "[#]" << "#" << true;
    QTest::newRow("bracket bracket") << "[[]*" << "[x" << true;
    QTest::newRow("unclosed bracket literal") << "[abc" << "[abc" << true;
    QTest::newRow("lone bracket in text search") << "*[*" << "a[b" << true;
    QTest::newRow("lone bracket misses") << "*[*" << "ab" << false;
    QTest::newRow("contains ignores case") << "*rock*" << "Hard ROCK Café" << true;
    QTest::newRow("rating exact") << "1" << "1" << true;
    QTest::newRow("rating not prefix") << "1" << "12" << false;
    QTest::newRow("apostrophe") << "*O'Brien*" << "O'Brien & Friends" << true;
    QTest::newRow("backtrack") << "*ab*ab" << "xabyab" << true;
    QTest::newRow("backtrack overlap") << "*aab" << "aaab" << true;
    QTest::newRow("backtrack fails") << "*ab*ab" << "xaby" << false;
    QTest::newRow("suffix") << "*a" << "aba" << true;
    QTest::newRow("suffix miss") << "*a" << "bab" << false;
    QTest::newRow("contains ascii") << "*LIEBE*" << "{\\rtf1 1. Liebe\\par}" << true;
    QTest::newRow("contains ascii at end") << "*be*" << "Liebe" << true;
    QTest::newRow("contains ascii miss") << "*liebex*" << "Liebe" << false;
    QTest::newRow("contains ascii in umlaut text") << "*rzte*" << "Die Ärzte" << true;
    QTest::newRow("contains ascii short text") << "*abc*" << "ab" << false;
    QTest::newRow("empty pattern") << "" << "" << true;
    QTest::newRow("empty pattern text") << "" << "a" << false;
}

// The matcher gives Jet's answers for wildcards, literals and umlaut patterns.
void TestJetSql::likeMatches()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(jetLike(text, pattern), expected);
    // The UTF-8 path (as SQLite calls it) agrees.
    QCOMPARE(LikePattern(pattern).matchesUtf8(text.toStdString()), expected);
}

// Random patterns and texts never crash or hang; both input paths agree, and a pattern
// without wildcards means equality without case.
void TestJetSql::likeFuzz()
{
    QRandomGenerator rng(20261209);
    const QString alphabet = QStringLiteral("**?#[]!-abcABCäÄß%_\\'1 ");
    auto randomText = [&](int maxLen) {
        QString s;
        const int n = int(rng.bounded(quint32(maxLen + 1)));
        for (int i = 0; i < n; ++i)
            s += alphabet.at(int(rng.bounded(quint32(alphabet.size()))));
        return s;
    };
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 20000; ++i) {
        const QString pattern = randomText(12);
        const QString text = randomText(40);
        const LikePattern compiled(pattern);
        const bool a = compiled.matches(text);
        QCOMPARE(compiled.matchesUtf8(text.toStdString()), a);
        static const QRegularExpression wild(QStringLiteral("[*?#\\[]"));
        if (!pattern.contains(wild))
            QCOMPARE(a, pattern.compare(text, Qt::CaseInsensitive) == 0);
    }
    // The search form "*text*" (a fast path for ASCII texts) agrees with the general matcher.
    const QString letters = QStringLiteral("abAB ä\\'");
    for (int i = 0; i < 20000; ++i) {
        QString word, text;
        const int wn = 1 + int(rng.bounded(3u));
        for (int k = 0; k < wn; ++k)
            word += rng.bounded(6u) == 0 ? QLatin1Char('?') : letters.at(int(rng.bounded(5u))); // ASCII only
        const int tn = int(rng.bounded(12u));
        for (int k = 0; k < tn; ++k)
            text += letters.at(int(rng.bounded(quint32(letters.size()))));
        const LikePattern search(QStringLiteral("*") + word + QStringLiteral("*"));
        QCOMPARE(search.matchesUtf8(text.toStdString()), search.matches(text));
        if (!word.contains(QLatin1Char('?')))
            QCOMPARE(search.matches(text), text.contains(word, Qt::CaseInsensitive));
    }
    // A long run of stars against a long text stays fast (no exponential backtracking).
    const QString stars = QString(QStringLiteral("*a")).repeated(30) + QStringLiteral("b");
    const QString text = QString(QLatin1Char('a')).repeated(5000);
    QVERIFY(!jetLike(text, stars));
    // Invalid UTF-8 bytes are characters of their own, not a crash.
    QVERIFY(LikePattern(QStringLiteral("?a?")).matchesUtf8(std::string("\xff" "a" "\xc3", 3)));
    QVERIFY(timer.elapsed() < 20000);
}

void TestJetSql::collationOrder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("abba < Ärzte") << "abba" << "Ärzte" << -1;
    QTest::newRow("Ärzte < Zappa") << "Ärzte" << "Zappa" << -1;
    QTest::newRow("ZZ Top after abba") << "ZZ Top" << "abba" << 1;
    QTest::newRow("case equal") << "ABBA" << "abba" << 0;
    QTest::newRow("umlaut case equal") << "ÄRZTE" << "ärzte" << 0;
    QTest::newRow("accent second") << "Arzte" << "Ärzte" << -1;
    QTest::newRow("Ärger < Arzt") << "Ärger" << "Arzt" << -1;
    QTest::newRow("ß as ss") << "Straße" << "Strasse" << 1;
    QTest::newRow("ß before t") << "Straße" << "Strat" << -1;
    QTest::newRow("prefix first") << "Abb" << "abba" << -1;
    QTest::newRow("empty first") << "" << "a" << -1;
    QTest::newRow("Öl with O") << "Öl" << "Opa" << -1;
    QTest::newRow("é with e") << "Édith" << "Eder" << 1;
}

// German order without case: umlauts sort with their base letter, case never decides.
void TestJetSql::collationOrder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    auto sign = [](int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); };
    QCOMPARE(sign(jetCompare(a, b)), expected);
    QCOMPARE(sign(jetCompare(b, a)), -expected);
    QCOMPARE(sign(jetCompareUtf8(a.toStdString(), b.toStdString())), expected);
}

// Sort keys compared bytewise order texts exactly as the collation does.
void TestJetSql::sortKeysFollowCollation()
{
    QRandomGenerator rng(1234);
    const QString alphabet = QStringLiteral("aAbBsSzZäÄöÖüÜßéÉæ ' -09\\{}");
    auto randomText = [&] {
        QString s;
        const int n = int(rng.bounded(8u));
        for (int i = 0; i < n; ++i)
            s += alphabet.at(int(rng.bounded(quint32(alphabet.size()))));
        return s;
    };
    auto sign = [](int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); };
    for (int i = 0; i < 20000; ++i) {
        const QString a = randomText();
        const QString b = randomText();
        std::string ka, kb;
        appendSortKey(ka, a.toStdString());
        appendSortKey(kb, b.toStdString());
        const int byKey = sign(ka.compare(kb));
        QVERIFY2(byKey == sign(jetCompare(a, b)), qPrintable(a + QStringLiteral(" | ") + b));
    }
}

void TestJetSql::translate_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    const QString base = QStringLiteral("select * from Schallplatten");
    QTest::newRow("default view") << "select * from Schallplatten order by Band, LPTitel"
                                  << "select * from Schallplatten order by Band COLLATE JET, LPTitel COLLATE JET";
    QTest::newRow("header sort desc") << "select * from Schallplatten order by Preis DESC"
                                      << "select * from Schallplatten order by Preis COLLATE JET DESC";
    QTest::newRow("header sort asc") << "select * from Schallplatten order by Songs ASC"
                                     << "select * from Schallplatten order by Songs COLLATE JET ASC";
    QTest::newRow("letter filter")
        << "select * from Schallplatten where Band like 'a*' or Band like 'ä*' order by Band, LPTitel"
        << "select * from Schallplatten where Band like 'a*' or Band like 'ä*' order by Band COLLATE JET, LPTitel COLLATE JET";
    QTest::newRow("rating") << "select * from Schallplatten where Bewertung like '3' order by Band, LPTitel"
                            << "select * from Schallplatten where Bewertung like '3' order by Band COLLATE JET, LPTitel COLLATE JET";
    QTest::newRow("songs umlaut pattern") << "select * from Schallplatten where Songs like '*F\\?fcr*' order by Band"
                                          << "select * from Schallplatten where Songs like '*F\\?fcr*' order by Band COLLATE JET";
    QTest::newRow("hostile percent ampersand") << "select * from Schallplatten where Info like '*50% & mehr*'"
                                               << "select * from Schallplatten where Info like '*50% & mehr*'";
    QTest::newRow("hostile bracket") << "select * from Schallplatten where Band like '*[*'"
                                     << "select * from Schallplatten where Band like '*[*'";
    QTest::newRow("hostile star") << "select * from Schallplatten where Band like '***'"
                                  << "select * from Schallplatten where Band like '***'";
    QTest::newRow("doubled apostrophe") << "select * from Schallplatten where Band like '*O''Brien*'"
                                        << "select * from Schallplatten where Band like '*O''Brien*'";
    QTest::newRow("replace update")
        << "update Schallplatten set Band = 'O''Brien' where Band = 'O''Brian'"
        << "update Schallplatten set Band = 'O''Brien' where Band = 'O''Brian' COLLATE JET";
    QTest::newRow("concatenation") << "select Band & ' - ' & LPTitel from Schallplatten"
                                   << "select (ifnull(Band,'') || ifnull(' - ','') || ifnull(LPTitel,'')) from Schallplatten";
    QTest::newRow("ampersand in literal stays") << "select 'a & b' from Schallplatten"
                                                << "select 'a & b' from Schallplatten";
    QTest::newRow("function concatenation") << "select Left(Band,1) & '.' from Schallplatten"
                                            << "select (ifnull(jet_left(Band,1),'') || ifnull('.','')) from Schallplatten";
    QTest::newRow("date literal") << "select * from Schallplatten where Datum > #12/31/1999#"
                                  << "select * from Schallplatten where Datum > '1999-12-31' COLLATE JET";
    QTest::newRow("iso date literal") << "select * from Schallplatten where Datum = #2001-02-03 10:05#"
                                      << "select * from Schallplatten where Datum = '2001-02-03 10:05:00' COLLATE JET";
    QTest::newRow("brackets and double quotes") << "select * from [Schallplatten] where [Band] = \"AB\"\"BA\""
                                                << "select * from \"Schallplatten\" where \"Band\" = 'AB\"BA' COLLATE JET";
    QTest::newRow("add memo column") << "ALTER TABLE Schallplatten ADD COLUMN Bildpfad Memo"
                                     << "ALTER TABLE Schallplatten ADD COLUMN Bildpfad TEXT";
    QTest::newRow("create table types") << "create table t (a Text(50), b Memo, c Long, d OLEObject)"
                                        << "create table t(a TEXT, b TEXT, c INTEGER, d BLOB)";
    QTest::newRow("mod and distinctrow") << "select distinctrow Band from Schallplatten where Preis mod 2 = 1"
                                         << "select DISTINCT Band from Schallplatten where Preis % 2 = 1";
    QTest::newRow("picture not collated") << base + " order by Bilder" << base + " order by Bilder";
    QTest::newRow("unterminated literal left to the engine") << "select * from Schallplatten where Band = 'abc"
                                                             << "select * from Schallplatten where Band = 'abc";
}

// Every statement shape the programs send comes out as SQLite with the same meaning.
void TestJetSql::translate()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(translateJetSql(jet), sqlite);
}

// Random statements made of SQL pieces and hostile characters never crash or hang the
// translator, and a literal built with jetQuote always comes through unchanged.
void TestJetSql::translateFuzz()
{
    QRandomGenerator rng(4711);
    const QStringList pieces = {"select", "*", "from", "Schallplatten", "where", "order", "by", "Band", "&", "'",
                                "''", "\"", "#", "#1/2/2003#", "[", "]", "(", ")", ",", "=", "<>", "like", "or",
                                "Left(", "ä", " ", "  ", "%", "_", "alter", "table", "add", "column", "Memo", ";"};
    for (int i = 0; i < 5000; ++i) {
        QString sql;
        const int n = int(rng.bounded(30u));
        for (int k = 0; k < n; ++k)
            sql += pieces.at(int(rng.bounded(quint32(pieces.size())))) + (rng.bounded(2u) ? " " : "");
        translateJetSql(sql);
        translateRecordSource(sql);
        analyseRecordSource(sql);
        QString text;
        for (int k = 0; k < 8; ++k)
            text += pieces.at(int(rng.bounded(quint32(pieces.size()))));
        const QString stmt = QStringLiteral("select * from Schallplatten where Info like ") + jetQuote(text);
        QCOMPARE(translateJetSql(stmt), stmt);
    }
}

void TestJetSql::recordSource_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("bare table") << "Schallplatten" << "select * from Schallplatten";
    QTest::newRow("bare table blanks") << "  Schallplatten " << "select * from Schallplatten";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("select") << "select * from Schallplatten order by Band"
                            << "select * from Schallplatten order by Band COLLATE JET";
}

// A bare table name is a record source of its own; an empty one means no rows.
void TestJetSql::recordSource()
{
    QFETCH(QString, source);
    QFETCH(QString, sqlite);
    QCOMPARE(translateRecordSource(source), sqlite);
}

void TestJetSql::analyse_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("orderBy");
    QTest::newRow("bare") << "Schallplatten" << true << "" << "";
    QTest::newRow("default") << "select * from Schallplatten order by Band, LPTitel" << true << ""
                             << "Band COLLATE JET, LPTitel COLLATE JET";
    QTest::newRow("filter") << "select * from Schallplatten where Band like 'x*' or Band like '[*' order by Band"
                            << true << "Band like 'x*' or Band like '[*'" << "Band COLLATE JET";
    QTest::newRow("semicolon") << "SELECT * FROM Schallplatten WHERE Stil = 'Rock';" << true
                               << "Stil = 'Rock' COLLATE JET" << "";
    QTest::newRow("column list") << "select Band from Schallplatten" << false << "" << "";
    QTest::newRow("join") << "select * from Schallplatten, Andere" << false << "" << "";
    QTest::newRow("group") << "select * from Schallplatten group by Band" << false << "" << "";
}

// Simple record sources are recognised (and only those), so they load by rowid.
void TestJetSql::analyse()
{
    QFETCH(QString, source);
    QFETCH(bool, ok);
    QFETCH(QString, where);
    QFETCH(QString, orderBy);
    const SimpleSource s = analyseRecordSource(source);
    QCOMPARE(s.ok, ok);
    QCOMPARE(translateRecordSourceWithRowId(source).isEmpty(), !ok);
    if (ok) {
        QCOMPARE(s.table, QStringLiteral("Schallplatten"));
        QCOMPARE(s.where, where);
        QCOMPARE(s.orderBy, orderBy);
        QString keyed = QStringLiteral("SELECT rowid AS \"rowid\", * FROM \"Schallplatten\"");
        if (!where.isEmpty())
            keyed += QStringLiteral(" WHERE ") + where;
        if (!orderBy.isEmpty())
            keyed += QStringLiteral(" ORDER BY ") + orderBy;
        QCOMPARE(translateRecordSourceWithRowId(source), keyed);
    }
}

void TestJetSql::quote_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("literal");
    QTest::newRow("plain") << "ABBA" << "'ABBA'";
    QTest::newRow("empty") << "" << "''";
    QTest::newRow("apostrophe") << "O'Brien" << "'O''Brien'";
    QTest::newRow("only apostrophes") << "''" << "''''''";
    QTest::newRow("percent ampersand") << "50% & mehr" << "'50% & mehr'";
    QTest::newRow("wildcards kept") << "[*?#" << "'[*?#'";
}

// User text becomes exactly one literal: the translator reads it back unchanged.
void TestJetSql::quote()
{
    QFETCH(QString, text);
    QFETCH(QString, literal);
    QCOMPARE(jetQuote(text), literal);
    const QString stmt = QStringLiteral("update Schallplatten set Info = ") + jetQuote(text)
                         + QStringLiteral(" where Band = ") + jetQuote(text);
    QCOMPARE(translateJetSql(stmt), stmt + QStringLiteral(" COLLATE JET"));
}

void TestJetSql::jetTypes_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("memo") << "Memo" << "TEXT";
    QTest::newRow("text") << "Text" << "TEXT";
    QTest::newRow("text sized") << "Text(50)" << "TEXT";
    QTest::newRow("upper") << "MEMO" << "TEXT";
    QTest::newRow("long") << "Long" << "INTEGER";
    QTest::newRow("double") << "Double" << "REAL";
    QTest::newRow("picture") << "OLEObject" << "BLOB";
    QTest::newRow("unknown is text") << "Hyperlink" << "TEXT";
}

// Jet type names map to SQLite affinities; text stays text ("007" never becomes 7).
void TestJetSql::jetTypes()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(sqliteTypeForJetType(jet), sqlite);
}

QTEST_GUILESS_MAIN(TestJetSql)
#include "tst_jetsql.moc"
