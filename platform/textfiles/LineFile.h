#pragma once

// Line list files: one entry per line, read in file order, rewritten whole.

#include <QString>
#include <QStringList>

namespace klang {

// Reads the lines of a file. UTF-8 when the bytes are valid UTF-8 (a BOM is dropped),
// Windows-1252 otherwise; CRLF, LF and a lone CR all end a line; a final line ending adds no
// empty entry. A missing or unreadable file gives an empty list and *ok = false. Only the
// file's head is read, within the file's limits of ListBounds.h (limitsFor; most lists 10,000
// lines of at most 64 KB, 4 MB).
QStringList readLines(const QString& path, bool* ok = nullptr);

// Rewrites a whole file atomically (QSaveFile), UTF-8, LF line endings, a line ending after
// every entry. Returns false and leaves the old file untouched on any failure, and for a file
// a read left part of (wasCutOnRead).
bool writeLines(const QString& path, const QStringList& lines);

// Appends one line (UTF-8, LF). Creates the file when it is missing.
bool appendLine(const QString& path, const QString& line);

// Lists that older programs of the family read too are kept in Windows-1252 with CRLF.
// A text with a character that Windows-1252 lacks is written as UTF-8 instead (whole file),
// so nothing the user typed is lost; readLines reads both.
enum class LineFormat { Utf8Lf, Windows1252Crlf };

// Rewrites a whole file atomically in the given format (see writeLines).
bool writeLines(const QString& path, const QStringList& lines, LineFormat format);

// Appends lines in the given format. The file is rewritten through QSaveFile with its old
// bytes kept as they are, so a failure never leaves half a record behind; a file whose
// encoding does not fit the new lines is converted as a whole.
bool appendLines(const QString& path, const QStringList& lines, LineFormat format);

// Windows-1252 bytes of a text; false when a character has no Windows-1252 byte.
bool toWindows1252(const QString& text, QByteArray* bytes);

// Windows-1252 text: every byte maps to one character (the five unassigned bytes to the
// control characters of the same number), so decoding never fails.
QString fromCp1252(QByteArrayView bytes);
// Characters outside Windows-1252 become "?".
QByteArray toCp1252(QStringView text);

// Decodes file bytes the same way readLines does (for callers that read files themselves).
QString decodeText(const QByteArray& bytes);

} // namespace klang
