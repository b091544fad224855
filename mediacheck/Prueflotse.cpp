#include "mediacheck/Prueflotse.h"

#include "kit/MsgFenn.h"

#include <QApplication>
#include <QLabel>
#include <QLibrary>
#include <QPushButton>
#include <QTextEdit>
#include <QTextStream>
#include <QTimer>

#ifndef KLANG_MPV_SONAME
#define KLANG_MPV_SONAME "libmpv.so.2"
#endif

namespace prueflotse {

namespace {

// Test runs only (KLANGTRUHE_PRUEFLOTSE_TESTBERICHT=1): once the real box is on screen,
// describe what it shows on stdout and press its OK button, so an end-to-end test can
// check the box without a person.
void testberichtEinrichten()
{
    auto* suche = new QTimer(qApp);
    suche->setInterval(50);
    QObject::connect(suche, &QTimer::timeout, suche, [suche] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != QLatin1String("frmMsgFenn") || !w->isVisible())
                continue;
            suche->stop();
            QTextStream out(stdout);
            QStringList knoepfe;
            for (auto* k : w->findChildren<QPushButton*>()) {
                if (k->isVisible())
                    knoepfe << k->objectName();
            }
            QStringList symbole;
            for (auto* s : w->findChildren<QLabel*>()) {
                if (s->isVisible() && s->objectName().startsWith(QLatin1String("imgMsgIcon")))
                    symbole << s->objectName();
            }
            const auto* text = w->findChild<QTextEdit*>(QStringLiteral("txtMsgText"));
            out << "Fenster=" << w->objectName() << '\n'
                << "Titel=" << w->windowTitle() << '\n'
                << "Text=" << (text ? text->toPlainText() : QString()) << '\n'
                << "Knoepfe=" << knoepfe.join(QLatin1Char(',')) << '\n'
                << "Symbole=" << symbole.join(QLatin1Char(',')) << '\n'
                << "Position=" << w->x() << ',' << w->y() << '\n'
                << "Hintergrund=" << w->palette().color(QPalette::Window).name() << '\n'
                << "Schrift=" << w->palette().color(QPalette::WindowText).name() << '\n'
                << "Modal=" << (w->isModal() ? 1 : 0) << '\n';
            out.flush();
            if (auto* ok = w->findChild<QPushButton*>(QStringLiteral("cmdButton0")))
                ok->click();
            return;
        }
    });
    suche->start();
}

} // namespace

QString wiedergabeBibliothek()
{
    const QString ersatz = qEnvironmentVariable("KLANGTRUHE_PRUEFLOTSE_LIB");
    return ersatz.isEmpty() ? QStringLiteral(KLANG_MPV_SONAME) : ersatz;
}

bool bibliothekVorhanden(const QString& name)
{
    QLibrary bibliothek(name);
    return bibliothek.load();
}

QString Meldung()
{
    return QStringLiteral("Auf Ihrem System ist die Wiedergabebibliothek libmpv nicht installiert!");
}

QString MeldungVorhanden()
{
    return QStringLiteral("Die Wiedergabebibliothek libmpv ist installiert.");
}

int Main()
{
    if (!bibliothekVorhanden(wiedergabeBibliothek())) {
        // This program's boxes stand at a fixed point near the screen's top-left corner.
        kit::setMsgFennPlacement(500, 500);
        if (qEnvironmentVariableIntValue("KLANGTRUHE_PRUEFLOTSE_TESTBERICHT") == 1)
            testberichtEinrichten();
        kit::MsgAntwort = kit::MsgFenn(
            nullptr, Meldung(),
            4, 0, QStringLiteral("Hinweis Klangtruhe"), 1, 0xC0C0FF, 0x352300);
    }
    QCoreApplication::processEvents();
    return 0;
}

} // namespace prueflotse
