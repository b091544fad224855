#include "mediacheck/Prueflotse.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // The box's fixed place needs a platform that lets programs position their windows.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Prueflotse"));
    QApplication::setOrganizationName(QStringLiteral("Klangtruhe"));
    return prueflotse::Main();
}
