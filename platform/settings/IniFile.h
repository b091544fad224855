#pragma once

// A small INI document with exact string values. QSettings' INI format turns "a, b" into a
// list and compares keys with regard to case; the family's settings need neither.
//
// File format (UTF-8):
//   [Section]
//   Key=Value
// Values are written with escapes so that any text survives: "\\" for a backslash, "\n",
// "\r", "\t" and "\0" for control characters, "\s" for a blank at either end of the value
// (unescaped blanks around keys and values are trimmed, so hand edits like "Key = x" work).
// Keys additionally escape "=", "[", "]", ";" and "#". Any other backslash is kept as typed.
// Lines starting with ";" or "#" are comments. A line the program does not change stays byte
// for byte as it was read: comments, blank lines, lines without "=", bytes that are not UTF-8
// (such a line is read as Windows-1252, as older programs of the family wrote it) and the
// line ends. A repeated key counts with its last line; a repeated header continues its section.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace klang {

class IniDocument
{
public:
    static IniDocument parse(const QByteArray& bytes);
    QByteArray serialize() const;

    // Section and key names compare without regard to case.
    bool contains(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key,
                  const QString& defaultValue = QString()) const;
    // Keeps the stored spelling of an existing key; a new key is added at the end.
    void setValue(const QString& section, const QString& key, const QString& value);
    bool remove(const QString& section, const QString& key);
    bool removeSection(const QString& section);
    QStringList keys(const QString& section) const;
    QStringList sections() const;

    static QString escapeValue(const QString& value);
    static QString escapeKey(const QString& key);
    static QString unescape(const QString& text);

private:
    struct Line
    {
        QString key;      // the key as read; empty for other lines
        QString value;
        bool isEntry = false;
        // The line as written to the file (no line end): the bytes as read, or made on the
        // first write and dropped when the value changes.
        mutable QByteArray encoded;
    };
    // The lines under one header in the file (a repeated header starts another block of the
    // same section). Block 0 holds the lines before the first header.
    struct Block
    {
        QString name;
        QByteArray header; // the header line as read; empty for a block the program added
        QList<Line> lines;
    };
    struct Position
    {
        qsizetype block = -1;
        qsizetype line = -1;
    };
    // Case-folded key -> its line: a file of 100,000 keys must not be searched line by
    // line for every key read or parsed.
    struct Section
    {
        QList<qsizetype> blocks;
        QHash<QString, Position> keys;
    };

    const Section* findSection(const QString& name) const;
    Section& sectionFor(const QString& name);
    void setValueIn(const QString& section, const QString& key, const QString& value);
    void reindex();

    QList<Block> m_blocks{Block{}};
    QHash<QString, Section> m_sections; // case-folded name ("" for block 0) -> section
    bool m_bom = false;
};

} // namespace klang
