#pragma once

// The main window's layout arithmetic works in twips, as its design does.

#include "platform/vbcompat/VbCompat.h"

#include <QRect>
#include <QString>
#include <QWidget>

namespace klang::player {

inline QRect tw(int left, int top, int width, int height)
{
    using klang::vb::twipsToPixels;
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

// A child control with its objectName at a place given in pixels.
template<typename W>
W* erzeugen(QWidget* parent, const QString& name, const QRect& r)
{
    auto* w = new W(parent);
    w->setObjectName(name);
    w->setGeometry(r);
    return w;
}

} // namespace klang::player
