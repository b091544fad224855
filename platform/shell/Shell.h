#pragma once

// Operating-system services: trash, associated programs, starting programs and documents.

#include <QString>
#include <QStringList>

class QUrl;

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

// Hands a URL to the desktop: through Qt's desktop services, and where the platform has none
// (a session without a desktop integration), to the desktop's opener `xdg-open` found on the
// search path, the URL as its one argument. False when neither took it.
bool openUrl(const QUrl& url);

// Starts a program detached, with separate arguments (never through a shell).
// A program name without a folder is looked up in PATH. On failure *error holds a German
// message naming the program.
bool startProgram(const QString& program, const QStringList& arguments = {},
                  QString* error = nullptr);

// Starts a sibling program of the family from the running executable's folder.
bool startSiblingProgram(const QString& name, const QStringList& arguments = {},
                         QString* error = nullptr);

} // namespace klang
