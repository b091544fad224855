#pragma once

// The family's message box and input box.

#include <QString>
#include <QtGlobal>

class QWidget;

namespace kit {

// Colour argument meaning "the default colour" (&HF4EAE3 back, &H352300 fore).
constexpr qint64 DefaultColor = -1;
constexpr quint32 ErrorBackColor = 0xC0C0FF;   // &HC0C0FF light red
constexpr quint32 WarningBackColor = 0xC0E0FF; // &HC0E0FF light orange
constexpr quint32 DialogBackColor = 0xF4EAE3;
constexpr quint32 DialogForeColor = 0x352300;

// The result of the last message box of this program. MsgFenn clears it when a box opens
// and stores the result in it when the box closes.
extern QString MsgAntwort;

// Shows a new message box (one dialog per call), placed "center" over parent with gap 10
// (or at the program's own placement, see setMsgFennPlacement). style = button set * 10 +
// icon; defaultButton 0..6, 7 = none; timeOut < 2 = modal without count down; colours as
// &H00BBGGRR or DefaultColor. Returns "Ok", "Ja", "Nein", "Exit", "Ignorieren",
// "Wiederholen", "Beenden", or "" after a time-out, the close box or Esc.
QString MsgFenn(QWidget* parent, const QString& prompt, int style, int defaultButton,
                const QString& title, int timeOut = 1,
                qint64 backColor = DefaultColor, qint64 foreColor = DefaultColor);

// The standard error report of a procedure: "<number> <text>", style 4, title
// "<Form>_<Procedure>", background &HC0C0FF.
void Fehlermeldung(QWidget* parent, const QString& title, const QString& errorText,
                   int errorNumber = 0);

// Shows the input box; returns the entered text trimmed, "" on Exit, Esc or the close box.
QString InputFenn(QWidget* parent, const QString& prompt, const QString& title,
                  const QString& defaultText = QString(),
                  qint64 backColor = DefaultColor, qint64 foreColor = DefaultColor);

// A program that places its boxes at a fixed point of the screen instead of over a window
// sets it here (in twips from the top-left corner of the primary screen); an invalid point
// (the default) means "center over the parent".
void setMsgFennPlacement(int leftTwips, int topTwips);
void resetMsgFennPlacement();

} // namespace kit
