#include "dbmanager/TextProtokoll.h"

#include "platform/vbcompat/VbCompat.h"

#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

namespace dbmanager {

TextProtokoll::TextProtokoll(QTextEdit* feld)
    : m_feld(feld)
{
}

void TextProtokoll::leeren()
{
    m_feld->clear();
}

void TextProtokoll::schreiben(const QString& text, quint32 farbe, bool fett)
{
    QTextCursor cursor(m_feld->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(klang::vb::colorFromBgr(farbe));
    format.setFontWeight(fett ? QFont::Bold : QFont::Normal);
    cursor.insertText(text, format);
    m_feld->verticalScrollBar()->setValue(m_feld->verticalScrollBar()->maximum());
}

} // namespace dbmanager
