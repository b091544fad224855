#pragma once

// The step log: a rich-text pane written only by appending text in a chosen colour and
// weight. The commands' rules write through this interface; the window shows it in a
// QTextEdit, tests record it.

#include <QString>
#include <QtGlobal>

namespace dbmanager {

namespace farbe {
constexpr quint32 Schwarz = 0x000000;
constexpr quint32 Rot = 0x0000FF;  // &HFF (colours are &H00BBGGRR)
constexpr quint32 Blau = 0xFF0000; // &HFF0000
} // namespace farbe

class Protokoll
{
public:
    virtual ~Protokoll() = default;
    virtual void leeren() = 0;
    // Appends text ("\n" ends a line) in the colour (&H00BBGGRR) and weight given.
    virtual void schreiben(const QString& text, quint32 farbe, bool fett) = 0;
};

} // namespace dbmanager
