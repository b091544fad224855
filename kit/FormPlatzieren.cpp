#include "kit/FormPlatzieren.h"

#include <algorithm>
#include <limits>

#include <QApplication>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QWindow>
#include <QWidget>

namespace kit {

QPoint platzierung(const QSize& frm, const QRect& parent, const QRect& workArea,
                   const QString& position, int abstand)
{
    const int pl = parent.x();
    const int pt = parent.y();
    const int pw = parent.width();
    const int ph = parent.height();
    const int fw = frm.width();
    const int fh = frm.height();
    const QString pos = position.toLower();

    // Integer division truncates toward zero, as the halving must.
    int x = pl + (pw - fw) / 2;
    int y = pt + (ph - fh) / 2;
    if (pos == QLatin1String("right")) {
        x = pl + pw + abstand;
    } else if (pos == QLatin1String("left")) {
        x = pl - fw - abstand;
    } else if (pos == QLatin1String("below")) {
        y = pt + ph + abstand;
    } else if (pos == QLatin1String("above")) {
        y = pt - fh - abstand;
    }

    const int al = workArea.x();
    const int at = workArea.y();
    const int aw = workArea.width();
    const int ah = workArea.height();
    if (x < al)
        x = al;
    if (y < at)
        y = at;
    if (x + fw > al + aw)
        x = al + aw - fw;
    if (y + fh > at + ah)
        y = at + ah - fh;
    return QPoint(x, y);
}

void FormPlatzieren(QWidget* frm, QWidget* parent, const QString& position, int abstand)
{
    if (!frm)
        return;
    QScreen* schirm = nullptr;
    QRect eltern;
    if (parent) {
        QWidget* fenster = parent->window();
        schirm = fenster->screen();
        eltern = fenster->frameGeometry();
    }
    if (!schirm)
        schirm = QGuiApplication::primaryScreen();
    if (!schirm)
        return;
    const QRect bereich = schirm->availableGeometry();
    if (!parent)
        eltern = bereich;
    const QSize groesse = frm->frameGeometry().size();
    // move() places the frame's top-left corner and neither resizes nor activates.
    frm->move(platzierung(groesse, eltern, bereich, position, abstand));
}

QRect fensterLage(const QRect& fenster, const QSize& mindestens, const QList<QRect>& bildschirme)
{
    QRect r = fenster;
    if (mindestens.isValid())
        r.setSize(r.size().expandedTo(mindestens));
    if (bildschirme.isEmpty())
        return r;
    QRegion aussen(r);
    for (const QRect& s : bildschirme)
        aussen -= QRegion(s);
    if (aussen.isEmpty())
        return r; // wholly on the screens, also across two of them

    const QRect* ziel = nullptr;
    long long besteFlaeche = 0;
    for (const QRect& s : bildschirme) {
        const QRect schnitt = s.intersected(r);
        const long long flaeche = schnitt.isEmpty() ? 0 : (long long)schnitt.width() * schnitt.height();
        if (flaeche > besteFlaeche) {
            besteFlaeche = flaeche;
            ziel = &s;
        }
    }
    if (!ziel) {
        long long beste = std::numeric_limits<long long>::max();
        const long long cx = r.left() + (long long)r.width() / 2;
        const long long cy = r.top() + (long long)r.height() / 2;
        for (const QRect& s : bildschirme) {
            const long long dx = std::max({0LL, s.left() - cx, cx - s.right()});
            const long long dy = std::max({0LL, s.top() - cy, cy - s.bottom()});
            if (dx * dx + dy * dy < beste) {
                beste = dx * dx + dy * dy;
                ziel = &s;
            }
        }
    }
    r.setSize(r.size().boundedTo(ziel->size()));
    r.moveLeft(std::clamp(r.left(), ziel->left(), ziel->right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), ziel->top(), ziel->bottom() - r.height() + 1));
    return r;
}

QList<QRect> verfuegbareBildschirme()
{
    QList<QRect> bildschirme;
    for (const QScreen* s : QGuiApplication::screens())
        bildschirme << s->availableGeometry();
    return bildschirme;
}

QMargins fensterRahmen(const QWidget* fenster)
{
    if (!fenster || (fenster->windowFlags() & Qt::FramelessWindowHint))
        return {};
    const QWindow* w = fenster->windowHandle();
    const QMargins bekannt = w ? w->frameMargins() : QMargins();
    if (!bekannt.isNull())
        return bekannt;
    // Before the window manager has framed the window its frame is unknown: allow for a
    // caption and a thin border rather than let the caption slip off the screen.
    return QMargins(6, 32, 6, 6);
}

void gespeichertePlatzieren(QWidget* fenster, const QRect& gespeichert, const QSize& mindestens, bool groesseAendern)
{
    if (!fenster)
        return;
    const QMargins rahmen = fensterRahmen(fenster);
    // A window never resized takes its size hint when it is first shown.
    const QSize innen = groesseAendern                           ? gespeichert.size()
                        : fenster->testAttribute(Qt::WA_Resized) ? fenster->size()
                                                                 : fenster->sizeHint().expandedTo(fenster->minimumSize());
    const QRect aussen(gespeichert.topLeft(), innen.grownBy(rahmen));
    const QSize min = mindestens.isValid() ? mindestens.grownBy(rahmen) : QSize();
    const QRect lage = fensterLage(aussen, min, verfuegbareBildschirme());
    fenster->move(lage.topLeft());
    if (groesseAendern)
        fenster->resize(lage.size().shrunkBy(rahmen));
}

} // namespace kit
