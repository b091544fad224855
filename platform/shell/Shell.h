#pragma once

// Operating-system services: trash, associated programs, starting programs and documents.

#include <QString>
#include <QStringList>

namespace klang {

// Moves a file to the user's trash. Never falls back to a permanent delete: on failure the
// file stays where it is and false is returned.
bool moveToTrash(const QString& path);

// The program the desktop associates with a document ("" when there is none, or when the
// document is itself an executable).
QString associatedProgram(const QString& documentPath);

// True when the process runs with administrator (root) rights.
bool isAdmin();

// Linux has no short path names: the path itself when it exists, "" otherwise.
QString shortPathName(const QString& path);

// Opens a document, folder, mail address or URL with the desktop's default application.
bool openDocument(const QString& pathOrUrl);

// Starts a program detached, with separate arguments (never through a shell).
// A program name without a folder is looked up in PATH. On failure *error holds a German
// message naming the program.
bool startProgram(const QString& program, const QStringList& arguments = {},
                  QString* error = nullptr);

// Starts a sibling program of the family from the running executable's folder.
bool startSiblingProgram(const QString& name, const QStringList& arguments = {},
                         QString* error = nullptr);

} // namespace klang
