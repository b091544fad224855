#include "platform/printing/Drucker.h"

#include "platform/printing/TwipsFlaeche.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace klang::printing {

void druckerVorbereiten(QPrinter& drucker, QPageLayout::Orientation ausrichtung)
{
    drucker.setFullPage(false);
    drucker.setPageOrientation(ausrichtung);
}

namespace {

// The commands print one page as it is: the dialog offers no page range. Qt's own dialog
// shows its range group whenever the print system could pick pages, whatever the options
// say, so the group is hidden once the dialog has laid itself out.
class Druckerdialog : public QPrintDialog
{
public:
    using QPrintDialog::QPrintDialog;

protected:
    void showEvent(QShowEvent* event) override
    {
        QPrintDialog::showEvent(event);
        for (const char* name : {"gbPrintRange", "pageSetCombo", "pageSetLabel"})
            if (QWidget* w = findChild<QWidget*>(QLatin1String(name)))
                w->hide();
    }
};

} // namespace

std::unique_ptr<QPrintDialog> druckerDialogErstellen(QPrinter& drucker, QWidget* parent)
{
    auto dialog = std::make_unique<Druckerdialog>(&drucker, parent);
    dialog->setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog->setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog->setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog->setMinMax(1, 1);
    return dialog;
}

bool druckerDialog(QPrinter& drucker, QWidget* parent)
{
    return druckerDialogErstellen(drucker, parent)->exec() == QDialog::Accepted;
}

QString seiteDrucken(QPrinter& drucker, const std::function<void(TwipsFlaeche&)>& zeichnen)
{
    QPainter painter;
    if (!painter.begin(&drucker)) {
        const QString ziel = drucker.outputFileName().isEmpty() ? drucker.printerName() : drucker.outputFileName();
        return QStringLiteral("Der Drucker ist nicht bereit: %1").arg(ziel);
    }
    TwipsFlaeche flaeche(painter, drucker.resolution() / 1440.0);
    // The vertical origin is the top of the printable area: its height is the last line's limit.
    flaeche.setUnterkante(drucker.pageLayout().paintRectPixels(drucker.resolution()).height() * 1440.0
                          / drucker.resolution());
    zeichnen(flaeche);
    if (drucker.printerState() == QPrinter::Error) {
        drucker.abort();
        painter.end();
        return QStringLiteral("Druckerfehler");
    }
    painter.end();
    if (drucker.printerState() == QPrinter::Error)
        return QStringLiteral("Druckerfehler");
    return QString();
}

} // namespace klang::printing
