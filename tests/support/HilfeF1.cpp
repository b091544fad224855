#include "tests/support/HilfeF1.h"

#include "kit/TestHook.h"

#include <QDesktopServices>
#include <QTest>
#include <QWidget>

namespace klang::test {

QString hilfeMitF1(QWidget* fenster)
{
    UrlFaenger faenger;
    const QByteArray browser = qgetenv("BROWSER");
    qputenv("BROWSER", "testbrowser");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &faenger, "oeffnen");
    kit::testhook::enable(); // a page that is not found is said in a box that must not wait
    fenster->show();
    fenster->activateWindow();
    if (QTest::qWaitForWindowActive(fenster))
        QTest::keyClick(fenster, Qt::Key_F1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    kit::testhook::disable();
    browser.isNull() ? qunsetenv("BROWSER") : qputenv("BROWSER", browser);
    return faenger.urls.size() == 1 ? faenger.urls.first().fileName() : QString();
}

} // namespace klang::test
