#include "platform/background/Hintergrund.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMutex>
#include <QThread>
#include <QTimer>

#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace klang {

namespace {

// How long a wait blocks before the window's events are handled meanwhile, and how long it
// lasts before the display shows it.
constexpr int kKurzMs = 15;
constexpr int kAnzeigeMs = 100;

int g_tiefe = 0; // waits running on the window's thread

HintergrundAnzeige& anzeige()
{
    static HintergrundAnzeige a;
    return a;
}

// The text the work last reported and the wait it belongs to.
QMutex g_meldungSperre;
QObject* g_meldungsZiel = nullptr;

// Holds back the user's input to every window while a wait runs; Esc cancels.
class Eingabesperre : public QObject
{
public:
    Eingabesperre(std::atomic_bool* abbrechen, bool abbrechbar) : m_abbrechen(abbrechen), m_abbrechbar(abbrechbar) {}

protected:
    bool eventFilter(QObject* ziel, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::KeyPress:
            if (m_abbrechbar && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
                *m_abbrechen = true;
            return true;
        case QEvent::Close:
            // A window the user closes now would take the work's caller with it: it stays open.
            // The program's own closing (a box that closes itself) goes on.
            if (!e->spontaneous())
                return QObject::eventFilter(ziel, e);
            e->ignore();
            return true;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::InputMethod:
            return true;
        default:
            return QObject::eventFilter(ziel, e);
        }
    }

private:
    std::atomic_bool* m_abbrechen;
    bool m_abbrechbar;
};

// Receives the work's reports on the window's thread.
class Meldungen : public QObject
{
public:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        QString text;
        {
            QMutexLocker lock(&g_meldungSperre);
            text = m_text;
        }
        if (m_sichtbar && anzeige())
            anzeige()(true, text);
        return true;
    }
    QString m_text;
    bool m_sichtbar = false;
};

} // namespace

bool hintergrundMoeglich()
{
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread() && g_tiefe == 0;
}

void setHintergrundAnzeige(HintergrundAnzeige a)
{
    anzeige() = std::move(a);
}

void hintergrundMelden(const QString& text)
{
    QMutexLocker lock(&g_meldungSperre);
    auto* ziel = static_cast<Meldungen*>(g_meldungsZiel);
    if (!ziel)
        return;
    ziel->m_text = text;
    QCoreApplication::postEvent(ziel, new QEvent(QEvent::User));
}

bool imHintergrund(const std::function<void(const std::atomic_bool& abbrechen)>& arbeit, const Hintergrund& wie)
{
    std::atomic_bool abbrechen{false};
    if (!hintergrundMoeglich()) {
        arbeit(abbrechen);
        return true;
    }
    ++g_tiefe;
    std::unique_ptr<QThread> faden(QThread::create([&] {
        hinterDemFenster();
        arbeit(abbrechen);
    }));
    faden->start();
    if (!faden->wait(QDeadlineTimer(wie.lang ? 0 : kKurzMs))) {
        Meldungen meldungen;
        meldungen.m_text = wie.text;
        {
            QMutexLocker lock(&g_meldungSperre);
            g_meldungsZiel = &meldungen;
        }
        Eingabesperre sperre(&abbrechen, wie.abbrechbar);
        QCoreApplication::instance()->installEventFilter(&sperre);
        QEventLoop schleife;
        QObject::connect(faden.get(), &QThread::finished, &schleife, &QEventLoop::quit, Qt::QueuedConnection);
        QTimer anzeigen;
        anzeigen.setSingleShot(true);
        QObject::connect(&anzeigen, &QTimer::timeout, &meldungen, [&] {
            meldungen.m_sichtbar = true;
            QString text;
            {
                QMutexLocker lock(&g_meldungSperre);
                text = meldungen.m_text;
            }
            if (anzeige())
                anzeige()(true, text);
        });
        anzeigen.start(kAnzeigeMs);
        if (!faden->isFinished())
            schleife.exec();
        faden->wait();
        QCoreApplication::instance()->removeEventFilter(&sperre);
        {
            QMutexLocker lock(&g_meldungSperre);
            g_meldungsZiel = nullptr;
        }
        if (meldungen.m_sichtbar && anzeige())
            anzeige()(false, QString());
    }
    --g_tiefe;
    return !abbrechen;
}

void hinterDemFenster()
{
    thread_local bool zurueckgestellt = false;
    if (zurueckgestellt)
        return;
    // The window's thread itself may take part in parted work it waits for (a small view is
    // loaded in place): it never stands back.
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return;
    zurueckgestellt = true;
    // On Linux a nice value belongs to the thread. Raising it needs no rights; it cannot be
    // lowered again, so only threads that do nothing else are asked to.
    setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 3);
}

} // namespace klang
