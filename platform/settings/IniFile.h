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
// Lines starting with ";" or "#" are comments and are kept.

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
        QString key;      // empty for comment lines
        QString value;
        QString raw;      // comment text kept as read
        bool isComment = false;
        // The line as written to the file (UTF-8, no line end), made on the first write and
        // dropped when the value changes: a program that saves settings one by one into a
        // big file re-encodes only what changed.
        mutable QByteArray encoded;
    };
    struct Section
    {
        QString name;
        QList<Line> lines;
        // Case-folded key -> index in lines: a file of 100,000 keys must not be searched
        // line by line for every key read or parsed.
        QHash<QString, qsizetype> index;

        qsizetype find(const QString& key) const;
        void reindex();
    };

    qsizetype indexOfSection(const QString& name) const;
    const Section* findSection(const QString& name) const;
    void setValueIn(qsizetype sectionIndex, const QString& key, const QString& value);
    void reindexSections();

    QList<Section> m_sections; // a leading nameless section holds comments before the first header
    QHash<QString, qsizetype> m_sectionIndex; // case-folded name -> index (named sections)
};

} // namespace klang
