#include "tv/Meldung.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QQueue>

namespace tv {

namespace {

bool g_abfangen = false;
QList<meldungstest::Aufruf> g_aufrufe;
QQueue<Antwort> g_antworten;

QMessageBox::Icon symbolVon(Symbol symbol)
{
    switch (symbol) {
    case Symbol::Kritisch: return QMessageBox::Critical;
    case Symbol::Frage: return QMessageBox::Question;
    case Symbol::Ausruf: return QMessageBox::Warning;
    case Symbol::Information: break;
    }
    return QMessageBox::Information;
}

} // namespace

Antwort MsgBox(QWidget* parent, const QString& text, Knoepfe knoepfe, Symbol symbol,
               const QString& titel)
{
    if (g_abfangen) {
        g_aufrufe.append({text, knoepfe, symbol, titel});
        if (!g_antworten.isEmpty())
            return g_antworten.dequeue();
        return knoepfe == Knoepfe::JaNein ? Antwort::Nein : Antwort::Ok;
    }
    QMessageBox box(symbolVon(symbol), titel, text, QMessageBox::NoButton, parent);
    if (knoepfe == Knoepfe::JaNein) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Nein"));
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return Antwort::Ja;
    case QMessageBox::No: return Antwort::Nein;
    case QMessageBox::Ok: return Antwort::Ok;
    default: break;
    }
    return Antwort::Keine;
}

void Fehlermeldung(QWidget* parent, const QString& titel, Symbol symbol, int nummer,
                   const QString& text)
{
    MsgBox(parent, QString::number(nummer) + QLatin1Char(' ') + text, Knoepfe::Ok, symbol, titel);
}

namespace meldungstest {

void einschalten() { g_abfangen = true; }
void ausschalten() { g_abfangen = false; leeren(); }
void antwortVormerken(Antwort antwort) { g_antworten.enqueue(antwort); }
QList<Aufruf> aufrufe() { return g_aufrufe; }
void leeren()
{
    g_aufrufe.clear();
    g_antworten.clear();
}

} // namespace meldungstest

} // namespace tv
