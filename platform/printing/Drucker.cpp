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

bool druckerDialog(QPrinter& drucker, QWidget* parent)
{
    QPrintDialog dialog(&drucker, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setMinMax(1, 1);
    return dialog.exec() == QDialog::Accepted;
}

QString seiteDrucken(QPrinter& drucker, const std::function<void(TwipsFlaeche&)>& zeichnen)
{
    QPainter painter;
    if (!painter.begin(&drucker)) {
        const QString ziel = drucker.outputFileName().isEmpty() ? drucker.printerName() : drucker.outputFileName();
        return QStringLiteral("Der Drucker ist nicht bereit: %1").arg(ziel);
    }
    TwipsFlaeche flaeche(painter, drucker.resolution() / 1440.0);
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
