#include "dbmanager/MpvAnimation.h"

#include "platform/media/MediaEngine.h"
#include "platform/media/MpvEngine.h"

#include <QFileInfo>
#include <QWidget>

namespace dbmanager {

MpvAnimation::MpvAnimation(std::unique_ptr<klang::media::MediaEngine> engine)
    : m_engine(std::move(engine))
    , m_widget(new QWidget)
{
    m_widget->setAttribute(Qt::WA_NativeWindow);
    if (!m_engine)
        m_engine = std::make_unique<klang::media::MpvEngine>();
    m_engine->setVideoWidget(m_widget);
    m_engine->setStretchToFit(true);
    m_engine->setMuted(true);
    // The animation runs in a loop until the command ends.
    QObject::connect(m_engine.get(), &klang::media::MediaEngine::endOfFile, m_engine.get(),
                     [this](klang::media::EndReason grund) {
                         if (m_laeuft && grund == klang::media::EndReason::Finished)
                             m_engine->play();
                     });
}

MpvAnimation::~MpvAnimation()
{
    m_laeuft = false;
    m_engine->close();
    m_engine.reset();
    // The widget belongs to the window once placed there; delete it only if it was not.
    if (m_widget && !m_widget->parent())
        delete m_widget;
}

bool MpvAnimation::laden(const QString& datei)
{
    m_datei = QFileInfo(datei).isFile() ? datei : QString();
    return !m_datei.isEmpty();
}

void MpvAnimation::abspielen()
{
    if (m_datei.isEmpty())
        return;
    m_laeuft = true;
    if (!m_engine->open(m_datei))
        m_laeuft = false;
}

void MpvAnimation::anhalten()
{
    m_laeuft = false;
    m_engine->close();
}

QWidget* MpvAnimation::widget()
{
    return m_widget;
}

} // namespace dbmanager
