#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

class QWidget;

namespace klang::test {

// Takes the file addresses the program hands to the desktop, so no browser starts.
class UrlFaenger : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void oeffnen(const QUrl& url) { urls << url; }
};

// F1 in the shown window: the file name of the one help page it opens ("" for none or more).
QString hilfeMitF1(QWidget* fenster);

} // namespace klang::test
