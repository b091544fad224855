#pragma once

// The Jet SQL dialect the programs write (and store, e.g. the saved view Data1RecordSource),
// translated into statements SQLite runs with the same meaning:
//   - a bare table name as record source        -> select * from <name>
//   - a & b (Null counts as "")                 -> ifnull(a,'') || ifnull(b,'')
//   - "text" string literals                    -> 'text'
//   - #12/31/1999# date literals (US order)     -> '1999-12-31'
//   - [Field name] identifiers                  -> "Field name"
//   - order by on a column                      -> ... COLLATE JET (German, no case)
//   - column =, <>, <, > a text literal         -> literal COLLATE JET (no case)
//   - ALTER TABLE .. ADD COLUMN c Memo|Text     -> SQLite affinities (Memo, Text -> TEXT)
// String literals are parsed properly (doubled '' inside), so no user text inside a literal
// is ever mistaken for SQL. LIKE needs no translation: like() itself has Jet semantics.

#include <QString>
#include <QStringList>

namespace klang::jet {

// The SQLite form of a Jet statement (select, update, insert, delete, DDL).
QString translateJetSql(const QString& jetSql);

// A record source (a bare table name or a select) as SQLite select. Empty for an empty source.
QString translateRecordSource(const QString& recordSource);

// The pieces of a simple record source "select * from <table> [where ..] [order by ..]",
// which can be loaded as rowids first and fetched row by row. ok is false for anything else
// (joins, column lists, group by ...): such a source is loaded whole.
struct SimpleSource
{
    bool ok = false;
    QString table;   // as written (unquoted)
    QString where;   // SQLite text after "where", translated, may be empty
    QString orderBy; // SQLite text after "order by", translated, may be empty
};
SimpleSource analyseRecordSource(const QString& recordSource);

// A simple record source as SQLite select that also returns the row key first:
// SELECT rowid AS "rowid", * FROM "T" [WHERE ..] [ORDER BY ..]. Empty when the source is not
// simple (such rows have no key and cannot be written back).
QString translateRecordSourceWithRowId(const QString& recordSource);

// The SQLite column type for a Jet type name (Memo, Text, Text(50), Long, Double, OLEObject,
// DateTime, YesNo ...). Text types give "TEXT" so "007" and "1.50" stay text.
QString sqliteTypeForJetType(const QString& jetType);

// A user text as a Jet/SQL string literal: enclosed in apostrophes, every apostrophe doubled.
// The one way user text may enter a statement as text; everything else is bound.
QString jetQuote(const QString& text);

// True when the statement (after leading blanks) is a query that returns rows.
bool isSelectStatement(const QString& jetSql);

} // namespace klang::jet
