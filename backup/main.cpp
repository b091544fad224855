// Ordnerwacht: builds and runs the command line of a copy or archive program for a folder.

#include "backup/AdminNeustart.h"
#include "backup/ZipForm.h"
#include "kit/Helpers.h"
#include "platform/shell/Paths.h"
#include "platform/shell/Programmstart.h"
#include "platform/shell/SingleInstance.h"
#include "platform/textfiles/SafeWrite.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <pwd.h>
#include <unistd.h>

namespace {

// Waits (without blocking the event loop) until the process pid has ended, at most a minute,
// then calls weiter.
void warteAuf(qint64 pid, std::function<void()> weiter, int restMs = 60000)
{
    if (pid <= 0 || !backup::prozessLaeuft(pid) || restMs <= 0) {
        weiter();
        return;
    }
    QTimer::singleShot(100, qApp, [pid, weiter = std::move(weiter), restMs]() mutable {
        warteAuf(pid, std::move(weiter), restMs - 100);
    });
}

} // namespace

int main(int argc, char* argv[])
{
    klang::Programm app(argc, argv, QStringLiteral("Ordnerwacht"));
    // The elevated copy runs as root with the user's folders. Our own files there are written
    // with the user's rights (klang::AsFolderOwner); Qt's own settings (the file dialog's
    // history) would be written as root, so they stay in root's own folder.
    if (::geteuid() == 0
        && klang::AsFolderOwner::ownerOf(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) != 0) {
        if (const struct passwd* root = ::getpwuid(0)) {
            const QString eigene = QFile::decodeName(root->pw_dir) + QStringLiteral("/.config");
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, eigene);
            QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, eigene);
        }
    }
    kit::ProgrammOrdnerEinrichten();
    kit::EinstellungsFehlerMelden();

    // An elevated restart tells the copy that asked for it that it runs, so that one can end.
    backup::startMelden(backup::meldeStartName(QCoreApplication::arguments()));

    klang::SingleInstance instanz(backup::AppOrdnerName);
    std::unique_ptr<backup::ZipForm> fenster;
    // An elevated restart first lets the copy that started it save its settings and end.
    warteAuf(backup::warteAufPid(QCoreApplication::arguments()), [&] {
        if (!instanz.tryRun(QCoreApplication::arguments())) {
            // Another copy runs: end without a message (also before the event loop runs).
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            return;
        }
        fenster = std::make_unique<backup::ZipForm>();
        QObject::connect(&instanz, &klang::SingleInstance::activationRequested, fenster.get(), [&] {
            fenster->showNormal();
            fenster->raise();
            fenster->activateWindow();
        });
        fenster->show();
    });
    return app.exec();
}
