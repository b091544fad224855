#include "kit/TestHook.h"

namespace kit::testhook {

namespace {

struct Zustand
{
    bool aktiv = false;
    QList<QString> antworten;
    QList<Call> aufrufe;
};

Zustand& zustand()
{
    static Zustand z;
    return z;
}

} // namespace

void enable() { zustand().aktiv = true; }
void disable() { zustand().aktiv = false; }
bool isEnabled() { return zustand().aktiv; }
void queueAnswer(const QString& answer) { zustand().antworten.append(answer); }
QList<Call> calls() { return zustand().aufrufe; }

void clear()
{
    zustand().antworten.clear();
    zustand().aufrufe.clear();
}

// Used by MsgFenn and InputFenn: records the call, hands out the next answer.
QString beantworten(const Call& call)
{
    zustand().aufrufe.append(call);
    return zustand().antworten.isEmpty() ? QString() : zustand().antworten.takeFirst();
}

} // namespace kit::testhook
