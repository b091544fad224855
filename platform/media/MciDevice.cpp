#include "platform/media/MciDevice.h"

#include "platform/media/MpvEngine.h"
#include "platform/media/TrackLength.h"

#include <QFileInfo>

#include <cmath>

namespace klang::media {

namespace {

struct Token
{
    QString text;   // without quotes
    bool quoted = false;
    qsizetype begin = 0; // raw span in the command, quotes included
    qsizetype end = 0;
};

// Splits at blanks; a token that begins with a double quote runs to the next one.
int tokenize(const QString& s, QList<Token>* out)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        while (i < n && s.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        Token t;
        t.begin = i;
        if (s.at(i) == QLatin1Char('"')) {
            const qsizetype close = s.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                return mci::NoClosingQuote;
            t.text = s.mid(i + 1, close - i - 1);
            t.quoted = true;
            i = close + 1;
        } else {
            while (i < n && !s.at(i).isSpace())
                ++i;
            t.text = s.mid(t.begin, i - t.begin);
        }
        t.end = i;
        out->append(t);
    }
    return mci::Ok;
}

bool isWord(const Token& t, const char* word)
{
    return !t.quoted && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool parseMilliseconds(const QString& text, double* seconds)
{
    bool ok = false;
    const qlonglong ms = text.toLongLong(&ok);
    if (!ok || ms < 0)
        return false;
    *seconds = ms / 1000.0;
    return true;
}

} // namespace

QString mciErrorText(int error)
{
    switch (error) {
    case mci::Ok: return QString();
    case mci::UnrecognizedKeyword: return QStringLiteral("Der Befehl enthält ein unbekanntes Schlüsselwort.");
    case mci::UnrecognizedCommand: return QStringLiteral("Der Befehl ist unbekannt.");
    case mci::InvalidDeviceName: return QStringLiteral("Das angegebene Gerät ist nicht geöffnet oder unbekannt.");
    case mci::CannotLoadDriver: return QStringLiteral("Die Wiedergabe ließ sich nicht starten.");
    case mci::BadInteger: return QStringLiteral("Eine Zahl im Befehl ist ungültig.");
    case mci::MissingParameter: return QStringLiteral("Dem Befehl fehlt eine Angabe.");
    case mci::FileNotFound: return QStringLiteral("Die angegebene Datei wurde nicht gefunden.");
    case mci::DuplicateAlias: return QStringLiteral("Der Aliasname wird bereits verwendet.");
    case mci::MissingDeviceName: return QStringLiteral("Es ist kein Gerät und keine Datei angegeben.");
    case mci::NoClosingQuote: return QStringLiteral("Ein Anführungszeichen wird nicht geschlossen.");
    case mci::DuplicateFlags: return QStringLiteral("Ein Schlüsselwort steht mehrfach im Befehl.");
    case mci::InvalidFile: return QStringLiteral("Die Datei kann nicht wiedergegeben werden.");
    case mci::ExtraCharacters: return QStringLiteral("Der Befehl enthält überzählige Angaben.");
    default: return QStringLiteral("Fehler %1 der Mediensteuerung.").arg(error);
    }
}

int MciDevice::parse(const QString& text, MciCommand* out)
{
    *out = MciCommand();
    QList<Token> tokens;
    if (const int err = tokenize(text, &tokens))
        return err;
    if (tokens.isEmpty())
        return mci::UnrecognizedCommand;
    out->verb = tokens.first().text.toLower();
    tokens.removeFirst();

    static const QStringList verbs = {QStringLiteral("open"), QStringLiteral("play"),
                                      QStringLiteral("pause"), QStringLiteral("resume"),
                                      QStringLiteral("stop"), QStringLiteral("close"),
                                      QStringLiteral("status")};
    if (!verbs.contains(out->verb))
        return mci::UnrecognizedCommand;
    if (tokens.isEmpty())
        return mci::MissingDeviceName;

    auto addFlag = [out](const QString& flag) {
        if (out->flags.contains(flag))
            return int(mci::DuplicateFlags);
        out->flags << flag;
        return int(mci::Ok);
    };
    auto addValue = [out](const QString& key, const QString& value) {
        if (out->values.contains(key))
            return int(mci::DuplicateFlags);
        out->values.insert(key, value);
        return int(mci::Ok);
    };

    if (out->verb == QLatin1String("open")) {
        // Keywords stand at the end; whatever precedes them is the file, blanks and all.
        while (tokens.size() > 1) {
            const Token& last = tokens.last();
            int err = mci::Ok;
            if (isWord(last, "shareable") || isWord(last, "wait") || isWord(last, "notify")) {
                err = addFlag(last.text.toLower());
                tokens.removeLast();
            } else if (isWord(last, "alias") || isWord(last, "type")) {
                return mci::MissingParameter;
            } else if (tokens.size() >= 3 && (isWord(tokens.at(tokens.size() - 2), "alias")
                                              || isWord(tokens.at(tokens.size() - 2), "type"))) {
                err = addValue(tokens.at(tokens.size() - 2).text.toLower(), last.text);
                tokens.removeLast();
                tokens.removeLast();
            } else {
                break;
            }
            if (err)
                return err;
        }
        if (tokens.size() == 1)
            out->target = tokens.first().text;
        else
            out->target = text.mid(tokens.first().begin, tokens.last().end - tokens.first().begin);
        if (out->target.isEmpty())
            return mci::MissingDeviceName;
        return mci::Ok;
    }

    out->target = tokens.first().text;
    tokens.removeFirst();
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens.at(i);
        int err = mci::Ok;
        if (isWord(t, "wait") || isWord(t, "notify")) {
            err = addFlag(t.text.toLower());
        } else if (out->verb == QLatin1String("play") && isWord(t, "from")) {
            if (i + 1 >= tokens.size())
                return mci::MissingParameter;
            err = addValue(QStringLiteral("from"), tokens.at(++i).text);
        } else if (out->verb == QLatin1String("status") && !out->values.contains(QStringLiteral("item"))
                   && (isWord(t, "length") || isWord(t, "position") || isWord(t, "mode")
                       || isWord(t, "ready"))) {
            err = addValue(QStringLiteral("item"), t.text.toLower());
        } else {
            return mci::UnrecognizedKeyword;
        }
        if (err)
            return err;
    }
    if (out->verb == QLatin1String("status") && !out->values.contains(QStringLiteral("item")))
        return mci::MissingParameter;
    return mci::Ok;
}

MciDevice::MciDevice(QObject* parent)
    : MciDevice([] { return static_cast<MediaEngine*>(new MpvEngine); }, parent)
{
}

MciDevice::MciDevice(EngineFactory factory, QObject* parent)
    : QObject(parent)
    , m_factory(std::move(factory))
{
}

MciDevice::~MciDevice()
{
    const QStringList keys = m_devices.keys();
    for (const QString& key : keys)
        closeDevice(key);
}

int MciDevice::fail(int error, const QString& detail)
{
    m_lastError = error;
    m_lastErrorText = mciErrorText(error);
    if (!detail.isEmpty())
        m_lastErrorText += QStringLiteral(" (") + detail + QLatin1Char(')');
    return error;
}

bool MciDevice::isOpen(const QString& alias) const
{
    return m_devices.contains(alias.toLower());
}

QStringList MciDevice::aliases() const
{
    QStringList out;
    for (const Device& d : m_devices)
        out << d.alias;
    return out;
}

MediaEngine* MciDevice::engine(const QString& alias) const
{
    const auto it = m_devices.constFind(alias.toLower());
    return it == m_devices.cend() ? nullptr : it->engine;
}

int MciDevice::sendString(const QString& command, QString* result)
{
    MciCommand cmd;
    if (const int err = parse(command, &cmd))
        return fail(err, command.trimmed());

    int err = mci::Ok;
    if (cmd.verb == QLatin1String("open")) {
        err = doOpen(cmd);
    } else if (cmd.verb == QLatin1String("close")
               && cmd.target.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        const QStringList keys = m_devices.keys();
        for (const QString& key : keys)
            closeDevice(key);
    } else {
        const QString key = cmd.target.toLower();
        auto it = m_devices.find(key);
        if (it == m_devices.end())
            return fail(mci::InvalidDeviceName, cmd.target);
        Device& dev = *it;
        if (cmd.verb == QLatin1String("play")) {
            err = doPlay(dev, cmd);
        } else if (cmd.verb == QLatin1String("pause")) {
            dev.engine->pause();
        } else if (cmd.verb == QLatin1String("resume")) {
            if (!dev.stopped)
                dev.engine->play();
        } else if (cmd.verb == QLatin1String("stop")) {
            // Halts where it is; the medium stays open for a later play.
            dev.engine->pause();
            dev.stopped = true;
        } else if (cmd.verb == QLatin1String("close")) {
            closeDevice(key);
        } else if (cmd.verb == QLatin1String("status")) {
            err = doStatus(dev, cmd, result);
        }
    }
    if (err)
        return err;
    m_lastError = mci::Ok;
    m_lastErrorText.clear();
    return mci::Ok;
}

int MciDevice::doOpen(const MciCommand& cmd)
{
    const QString alias = cmd.values.value(QStringLiteral("alias"), cmd.target);
    const QString key = alias.toLower();
    if (m_devices.contains(key))
        return fail(mci::DuplicateAlias, alias);
    const QFileInfo info(cmd.target);
    if (!info.isFile())
        return fail(mci::FileNotFound, cmd.target);

    // The interface refused unplayable files at open; find out now, not when playing.
    double length = tagLibLengthSeconds(info.absoluteFilePath());
    if (length <= 0) {
        const ProbeResult probe = probeMedia(info.absoluteFilePath());
        if (!probe.playable)
            return fail(mci::InvalidFile, cmd.target + QStringLiteral(": ") + probe.errorText);
        length = probe.seconds;
    }

    MediaEngine* engine = m_factory ? m_factory() : nullptr;
    if (!engine)
        return fail(mci::CannotLoadDriver);
    engine->setParent(this);
    if (!engine->open(info.absoluteFilePath(), /*startPaused=*/true)) {
        const QString why = engine->errorText();
        delete engine;
        return fail(mci::InvalidFile, why);
    }
    Device dev;
    dev.alias = alias;
    dev.file = info.absoluteFilePath();
    dev.engine = engine;
    dev.lengthSeconds = length;
    m_devices.insert(key, dev);
    connect(engine, &MediaEngine::endOfFile, this, [this, key](EndReason reason) {
        auto it = m_devices.find(key);
        if (it == m_devices.end())
            return;
        it->stopped = true;
        Q_EMIT playbackEnded(it->alias, reason);
    });
    return mci::Ok;
}

int MciDevice::doPlay(Device& dev, const MciCommand& cmd)
{
    if (cmd.values.contains(QStringLiteral("from"))) {
        double from = 0;
        if (!parseMilliseconds(cmd.values.value(QStringLiteral("from")), &from))
            return fail(mci::BadInteger, cmd.values.value(QStringLiteral("from")));
        dev.engine->setPosition(from);
    }
    // "wait" would block the caller until the end; the end is reported by playbackEnded.
    dev.stopped = false;
    dev.engine->play();
    return mci::Ok;
}

int MciDevice::doStatus(Device& dev, const MciCommand& cmd, QString* result)
{
    const QString item = cmd.values.value(QStringLiteral("item"));
    QString answer;
    if (item == QLatin1String("length")) {
        const double d = dev.engine->duration() >= 0 ? dev.engine->duration() : dev.lengthSeconds;
        answer = QString::number(d > 0 ? std::llround(d * 1000.0) : 0);
    } else if (item == QLatin1String("position")) {
        answer = QString::number(std::llround(qMax(0.0, dev.engine->position()) * 1000.0));
    } else if (item == QLatin1String("mode")) {
        const PlayState s = dev.engine->state();
        if (dev.stopped)
            answer = QStringLiteral("stopped");
        else if (s == PlayState::Paused)
            answer = QStringLiteral("paused");
        else if (s == PlayState::Playing || s == PlayState::Transitioning)
            answer = QStringLiteral("playing");
        else
            answer = QStringLiteral("stopped");
    } else if (item == QLatin1String("ready")) {
        answer = QStringLiteral("true");
    }
    if (result)
        *result = answer;
    return mci::Ok;
}

void MciDevice::closeDevice(const QString& key)
{
    auto it = m_devices.find(key);
    if (it == m_devices.end())
        return;
    MediaEngine* engine = it->engine;
    m_devices.erase(it);
    engine->disconnect(this);
    engine->close();
    // Later: the engine may be in the middle of reporting an event right now.
    engine->deleteLater();
}

} // namespace klang::media
