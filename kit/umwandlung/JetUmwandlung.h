#pragma once

// Opening an old Jet/Access catalogue: the program asks once whether to make a copy in the
// new format, converts it in the background with progress and cancel, and hands back the new
// file, which then opens through the program's usual open path.

#include <QString>
#include <functional>

class QWidget;

namespace kit {

enum class JetAntwort {
    KeinJet,      // not a Jet/Access file: open it as usual
    Nein,         // the user declined: the usual refusal follows
    Umgewandelt,  // the copy is written: open pfad
    Abgebrochen,  // cancelled or failed: already reported, nothing more to do
};

struct JetErgebnis
{
    JetAntwort antwort = JetAntwort::KeinJet;
    QString pfad; // the new file when Umgewandelt
};

// When pfad is a Jet/Access file (by its bytes, not its name), asks and converts. titel is
// the title of the boxes that report a failure. kopieAngelegt is called with the new file as
// soon as it is in place, before the report box waits for the user.
JetErgebnis jetKatalogAnbieten(QWidget* parent, const QString& pfad, const QString& titel,
                               const std::function<void(const QString&)>& kopieAngelegt = {});

// For tests: replaces the save dialog shown when the Jet file's folder cannot be written
// (argument: the proposed path; return "" to cancel). nullptr restores the dialog.
void setJetZielDialog(std::function<QString(QWidget*, const QString&)> dialog);

} // namespace kit
