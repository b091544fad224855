// The inlay layouts printed to PDF and read back: text order and labels, the page's
// orientation, the frames and where the picture lands.

#include "platform/printing/Drucker.h"
#include "platform/printing/Inlay.h"
#include "platform/printing/TwipsFlaeche.h"
#include "tests/platform/printing/PdfLesen.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QtTest>

using namespace klang::printing;

Q_DECLARE_METATYPE(klang::printing::Bildwahl)

namespace {

constexpr int Dpi = 72;

InlayDaten beispiel()
{
    InlayDaten d;
    d.band = QStringLiteral("Frank Zappa");
    d.titel = QStringLiteral("Apostrophe (')");
    d.medium = QStringLiteral("CD");
    d.plattenfirma = QStringLiteral("Discreet");
    d.bestellNr = QStringLiteral("DS 2175");
    d.kaufdatum = QStringLiteral("12.03.1999");
    d.stil = QStringLiteral("Rock");
    d.bewertung = QStringLiteral("5");
    d.info = QStringLiteral("Überspielt");
    d.ebooks = {QStringLiteral("Heft.pdf"), QStringLiteral("Texte.txt"), QStringLiteral("Noten.epub")};
    d.songs = QStringLiteral("1. Don't Eat the Yellow Snow\n2. Nanook Rubs It\n3. Cosmik Debris");
    d.bild = QImage(40, 40, QImage::Format_RGB32);
    d.bild.fill(Qt::red);
    return d;
}

// A page point given in the layout's twips (scale left -1300), in pixels of the rendered page.
QPoint seitenpunkt(const QPrinter& drucker, double x, double y)
{
    const QRectF druckbar = drucker.pageLayout().paintRect(QPageLayout::Inch);
    return QPoint(qRound((druckbar.left() + (x + 1300) / 1440.0) * Dpi),
                  qRound((druckbar.top() + y / 1440.0) * Dpi));
}

bool istRot(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

// A dark pixel (an outline) along a short horizontal run around x.
bool linieBei(const QImage& seite, QPoint p)
{
    for (int dx = -3; dx <= 3; ++dx)
        if (qGray(seite.pixel(p.x() + dx, p.y())) < 128)
            return true;
    return false;
}

} // namespace

class PrintingTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString drucken(QPrinter& drucker, const QString& name, QPageLayout::Orientation ausrichtung,
                    const std::function<void(TwipsFlaeche&)>& zeichnen)
    {
        druckerVorbereiten(drucker, ausrichtung);
        drucker.setOutputFormat(QPrinter::PdfFormat);
        drucker.setOutputFileName(m_dir.filePath(name));
        const QString fehler = seiteDrucken(drucker, zeichnen);
        return fehler.isEmpty() ? drucker.outputFileName() : QString();
    }

private slots:
    void initTestCase()
    {
        if (!klang::test::popplerDa())
            QSKIP("poppler-utils missing (scripts/install-deps.sh installs them)");
    }

    // The front booklet's text: every line in order with its label, tabs as gaps.
    void vorderseiteText()
    {
        QPrinter drucker(QPrinter::HighResolution);
        InlayDaten d = beispiel();
        const QString pdf = drucken(drucker, QStringLiteral("text.pdf"), QPageLayout::Landscape,
                                    [&](TwipsFlaeche& f) { vorderseiteDrucken(f, d, Bildwahl::MitBild); });
        QVERIFY(!pdf.isEmpty());
        const QString text = klang::test::pdfText(pdf);
        const QStringList erwartet = {
            QStringLiteral("Frank Zappa"), QStringLiteral("Apostrophe (')"), QStringLiteral("Medium: CD"),
            QStringLiteral("Plattenfirma: Discreet"), QStringLiteral("Bestell-Nr.: DS 2175"),
            QStringLiteral("Kaufdatum: 12.03.1999"), QStringLiteral("Preis:"), QStringLiteral("Stilrichtung: Rock"),
            QStringLiteral("Bewertung 1-6: 5"), QStringLiteral("Info: Überspielt"), QStringLiteral("Multimedia: Heft.pdf"),
            QStringLiteral("Multimedia: Texte.txt"), QStringLiteral("Multimedia: Noten.epub"),
            QStringLiteral("1. Don't Eat the Yellow Snow"), QStringLiteral("2. Nanook Rubs It"),
            QStringLiteral("3. Cosmik Debris")};
        qsizetype ab = 0;
        for (const QString& teil : erwartet) {
            const qsizetype bei = text.indexOf(teil, ab);
            QVERIFY2(bei >= 0, qPrintable(teil + QStringLiteral(" missing or out of order in:\n") + text));
            ab = bei + teil.size();
        }
        // Each track on a line of its own.
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("Nanook Rubs It *\\n *3\\. Cosmik"))));

        // The parts of a line stay on it, each starting on a tab stop of one grid (14 average
        // widths of the font) past the end of the part before. Measured where the words lie:
        // text extraction renders a gap of a few points as one blank or many, by font.
        const QList<klang::test::PdfWort> woerter = klang::test::pdfWoerter(pdf);
        const auto box = [&](const QString& wort) {
            for (const auto& w : woerter)
                if (w.text == wort)
                    return w.box;
            return QRectF();
        };
        QFont schrift(QStringLiteral("Times New Roman"));
        schrift.setPixelSize(200);
        const double stopp = QFontMetricsF(schrift).averageCharWidth() * 14 / 20;
        const double links = box(QStringLiteral("Medium:")).left();
        QVERIFY(qAbs(box(QStringLiteral("Kaufdatum:")).left() - links) < 0.5);
        const QList<std::pair<QString, QString>> tabs = {
            {QStringLiteral("CD"), QStringLiteral("Plattenfirma:")},
            {QStringLiteral("Discreet"), QStringLiteral("Bestell-Nr.:")},
            {QStringLiteral("12.03.1999"), QStringLiteral("Preis:")},
            {QStringLiteral("Preis:"), QStringLiteral("Stilrichtung:")}};
        for (const auto& [vor, nach] : tabs) {
            const QRectF a = box(vor), b = box(nach);
            QVERIFY2(!a.isNull() && !b.isNull(), qPrintable(vor + u' ' + nach));
            const double spalte = (b.left() - links) / stopp;
            QVERIFY2(qAbs(spalte - qRound(spalte)) < 0.03, qPrintable(nach + QStringLiteral(" off the tab grid")));
            QVERIFY(b.left() > a.right());
            QVERIFY(qAbs(b.center().y() - a.center().y()) < 1);
        }
    }

    void vorderseiteRahmen_data()
    {
        QTest::addColumn<Bildwahl>("wahl");
        QTest::addColumn<bool>("linkerRahmen");
        QTest::addColumn<bool>("rechterRahmen");
        QTest::addColumn<bool>("bild");
        QTest::newRow("Ja") << Bildwahl::MitBild << true << true << true;
        QTest::newRow("Nein") << Bildwahl::OhneBild << true << false << false;
        QTest::newRow("geschlossen") << Bildwahl::OhneRahmen << false << false << false;
    }
    // Landscape sheet; the frames and the picture as the answer to the picture question says.
    void vorderseiteRahmen()
    {
        QFETCH(Bildwahl, wahl);
        QFETCH(bool, linkerRahmen);
        QFETCH(bool, rechterRahmen);
        QFETCH(bool, bild);
        QPrinter drucker(QPrinter::HighResolution);
        const InlayDaten d = beispiel();
        const QString pdf = drucken(drucker, QStringLiteral("rahmen.pdf"), QPageLayout::Landscape,
                                    [&](TwipsFlaeche& f) { vorderseiteDrucken(f, d, wahl); });
        const QImage seite = klang::test::pdfSeite(pdf, Dpi);
        QVERIFY(!seite.isNull());
        QVERIFY(seite.width() > seite.height());
        // The left outline 150 twips left of the text, below the text block.
        QCOMPARE(linieBei(seite, seitenpunkt(drucker, -150, 7000)), linkerRahmen);
        QCOMPARE(linieBei(seite, seitenpunkt(drucker, 13459, 4000)), rechterRahmen);
        // The picture fills the right page: red at its middle and near its corners.
        for (const QPointF& p : {QPointF(10056, 3902), QPointF(6754, 600), QPointF(13358, 7204)})
            QCOMPARE(istRot(seite.pixel(seitenpunkt(drucker, p.x(), p.y()))), bild);
        // ... and nowhere on the left page.
        QVERIFY(!istRot(seite.pixel(seitenpunkt(drucker, 6554, 7204))));
    }

    // A track list longer than the 12 cm frame: every printed line lies inside the frame, the
    // rest goes to the notice line, and the preview leaves out as many tracks as the print.
    void langeListeImRahmen()
    {
        InlayDaten d = beispiel();
        QStringList titel;
        for (int i = 1; i <= 60; ++i)
            titel << QStringLiteral("Titel%1").arg(i);
        d.songs = titel.join(u'\n');
        const QRegularExpression hinweis(QStringLiteral("(\\d+) weitere Titel passen nicht"));
        QPrinter drucker(QPrinter::HighResolution);
        const QString pdf = drucken(drucker, QStringLiteral("lang.pdf"), QPageLayout::Landscape,
                                    [&](TwipsFlaeche& f) { vorderseiteDrucken(f, d, Bildwahl::OhneBild); });
        const double rahmenUnten = seitenpunkt(drucker, 0, 7304).y();
        int gedruckt = 0;
        for (const auto& w : klang::test::pdfWoerter(pdf)) {
            QVERIFY2(w.box.bottom() < rahmenUnten, qPrintable(w.text + QStringLiteral(" below the frame")));
            gedruckt += w.text.startsWith(QLatin1String("Titel")) && w.text.size() > 5 ? 1 : 0;
        }
        const QRegularExpressionMatch gedrucktHinweis = hinweis.match(klang::test::pdfText(pdf));
        QVERIFY(gedrucktHinweis.hasMatch());
        QCOMPARE(gedruckt + gedrucktHinweis.captured(1).toInt(), 60);

        QPrinter vorschau(QPrinter::HighResolution);
        const QString vorschauPdf = drucken(vorschau, QStringLiteral("vorschau.pdf"), QPageLayout::Landscape,
                                            [&](TwipsFlaeche& f) { vorderseiteVorschau(f, d); });
        QCOMPARE(hinweis.match(klang::test::pdfText(vorschauPdf)).captured(1), gedrucktHinweis.captured(1));
    }

    // The back inlay: portrait, the picture inside its frame, no text.
    void rueckseite()
    {
        QPrinter drucker(QPrinter::HighResolution);
        const InlayDaten d = beispiel();
        const QString pdf = drucken(drucker, QStringLiteral("rueck.pdf"), QPageLayout::Portrait,
                                    [&](TwipsFlaeche& f) { rueckseiteDrucken(f, d); });
        QVERIFY(klang::test::pdfText(pdf).trimmed().isEmpty());
        const QImage seite = klang::test::pdfSeite(pdf, Dpi);
        QVERIFY(seite.height() > seite.width());
        QVERIFY(istRot(seite.pixel(seitenpunkt(drucker, 4125, 3852))));
        QVERIFY(istRot(seite.pixel(seitenpunkt(drucker, -100, 550))));
        QVERIFY(!istRot(seite.pixel(seitenpunkt(drucker, 8550, 3852))));
        QVERIFY(linieBei(seite, seitenpunkt(drucker, 8410, 3852)) || linieBei(seite, seitenpunkt(drucker, -160, 3852)));
    }
};

QTEST_MAIN(PrintingTest)
#include "tst_printing.moc"
