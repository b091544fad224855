#include "platform/media/MediaPlayerControl.h"

#include "platform/media/MpvEngine.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <cmath>

namespace klang::media {

namespace {

QString clockText(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return QString();
    const qint64 total = std::llround(seconds);
    const qint64 h = total / 3600;
    const qint64 m = (total / 60) % 60;
    const qint64 s = total % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
}

QString fromTag(const TagLib::String& s)
{
    return QString::fromUtf8(s.toCString(true)).trimmed();
}

QString localPathOf(const QString& source)
{
    if (source.contains(QLatin1String("://"))) {
        const QUrl url(source);
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }
    return source;
}

} // namespace

// ---------------------------------------------------------------------------------------
// MediaInfo

QString MediaInfo::durationString() const
{
    return m_duration > 0 ? clockText(m_duration) : QString();
}

QString MediaInfo::getAttributeName(int index) const
{
    if (index < 0 || index >= m_attributes.size())
        return QString();
    return m_attributes.at(index).first;
}

QString MediaInfo::getItemInfo(const QString& attributeName) const
{
    for (const auto& a : m_attributes) {
        if (a.first.compare(attributeName, Qt::CaseInsensitive) == 0)
            return a.second;
    }
    return QString();
}

MediaInfo MediaInfo::fromSource(const QString& source)
{
    MediaInfo info;
    info.m_source = source;
    if (source.isEmpty())
        return info;

    QString title, author, album, genre, year, track, comment, bitrate, fileSize, fileType;
    QString sampleRate, channels;
    const QString local = localPathOf(source);
    if (!local.isEmpty()) {
        const QFileInfo fi(local);
        info.m_name = fi.completeBaseName();
        fileType = fi.suffix().toLower();
        if (fi.isFile()) {
            fileSize = QString::number(fi.size());
            const QByteArray name = QFile::encodeName(fi.absoluteFilePath());
            TagLib::FileRef ref(name.constData(), true, TagLib::AudioProperties::Average);
            if (!ref.isNull() && ref.tag()) {
                const TagLib::Tag* tag = ref.tag();
                title = fromTag(tag->title());
                author = fromTag(tag->artist());
                album = fromTag(tag->album());
                genre = fromTag(tag->genre());
                comment = fromTag(tag->comment());
                if (tag->year() > 0)
                    year = QString::number(tag->year());
                if (tag->track() > 0)
                    track = QString::number(tag->track());
            }
            if (!ref.isNull() && ref.audioProperties()) {
                const auto* props = ref.audioProperties();
                if (props->lengthInMilliseconds() > 0)
                    info.m_duration = props->lengthInMilliseconds() / 1000.0;
                if (props->bitrate() > 0)
                    bitrate = QString::number(props->bitrate() * 1000);
                if (props->sampleRate() > 0)
                    sampleRate = QString::number(props->sampleRate());
                if (props->channels() > 0)
                    channels = QString::number(props->channels());
            }
        }
    } else {
        const QUrl url(source);
        info.m_name = url.fileName().isEmpty() ? url.host() : url.fileName();
    }
    if (!title.isEmpty())
        info.m_name = title;

    info.m_attributes = {
        {QStringLiteral("Title"), title.isEmpty() ? info.m_name : title},
        {QStringLiteral("Author"), author},
        {QStringLiteral("WM/AlbumTitle"), album},
        {QStringLiteral("WM/Genre"), genre},
        {QStringLiteral("WM/Year"), year},
        {QStringLiteral("WM/TrackNumber"), track},
        {QStringLiteral("Description"), comment},
        {QStringLiteral("Duration"), info.m_duration > 0 ? QString::number(info.m_duration, 'f', 3) : QString()},
        {QStringLiteral("Bitrate"), bitrate},
        {QStringLiteral("FileSize"), fileSize},
        {QStringLiteral("FileType"), fileType},
        {QStringLiteral("SampleRate"), sampleRate},
        {QStringLiteral("Channels"), channels},
        {QStringLiteral("SourceURL"), source},
    };
    return info;
}

// ---------------------------------------------------------------------------------------
// MediaPlayerControls

void MediaPlayerControls::play() { m_player->engine()->play(); }
void MediaPlayerControls::pause() { m_player->engine()->pause(); }
void MediaPlayerControls::stop() { m_player->engine()->stop(); }
double MediaPlayerControls::currentPosition() const { return m_player->engine()->position(); }
void MediaPlayerControls::setCurrentPosition(double seconds) { m_player->engine()->setPosition(seconds); }
QString MediaPlayerControls::currentPositionString() const { return clockText(currentPosition()); }

// ---------------------------------------------------------------------------------------
// MediaPlayerControl

MediaPlayerControl::MediaPlayerControl(QWidget* parent)
    : MediaPlayerControl(new MpvEngine, parent)
{
}

MediaPlayerControl::MediaPlayerControl(MediaEngine* engine, QWidget* parent)
    : QWidget(parent)
    , m_engine(engine)
{
    m_engine->setParent(this);
    setUp();
}

MediaPlayerControl::~MediaPlayerControl()
{
    // The engine goes first, so that nothing draws into a surface that is gone; the
    // surface may be a window of its own while in full screen.
    m_video->removeEventFilter(this);
    delete m_engine;
    m_engine = nullptr;
    if (m_video->parent() != this)
        delete m_video;
}

void MediaPlayerControl::setUp()
{
    setMinimumSize(32, 32);
    m_video = new QWidget(this);
    m_video->setObjectName(QStringLiteral("videoSurface"));
    m_video->setAutoFillBackground(true);
    QPalette pal = m_video->palette();
    pal.setColor(QPalette::Window, Qt::black);
    m_video->setPalette(pal);
    m_video->setFocusPolicy(Qt::StrongFocus);
    m_video->installEventFilter(this);
    if (!nullOutputRequested()) {
        // mpv draws into this widget's own native window.
        m_video->setAttribute(Qt::WA_DontCreateNativeAncestors);
        m_video->setAttribute(Qt::WA_NativeWindow);
        m_engine->setVideoWidget(m_video);
    }

    m_bar = new QWidget(this);
    m_bar->setObjectName(QStringLiteral("controlBar"));
    auto* barLayout = new QHBoxLayout(m_bar);
    barLayout->setContentsMargins(2, 2, 2, 2);
    m_playButton = new QToolButton(m_bar);
    m_playButton->setObjectName(QStringLiteral("playPauseButton"));
    m_stopButton = new QToolButton(m_bar);
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    // The style looks its media icons up in the desktop's icon theme, which the first time
    // reads the theme's files (a fifth of building the player's window): that waits until
    // the window has shown.
    QTimer::singleShot(0, this, [this] {
        m_iconsReady = true;
        m_stopButton->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
        updateBar();
    });
    m_slider = new QSlider(Qt::Horizontal, m_bar);
    m_slider->setObjectName(QStringLiteral("positionSlider"));
    m_slider->setRange(0, 0);
    m_time = new QLabel(m_bar);
    m_time->setObjectName(QStringLiteral("timeLabel"));
    barLayout->addWidget(m_playButton);
    barLayout->addWidget(m_stopButton);
    barLayout->addWidget(m_slider, 1);
    barLayout->addWidget(m_time);
    m_volumeSlider = new QSlider(Qt::Horizontal, m_bar);
    m_volumeSlider->setObjectName(QStringLiteral("volumeSlider"));
    m_volumeSlider->setRange(0, 100);
    m_volumeSlider->setToolTip(QStringLiteral("Lautstärke"));
    m_volumeSlider->setMaximumWidth(100);
    barLayout->addWidget(m_volumeSlider);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_video, 1);
    layout->addWidget(m_bar);

    m_barTimer = new QTimer(this);
    m_barTimer->setInterval(500);
    connect(m_barTimer, &QTimer::timeout, this, &MediaPlayerControl::updateBar);

    connect(m_playButton, &QToolButton::clicked, this, [this] {
        if (m_engine->state() == PlayState::Playing)
            m_engine->pause();
        else
            m_engine->play();
    });
    connect(m_stopButton, &QToolButton::clicked, this, [this] { m_engine->stop(); });
    connect(m_slider, &QSlider::sliderPressed, this, [this] { m_sliderHeld = true; });
    connect(m_slider, &QSlider::sliderReleased, this, [this] {
        m_sliderHeld = false;
        m_engine->setPosition(m_slider->value() / 10.0);
    });

    connect(m_volumeSlider, &QSlider::valueChanged, this, [this](int v) { m_engine->setVolume(v); });
    connect(m_engine, &MediaEngine::stateChanged, this, &MediaPlayerControl::onStateChanged);
    connect(m_engine, &MediaEngine::errorOccurred, this, [this](const QString& text) {
        if (!m_rebinding)
            Q_EMIT MediaError(text);
    });
    applyUiMode();
    updateBar();
}

void MediaPlayerControl::setURL(const QString& url)
{
    if (url.isEmpty()) {
        close();
        return;
    }
    m_url = url;
    m_media = MediaInfo::fromSource(url);
    if (!m_engine->open(url, !m_autoStart))
        Q_EMIT MediaError(m_engine->errorText());
    updateBar();
}

void MediaPlayerControl::close()
{
    // Stopping first lets full screen end without moving a medium that is going anyway.
    m_engine->close();
    setFullScreen(false);
    m_url.clear();
    m_media = MediaInfo();
    updateBar();
}

MediaInfo MediaPlayerControl::currentMedia() const
{
    // The engine may have been given its medium directly (the player's rules do): describe
    // what it holds, not what the URL last said.
    if (m_media.sourceURL() != m_engine->source())
        m_media = MediaInfo::fromSource(m_engine->source());
    MediaInfo info = m_media;
    // The engine's word fills what the tags left empty.
    for (const auto& a : m_engine->streamInfo()) {
        auto gleich = std::find_if(info.m_attributes.begin(), info.m_attributes.end(),
                                   [&a](const auto& b) { return b.first == a.first; });
        if (gleich == info.m_attributes.end())
            info.m_attributes.append(a);
        else if (gleich->second.isEmpty())
            gleich->second = a.second;
    }
    const double d = m_engine->duration();
    if (d > 0) {
        info.m_duration = d;
        for (auto& a : info.m_attributes) {
            if (a.first == QLatin1String("Duration"))
                a.second = QString::number(d, 'f', 3);
        }
    }
    return info;
}

void MediaPlayerControl::onStateChanged(PlayState state)
{
    if (m_rebinding) {
        // The picture moved to another surface: the medium goes on, no change to report.
        if (state == PlayState::Transitioning)
            return;
        m_rebinding = false;
        if (state == PlayState::Playing || state == PlayState::Paused)
            return;
    }
    if (state == PlayState::Playing || state == PlayState::Paused)
        m_barTimer->start();
    else
        m_barTimer->stop();
    if (state != PlayState::Playing && state != PlayState::Paused
        && state != PlayState::Transitioning && m_fullScreen)
        setFullScreen(false);
    updateBar();
    Q_EMIT PlayStateChange(int(state));
}

void MediaPlayerControl::setFullScreen(bool on)
{
    const PlayState s = m_engine->state();
    if (on && s != PlayState::Playing && s != PlayState::Paused)
        return; // nothing to show
    if (on == m_fullScreen)
        return;
    m_fullScreen = on;
    moveVideo(on);
}

void MediaPlayerControl::moveVideo(bool toFullScreen)
{
    const WId before = m_video->internalWinId();
    // Taken before the move: the engine lets go of a surface whose window is replaced, and
    // reports stopped from then on.
    const PlayState s = m_engine->state();
    const double at = m_engine->position();
    if (toFullScreen) {
        m_video->setParent(nullptr, Qt::Window);
        m_video->setWindowTitle(m_media.name());
        m_video->showFullScreen();
        m_video->activateWindow();
        m_video->setFocus();
    } else {
        m_video->setWindowState(Qt::WindowNoState);
        m_video->setParent(this, Qt::Widget);
        static_cast<QVBoxLayout*>(layout())->insertWidget(0, m_video, 1);
        applyUiMode();
    }
    const bool goingOn = s == PlayState::Playing || s == PlayState::Paused || s == PlayState::Transitioning;
    if (nullOutputRequested() || m_engine->source().isEmpty() || !goingOn)
        return;
    if (m_video->winId() != before) {
        // The picture's window changed: reopen the medium on it where it stood.
        const bool paused = s == PlayState::Paused;
        m_rebinding = true;
        m_engine->setVideoWidget(nullptr);
        m_engine->setVideoWidget(m_video);
        m_engine->open(m_engine->source(), paused);
        m_engine->setPosition(at);
    }
}

void MediaPlayerControl::setUiMode(const QString& mode)
{
    m_uiMode = mode.toLower();
    applyUiMode();
}

void MediaPlayerControl::applyUiMode()
{
    const bool invisible = m_uiMode == QLatin1String("invisible");
    const bool bar = m_uiMode == QLatin1String("full") || m_uiMode == QLatin1String("mini");
    m_bar->setVisible(bar && !invisible);
    if (!m_fullScreen)
        m_video->setVisible(!invisible);
}

void MediaPlayerControl::setStretchToFit(bool on)
{
    m_stretchToFit = on;
    m_engine->setStretchToFit(on);
}

void MediaPlayerControl::updateBar()
{
    const PlayState s = m_engine->state();
    if (m_iconsReady)
        m_playButton->setIcon(style()->standardIcon(s == PlayState::Playing ? QStyle::SP_MediaPause
                                                                            : QStyle::SP_MediaPlay));
    const double d = m_engine->duration();
    const double p = m_engine->position();
    m_slider->setRange(0, d > 0 ? int(d * 10) : 0);
    if (!m_sliderHeld)
        m_slider->setValue(int(p * 10));
    if (m_volumeSlider->value() != m_engine->volume()) {
        const QSignalBlocker still(m_volumeSlider);
        m_volumeSlider->setValue(m_engine->volume());
    }
    m_time->setText(d > 0 ? clockText(p) + QStringLiteral(" / ") + clockText(d) : QString());
}

bool MediaPlayerControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_video) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(event);
            int button = 0;
            switch (me->button()) {
            case Qt::LeftButton: button = 1; break;
            case Qt::RightButton: button = 2; break;
            case Qt::MiddleButton: button = 4; break;
            default: break;
            }
            int shift = 0;
            if (me->modifiers() & Qt::ShiftModifier) shift |= 1;
            if (me->modifiers() & Qt::ControlModifier) shift |= 2;
            if (me->modifiers() & Qt::AltModifier) shift |= 4;
            Q_EMIT MouseUp(button, shift, me->position().x(), me->position().y());
            break;
        }
        case QEvent::MouseButtonDblClick:
            if (m_fullScreen)
                setFullScreen(false);
            break;
        case QEvent::KeyPress:
            if (m_fullScreen && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                setFullScreen(false);
                return true;
            }
            break;
        case QEvent::Close:
            // Closing the full-screen window returns the picture to the control.
            if (m_fullScreen) {
                setFullScreen(false);
                event->ignore();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace klang::media
