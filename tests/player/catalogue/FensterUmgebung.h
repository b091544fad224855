#pragma once

#include "kit/TestHook.h"
#include "player/catalogue/Ausgabebox.h"
#include "platform/shell/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <QTest>
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
