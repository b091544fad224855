#include "kit/umwandlung/JetUmwandlung.h"

#include "kit/MsgFenn.h"
#include "platform/jet/JetImport.h"
#include "platform/jet/JetImportProcess.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTemporaryFile>

namespace kit {

namespace {

std::function<QString(QWidget*, const QString&)>& zielDialog()
{
    static std::function<QString(QWidget*, const QString&)> dialog;
    return dialog;
}

bool ordnerBeschreibbar(const QString& ordner)
{
    // Tried, not read from the rights: root may write anywhere but an immutable folder.
    QTemporaryFile probe(QDir(ordner).filePath(QStringLiteral(".klangtruhe-XXXXXX")));
    return probe.open();
}

QString anderenOrtWaehlen(QWidget* parent, const QString& vorschlag)
{
    if (zielDialog())
        return zielDialog()(parent, vorschlag);
    return QFileDialog::getSaveFileName(parent, QStringLiteral(" Neue Datenbank speichern unter"), vorschlag,
                                        QStringLiteral("Datenbank (*.mdb);;alle Dateien (*)"));
}

} // namespace

void setJetZielDialog(std::function<QString(QWidget*, const QString&)> dialog)
{
    zielDialog() = std::move(dialog);
}

JetErgebnis jetKatalogAnbieten(QWidget* parent, const QString& pfad, const QString& titel,
                               const std::function<void(const QString&)>& kopieAngelegt)
{
    JetErgebnis ergebnis;
    if (!klang::jet::isJetFile(pfad))
        return ergebnis;
    const QString original = QDir::toNativeSeparators(pfad);
    QString ziel = klang::jet::convertedFilePath(pfad);
    // What a conversion killed earlier left behind goes, whatever the answer.
    klang::jet::removeJetLeftovers(ziel);
    // The question names the place the copy really goes, or says that the user picks it.
    const bool daneben = ordnerBeschreibbar(QFileInfo(ziel).absolutePath());
    const QString wohin =
        daneben ? QDir::toNativeSeparators(ziel)
                : QStringLiteral("Im Ordner\n%1\nkann keine neue Datei angelegt werden; nach „Ja“ wählen Sie einen "
                                 "anderen Ort für die Kopie.")
                      .arg(QDir::toNativeSeparators(QFileInfo(ziel).absolutePath()));
    const QString frage =
        QStringLiteral("Die Datei\n%1\nist eine Datenbank im alten Access-Format, die nicht direkt geöffnet "
                       "werden kann.\n\nSoll eine Kopie im neuen Format angelegt und geöffnet werden?\n%2\n\n"
                       "Die Access-Datenbank selbst bleibt unverändert.")
            .arg(original, wohin);
    if (MsgFenn(parent, frage, 22, 1, QStringLiteral("Datenbank umwandeln"), 1, DialogBackColor, DialogForeColor)
        != QLatin1String("Ja")) {
        ergebnis.antwort = JetAntwort::Nein;
        return ergebnis;
    }
    ergebnis.antwort = JetAntwort::Abgebrochen;

    // Where the copy goes: beside the original, else a place the user picks. The save dialog
    // has asked about an existing file already.
    bool ersetzen = false;
    bool gewaehlt = false;
    auto waehlen = [&](const QString& vorschlag) {
        ziel = anderenOrtWaehlen(parent, vorschlag);
        gewaehlt = true;
        return !ziel.isEmpty();
    };
    while (true) {
        if (!ordnerBeschreibbar(QFileInfo(ziel).absolutePath())) {
            if (!daneben && !gewaehlt) { // the question has said so
                if (!waehlen(QDir::home().filePath(QFileInfo(ziel).fileName())))
                    return ergebnis;
                continue;
            }
            MsgFenn(parent,
                    QStringLiteral("Im Ordner\n%1\nkann keine neue Datei angelegt werden.\n\nBitte wählen Sie einen "
                                   "anderen Ort für die Kopie.")
                        .arg(QDir::toNativeSeparators(QFileInfo(ziel).absolutePath())),
                    3, 0, QStringLiteral("Datenbank umwandeln"), 1, WarningBackColor, DialogForeColor);
            if (!waehlen(QDir::home().filePath(QFileInfo(ziel).fileName())))
                return ergebnis;
            continue;
        }
        if (QFileInfo::exists(ziel)) {
            if (QFileInfo(ziel).canonicalFilePath() == QFileInfo(pfad).canonicalFilePath()) {
                if (!waehlen(ziel))
                    return ergebnis;
                continue;
            }
            if (gewaehlt) {
                ersetzen = true;
                break;
            }
            const QString antwort = MsgFenn(
                parent,
                QStringLiteral("Die Datei\n%1\ngibt es schon.\n\nSoll sie durch die neue Kopie ersetzt werden?")
                    .arg(QDir::toNativeSeparators(ziel)),
                22, 2, QStringLiteral("Datei ersetzen?"), 1, WarningBackColor, DialogForeColor);
            if (antwort != QLatin1String("Ja")) {
                if (!waehlen(ziel))
                    return ergebnis;
                continue;
            }
            ersetzen = true;
        }
        break;
    }

    // The conversion runs in a helper process (libmdb may crash or hang on a damaged file);
    // this window's events go on meanwhile.
    QProgressDialog fortschritt(QStringLiteral("Umwandeln ..."), QStringLiteral("Abbrechen"), 0, 0, parent);
    fortschritt.setWindowTitle(QStringLiteral("Datenbank umwandeln"));
    fortschritt.setWindowModality(Qt::WindowModal);
    fortschritt.setMinimumDuration(0);
    fortschritt.setAutoClose(false);
    fortschritt.setAutoReset(false);
    klang::jet::JetImportProcess umwandlung;
    QObject::connect(&fortschritt, &QProgressDialog::canceled, &umwandlung, [&] {
        fortschritt.setLabelText(QStringLiteral("Umwandlung wird abgebrochen ..."));
        umwandlung.cancel();
    });
    QObject::connect(&umwandlung, &klang::jet::JetImportProcess::progress, &fortschritt,
                     [&](const klang::jet::JetImportProgress& p) {
                         if (fortschritt.wasCanceled())
                             return;
                         fortschritt.setMaximum(int(qMin<qint64>(p.rows, INT_MAX)));
                         fortschritt.setValue(int(qMin<qint64>(p.row, INT_MAX)));
                         fortschritt.setLabelText(klang::jet::progressText(p));
                     });
    QEventLoop warten;
    QObject::connect(&umwandlung, &klang::jet::JetImportProcess::finished, &warten, &QEventLoop::quit);
    fortschritt.show();
    umwandlung.start(pfad, ziel, ersetzen);
    warten.exec(); // finished() always comes from the event loop, never from start()
    // Closing the dialog would report a cancel; hiding it does not.
    QObject::disconnect(&fortschritt, &QProgressDialog::canceled, nullptr, nullptr);
    fortschritt.hide();

    const klang::jet::JetImportResult& r = umwandlung.result();
    if (!r.ok) {
        MsgFenn(parent,
                r.cancelled ? r.error.description
                            : r.error.description + QStringLiteral("\n\nDie Datenbank wurde nicht umgewandelt."),
                r.cancelled ? 3 : 4, 0, r.cancelled ? QStringLiteral("Datenbank umwandeln") : titel, 1,
                r.cancelled ? WarningBackColor : ErrorBackColor, DialogForeColor);
        return ergebnis;
    }
    // The settings point at the copy before the report waits for the user.
    if (kopieAngelegt)
        kopieAngelegt(ziel);
    MsgFenn(parent,
            QStringLiteral("Die Kopie im neuen Format wurde angelegt:\n%1\n\n%2")
                .arg(QDir::toNativeSeparators(ziel), r.summary()),
            1, 0, QStringLiteral("Datenbank umgewandelt"), 1, DialogBackColor, DialogForeColor);
    ergebnis.antwort = JetAntwort::Umgewandelt;
    ergebnis.pfad = ziel;
    return ergebnis;
}

} // namespace kit
