#include "platform/shell/Programmstart.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace klang {

namespace {

bool ladeQtDeutsch(QTranslator& uebersetzung)
{
    // The programs speak German whatever the system's locale says.
    return uebersetzung.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                             QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace

detail::VorDemStart::VorDemStart()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

Programm::Programm(int& argc, char** argv, const QString& name)
    : QApplication(argc, argv)
    , m_qtUebersetzung(std::make_unique<QTranslator>())
{
    setApplicationName(name);
    setOrganizationName(QStringLiteral("Klangtruhe"));
    m_qtTexteDeutsch = ladeQtDeutsch(*m_qtUebersetzung);
    if (m_qtTexteDeutsch)
        installTranslator(m_qtUebersetzung.get());
}

Programm::~Programm()
{
    if (m_qtTexteDeutsch)
        removeTranslator(m_qtUebersetzung.get());
}

} // namespace klang
