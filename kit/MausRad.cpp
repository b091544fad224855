#include "kit/MausRad.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>
#include <QTextEdit>
#include <QWheelEvent>

#include <vector>

namespace kit {

namespace {

// At most 49 controls of one window are hooked.
constexpr int MaxHaken = 49;
constexpr int TextSchritt = 50;

enum class Art { Schieber, Liste, Raster, Text };

struct Haken
{
    QPointer<QWidget> steuer;    // the control
    QPointer<QWidget> empfaenger; // where its wheel events arrive (a scroll area's viewport)
    Art art;
};

// True when w is a part of another control (the scroll bar of a list, the line edit of a
// combo box): such parts are not controls of their own.
bool istTeil(QWidget* w, QWidget* fenster)
{
    for (QWidget* p = w->parentWidget(); p && p != fenster; p = p->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(p) || qobject_cast<QComboBox*>(p)
            || qobject_cast<QAbstractSlider*>(p))
            return true;
    }
    return false;
}

bool art(QWidget* w, Art* ergebnis)
{
    if (qobject_cast<QAbstractSlider*>(w))
        *ergebnis = Art::Schieber;
    else if (qobject_cast<QComboBox*>(w) || qobject_cast<QListView*>(w))
        *ergebnis = Art::Liste;
    else if (qobject_cast<QTableView*>(w))
        *ergebnis = Art::Raster;
    else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w)
             || qobject_cast<QPlainTextEdit*>(w))
        *ergebnis = Art::Text;
    else
        return false;
    return true;
}

// The first row shown at the top of a list or grid, and the number of rows.
int obersteZeile(QAbstractItemView* view)
{
    if (auto* tabelle = qobject_cast<QTableView*>(view))
        return qMax(tabelle->rowAt(0), 0);
    const QModelIndex index = view->indexAt(QPoint(1, 1));
    return index.isValid() ? index.row() : 0;
}

void zeileNachOben(QAbstractItemView* view, int zeile)
{
    QAbstractItemModel* modell = view->model();
    if (!modell)
        return;
    int spalte = 0;
    if (auto* tabelle = qobject_cast<QTableView*>(view))
        spalte = qMax(tabelle->columnAt(0), 0);
    view->scrollTo(modell->index(zeile, spalte, view->rootIndex()),
                   QAbstractItemView::PositionAtTop);
}

void listenSchritt(QAbstractItemView* view, bool zurueck)
{
    if (!view || !view->model())
        return;
    const int oben = obersteZeile(view);
    const int anzahl = view->model()->rowCount(view->rootIndex());
    if (zurueck) {
        if (oben > 0)
            zeileNachOben(view, oben - 1);
    } else if (oben < anzahl - 1) {
        zeileNachOben(view, oben + 1);
    }
}

int neueTextPosition(int position, int laenge, bool zurueck)
{
    if (zurueck)
        return position > TextSchritt ? position - TextSchritt : position;
    return position < laenge - TextSchritt ? position + TextSchritt : position;
}

void schritt(const Haken& h, bool zurueck)
{
    QWidget* w = h.steuer;
    if (!w)
        return;
    switch (h.art) {
    case Art::Schieber: {
        auto* s = static_cast<QAbstractSlider*>(w);
        if (zurueck && s->value() > s->minimum())
            s->setValue(s->value() - 1);
        else if (!zurueck && s->value() < s->maximum())
            s->setValue(s->value() + 1);
        break;
    }
    case Art::Liste:
        if (auto* combo = qobject_cast<QComboBox*>(w))
            listenSchritt(combo->view(), zurueck);
        else
            listenSchritt(static_cast<QAbstractItemView*>(w), zurueck);
        break;
    case Art::Raster:
        listenSchritt(static_cast<QAbstractItemView*>(w), zurueck);
        break;
    case Art::Text:
        if (auto* zeile = qobject_cast<QLineEdit*>(w)) {
            zeile->setCursorPosition(
                neueTextPosition(zeile->cursorPosition(), int(zeile->text().size()), zurueck));
        } else if (auto* text = qobject_cast<QTextEdit*>(w)) {
            QTextCursor c = text->textCursor();
            const int laenge = int(text->toPlainText().size());
            c.setPosition(neueTextPosition(c.position(), laenge, zurueck));
            text->setTextCursor(c);
            text->ensureCursorVisible();
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
            QTextCursor c = text->textCursor();
            const int laenge = int(text->toPlainText().size());
            c.setPosition(neueTextPosition(c.position(), laenge, zurueck));
            text->setTextCursor(c);
            text->ensureCursorVisible();
        }
        break;
    }
}

class Radfilter : public QObject
{
public:
    bool eventFilter(QObject* ziel, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        for (const Haken& h : m_haken) {
            if (h.steuer && (ziel == h.steuer.data() || ziel == h.empfaenger.data())) {
                const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
                if (delta == 0)
                    return false; // a sideways wheel is not ours
                // Turned away from the user: back; towards the user: forward. One event is
                // one step whatever the delta; the control's own scrolling is swallowed.
                schritt(h, delta > 0);
                event->accept();
                return true;
            }
        }
        return false;
    }

    std::vector<Haken> m_haken;
    QPointer<QWidget> m_fenster;
};

Radfilter& filter()
{
    static Radfilter* f = new Radfilter; // lives as long as the program
    return *f;
}

class Automatik : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* ziel, QEvent* event) override
    {
        auto* fenster = static_cast<QWidget*>(ziel);
        switch (event->type()) {
        case QEvent::WindowActivate: MausradEinhaengen(fenster); break;
        case QEvent::WindowDeactivate:
        case QEvent::Close:
        case QEvent::Hide: MausradAushaengen(fenster); break;
        default: break;
        }
        return false;
    }
};

} // namespace

void MausradEinhaengen(QWidget* window)
{
    if (!window)
        return;
    MausradAushaengen(nullptr);
    Radfilter& f = filter();
    f.m_fenster = window;
    const QList<QWidget*> kinder = window->findChildren<QWidget*>();
    for (QWidget* w : kinder) {
        Art a;
        if (w->window() != window || !art(w, &a) || istTeil(w, window))
            continue;
        if (int(f.m_haken.size()) >= MaxHaken)
            break;
        Haken h{w, w, a};
        if (auto* flaeche = qobject_cast<QAbstractScrollArea*>(w))
            h.empfaenger = flaeche->viewport();
        w->installEventFilter(&f);
        if (h.empfaenger != h.steuer)
            h.empfaenger->installEventFilter(&f);
        f.m_haken.push_back(h);
    }
}

void MausradAushaengen(QWidget* window)
{
    Radfilter& f = filter();
    // A window that is not the hooked one has nothing to release (a late deactivation of
    // an older window must not take the hooks of the newly activated one).
    if (window && f.m_fenster && f.m_fenster != window)
        return;
    for (const Haken& h : f.m_haken) {
        if (h.steuer)
            h.steuer->removeEventFilter(&f);
        if (h.empfaenger)
            h.empfaenger->removeEventFilter(&f);
    }
    f.m_haken.clear();
    f.m_fenster = nullptr;
}

bool MausradEingehaengt(QWidget* window)
{
    const Radfilter& f = filter();
    return window && f.m_fenster == window && !f.m_haken.empty();
}

QList<QWidget*> MausradSteuerelemente()
{
    QList<QWidget*> liste;
    for (const Haken& h : filter().m_haken) {
        if (h.steuer)
            liste.append(h.steuer);
    }
    return liste;
}

void MausradAutomatisch(QWidget* window)
{
    if (window)
        window->installEventFilter(new Automatik(window));
}

} // namespace kit
