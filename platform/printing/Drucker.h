#pragma once

// Printing through the system's printers (CUPS where present) or to a PDF file. The printer
// chosen in the dialog serves this one job only: the system's default printer never changes.

#include <QPageLayout>
#include <QString>
#include <functional>
#include <memory>

class QPrintDialog;
class QPrinter;
class QWidget;

namespace klang::printing {

class TwipsFlaeche;

// Shows the printer dialog with the orientation preset and no page range to choose. Returns
// false when the user cancelled.
bool druckerDialog(QPrinter& drucker, QWidget* parent);
// The same dialog, not yet shown.
std::unique_ptr<QPrintDialog> druckerDialogErstellen(QPrinter& drucker, QWidget* parent);

// Prepares a printer for a job: the orientation preset, the origin on the printable area.
void druckerVorbereiten(QPrinter& drucker, QPageLayout::Orientation ausrichtung);

// Draws one page through a twips surface and ends the document. Returns the error text when
// the printer cannot take the job (then nothing is sent), else "".
QString seiteDrucken(QPrinter& drucker, const std::function<void(TwipsFlaeche&)>& zeichnen);

} // namespace klang::printing
