#pragma once

// The plain system message box this program uses (not the family's own box): Yes/No
// questions, information and the standard error report "<number> <text>". Tests record the
// boxes and answer them instead of showing them.

#include <QList>
#include <QString>

class QWidget;

namespace tv {

enum class Symbol { Kritisch, Frage, Ausruf, Information };
enum class Knoepfe { Ok, JaNein };
enum class Antwort { Ok, Ja, Nein, Keine };

Antwort MsgBox(QWidget* parent, const QString& text, Knoepfe knoepfe, Symbol symbol,
               const QString& titel);

// The standard error report: "<nummer> <text>" with the procedure's title.
void Fehlermeldung(QWidget* parent, const QString& titel, Symbol symbol, int nummer,
                   const QString& text);

namespace meldungstest {

struct Aufruf
{
    QString text;
    Knoepfe knoepfe = Knoepfe::Ok;
    Symbol symbol = Symbol::Information;
    QString titel;
};

// While on, boxes are recorded and answered from the queue (Ok, or Nein for questions,
// when it is empty) instead of being shown.
void einschalten();
void ausschalten();
void antwortVormerken(Antwort antwort);
QList<Aufruf> aufrufe();
void leeren();

} // namespace meldungstest

} // namespace tv
