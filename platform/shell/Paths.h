#pragma once

// Where the family keeps its files.

#include <QString>

namespace klang {

// ProgrammPfad: the family's per-user data folder $XDG_DATA_HOME/Klangtruhe/ (created on
// demand) with a trailing "/". Files that the Windows programs kept beside the executable
// (sounds, lists, the empty catalogue, playlists) live here.
QString programmPfad();

// A file of the program folder by its relative name, without creating the folder: the user's
// copy when it exists, else the installed resource of that name (a program folder that could
// not be written or seeded still finds its sounds and help pages), else the path the file
// would have in the program folder.
QString programmDatei(const QString& relativ);

// True when files can be created in the program folder (made when missing). A folder the user
// cannot write (read-only, on a full or read-only medium) gets no seeded files.
bool programmOrdnerBeschreibbar();

// The folder of installed resources (sounds, icons, the empty catalogue, tips, help),
// with a trailing "/": $KLANGTRUHE_RESOURCES when set, else <executable folder>/resources/,
// else <executable folder>/../share/klangtruhe/.
QString resourceDir();

// Copies every file of resourceDir() that is missing in programmPfad() (folders too).
// Never overwrites a file the user has. Returns the number of files copied.
int seedProgramFolder();

// The folder of the running executable with a trailing "/" (siblings are started from it).
QString executableDir();

} // namespace klang
