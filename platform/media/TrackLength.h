#pragma once

// Measuring the playing time of a file: TagLib reads the length from the file's headers;
// what TagLib cannot read (video containers, unknown extensions) is opened briefly by a
// silent mpv core. -1 means that nothing could measure the file.

#include <QString>

namespace klang::media {

struct ProbeResult
{
    bool playable = false;  // mpv could open the file as a medium
    double seconds = -1.0;  // its length, or -1 when it has none (pictures, streams)
    QString errorText;      // why it could not be opened
};

// Length from the file's headers through TagLib, or -1 when TagLib cannot read the file.
double tagLibLengthSeconds(const QString& filePath);

// Opens the file in a silent, paused mpv core and reads its length. Waits at most
// timeoutMs (a damaged or slow medium counts as not playable then). Blocks the caller for
// the time it takes, typically a few tens of milliseconds for a local file.
ProbeResult probeMedia(const QString& filePath, int timeoutMs = 2000);

// Playing time in seconds with its fraction: TagLib first, the mpv probe second, -1 when
// neither can measure the file (missing, unreadable, not a medium).
double trackLengthSeconds(const QString& filePath);

} // namespace klang::media
