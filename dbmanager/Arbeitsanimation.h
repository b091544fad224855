#pragma once

// The animation that plays while a command works ("Working.avi" in the program folder).
// The file lies outside the system: when it is missing the animation shows nothing, and its
// absence is never an error.

#include <QString>

class QWidget;

namespace dbmanager {

class Arbeitsanimation
{
public:
    virtual ~Arbeitsanimation() = default;
    // Prepares the file; false (and nothing shown later) when it cannot be played.
    virtual bool laden(const QString& datei) = 0;
    virtual void abspielen() = 0;
    virtual void anhalten() = 0;
    // The widget that shows it (beside the button bar); nullptr when there is none.
    virtual QWidget* widget() = 0;
};

// Shows nothing: used when no animation file exists.
class KeineAnimation : public Arbeitsanimation
{
public:
    bool laden(const QString&) override { return false; }
    void abspielen() override {}
    void anhalten() override {}
    QWidget* widget() override { return nullptr; }
};

} // namespace dbmanager
