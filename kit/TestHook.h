#pragma once

// Lets tests answer message and input boxes without showing them. Compiled into the kit,
// never enabled by the programs.

#include <QList>
#include <QString>

namespace kit::testhook {

struct Call
{
    QString kind;        // "MsgFenn" or "InputFenn"
    QString prompt;
    int style = 0;       // MsgFenn only
    int defaultButton = 0;
    QString title;
    QString defaultText; // InputFenn only
    qint64 backColor = -1;
    qint64 foreColor = -1;
    int timeOut = 1;     // MsgFenn only
};

// While enabled, MsgFenn and InputFenn show nothing: they record the call and return the
// next queued answer ("" when the queue is empty).
void enable();
void disable();
bool isEnabled();
void queueAnswer(const QString& answer);
QList<Call> calls();
void clear(); // forgets calls and queued answers

} // namespace kit::testhook

namespace kit::testhook {
// For the kit's boxes: records a call and returns the next queued answer.
QString beantworten(const Call& call);
} // namespace kit::testhook
