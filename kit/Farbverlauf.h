#pragma once

#include <QColor>
#include <QtGlobal>

class QPainter;
class QWidget;

namespace kit {

// A colour argument: &H00BBGGRR, or a system colour &H80000000 | index (mapped to the
// palette: &H8000000F button face, &H80000005 window, ...).
QColor farbeAusWert(qint64 wert);

// FarbanteilWort(v): v - 65536 when v >= 32768.
int FarbanteilWort(int v);

// Paints the two-colour gradient over the whole client area of obj. modus 1 = top to
// bottom, 0 = left to right. Call from obj's paintEvent. A zero-size widget paints nothing.
void FarbverlaufZeichnen(QWidget* obj, qint64 farbe1, qint64 farbe2, int modus);
// Same onto any painter over the given widget's rectangle.
void FarbverlaufZeichnen(QPainter& painter, QWidget* obj, qint64 farbe1, qint64 farbe2, int modus);

} // namespace kit
