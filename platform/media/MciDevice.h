#pragma once

// The command strings of the old media control interface, parsed and played on the media
// engine: "open <file> type MPEGVideo alias MyAlias", "play MyAlias from 0", "pause",
// "resume", "stop", "close" (also "close all") and "status <alias> length|position|mode".
// Results are the interface's error numbers (0 = done); times are milliseconds.
//
// Video opened here is shown in a window of its own, as the interface did; audio opens none.

#include "platform/media/MediaEngine.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>

namespace klang::media {

// Error numbers of the media control interface (the ones this device can give).
namespace mci {
constexpr int Ok = 0;
constexpr int UnrecognizedKeyword = 259;
constexpr int UnrecognizedCommand = 261;
constexpr int InvalidDeviceName = 263;
constexpr int CannotLoadDriver = 266;
constexpr int BadInteger = 270;
constexpr int MissingParameter = 273;
constexpr int FileNotFound = 275;
constexpr int DuplicateAlias = 289;
constexpr int MissingDeviceName = 292;
constexpr int NoClosingQuote = 294;
constexpr int DuplicateFlags = 295;
constexpr int InvalidFile = 296;
constexpr int ExtraCharacters = 305;
} // namespace mci

// German text for an error number (empty for 0).
QString mciErrorText(int error);

// One command string taken apart.
struct MciCommand
{
    QString verb;                    // lower case: "open", "play", ...
    QString target;                  // the file of "open", the alias of the others
    QHash<QString, QString> values;  // keyword (lower case) -> its value: "alias", "type", "from", ...
    QStringList flags;               // keywords without a value, lower case: "wait", "notify", ...
};

class MciDevice : public QObject
{
    Q_OBJECT
public:
    using EngineFactory = std::function<MediaEngine*()>;

    // Plays through MpvEngine.
    explicit MciDevice(QObject* parent = nullptr);
    // Plays through engines made by the factory (tests use a fake).
    explicit MciDevice(EngineFactory factory, QObject* parent = nullptr);
    ~MciDevice() override;

    // Carries out one command. Returns 0 or an error number; the answer of "status" goes
    // to *result (left unchanged on error).
    int sendString(const QString& command, QString* result = nullptr);
    int lastError() const { return m_lastError; }
    // The text of the last error, with detail where there is one (the file, mpv's reason).
    QString lastErrorText() const { return m_lastErrorText; }

    bool isOpen(const QString& alias) const;
    QStringList aliases() const;
    // The engine behind an alias (nullptr when not open), e.g. to watch its end of file.
    MediaEngine* engine(const QString& alias) const;

    // Takes a command string apart. Returns 0 or the error number of a malformed command.
    static int parse(const QString& text, MciCommand* out);

Q_SIGNALS:
    // A medium opened here ended by itself (played out or failed).
    void playbackEnded(const QString& alias, klang::media::EndReason reason);

private:
    struct Device
    {
        QString alias;
        QString file;
        MediaEngine* engine = nullptr;
        double lengthSeconds = -1.0;
        bool stopped = true;
    };

    int fail(int error, const QString& detail = QString());
    int doOpen(const MciCommand& cmd);
    int doPlay(Device& dev, const MciCommand& cmd);
    int doStatus(Device& dev, const MciCommand& cmd, QString* result);
    void closeDevice(const QString& key);

    EngineFactory m_factory;
    QHash<QString, Device> m_devices; // key: alias in lower case
    int m_lastError = 0;
    QString m_lastErrorText;
};

} // namespace klang::media
