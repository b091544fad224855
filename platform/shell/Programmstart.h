#pragma once

// The start of every program of the family: the application object with the settings every
// program shares (window platform, names, Qt's German texts).

#include <QApplication>
#include <QString>

#include <memory>

class QTranslator;

namespace klang {

namespace detail {
// Runs before QApplication exists: choices that must be made before the platform loads.
struct VorDemStart
{
    VorDemStart();
};
} // namespace detail

// Construct it in main in place of QApplication:
//     klang::Programm app(argc, argv, QStringLiteral("Ordnerwacht"));
// It prefers the X11 platform when the user chose none and a display is there (window
// placement and stay-on-top need it), sets the program's name and loads Qt's German texts, so
// Qt's own dialogs and buttons ("Abbrechen", "Suchen in") speak the family's language.
class Programm : private detail::VorDemStart, public QApplication
{
public:
    Programm(int& argc, char** argv, const QString& name);
    ~Programm() override;

    // True when Qt's German translation was found and installed.
    bool qtTexteDeutsch() const { return m_qtTexteDeutsch; }

private:
    std::unique_ptr<QTranslator> m_qtUebersetzung;
    bool m_qtTexteDeutsch = false;
};

} // namespace klang
