#include "kit/FormPlatzieren.h"

#include <algorithm>
#include <limits>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
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
    const QRect* ziel = nullptr;
    for (const QRect& s : bildschirme) {
        if (s.intersects(r)) {
            ziel = &s;
            break;
        }
    }
    const bool sichtbar = ziel != nullptr;
    if (!ziel) {
        long long beste = std::numeric_limits<long long>::max();
        for (const QRect& s : bildschirme) {
            const long long dx = std::max({0, s.left() - r.center().x(), r.center().x() - s.right()});
            const long long dy = std::max({0, s.top() - r.center().y(), r.center().y() - s.bottom()});
            if (dx * dx + dy * dy < beste) {
                beste = dx * dx + dy * dy;
                ziel = &s;
            }
        }
    }
    if (!sichtbar) {
        r.setSize(r.size().boundedTo(ziel->size()));
        r.moveLeft(std::clamp(r.left(), ziel->left(), ziel->right() - r.width() + 1));
        r.moveTop(std::clamp(r.top(), ziel->top(), ziel->bottom() - r.height() + 1));
    }
    return r;
}

} // namespace kit
