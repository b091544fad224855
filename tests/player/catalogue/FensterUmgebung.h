#pragma once

#include "kit/TestHook.h"
#include "player/catalogue/Ausgabebox.h"
#include "platform/shell/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// What every main-window test starts from: fresh XDG folders with the program folder seeded,
// and message boxes answered by the test hook instead of being shown.
struct FensterUmgebung : klang::test::TestEnvironment
{
    FensterUmgebung()
    {
        klang::seedProgramFolder();
        kit::testhook::enable();
        kit::testhook::clear();
    }
    ~FensterUmgebung() { kit::testhook::disable(); }
};

// The main window as a user meets it: loaded, shown and on the screen.
inline std::unique_ptr<klang::player::Ausgabebox> hauptfensterZeigen()
{
    auto w = std::make_unique<klang::player::Ausgabebox>();
    w->Form_Load();
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("window not exposed");
    return w;
}

// Runs `schritte` on the modal dialog of type T once it shows (a dialog the steps leave open
// is rejected, so a failing test never hangs in the modal loop).
template <typename T>
void imModalenDialog(std::function<void(T*)> schritte)
{
    auto* warten = new QTimer;
    warten->setInterval(10);
    QObject::connect(warten, &QTimer::timeout, [warten, schritte] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        warten->stop();
        warten->deleteLater();
        schritte(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    warten->start();
}
