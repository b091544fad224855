#pragma once

// The step log in the window's rich-text pane: every text is appended at the end with its
// own colour and weight.

#include "dbmanager/Protokoll.h"

class QTextEdit;

namespace dbmanager {

class TextProtokoll : public Protokoll
{
public:
    explicit TextProtokoll(QTextEdit* feld);
    void leeren() override;
    void schreiben(const QString& text, quint32 farbe, bool fett) override;

private:
    QTextEdit* m_feld;
};

} // namespace dbmanager
