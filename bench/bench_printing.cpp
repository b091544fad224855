// Timed runs of the front booklet printed to a PDF file through the player's main window:
// from the command (after the printer dialog) to the finished file, with a 1500 x 1500 cover
// picture, three eBook entries and a 30-track list.
//
//   klang_bench_printing [runs]   (default: 10)

#include "kit/TestHook.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/shell/Paths.h"
#include "player/catalogue/Ausgabebox.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QTextStream>

#include <algorithm>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int laeufe = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10;
    klang::test::TestEnvironment env;
    klang::seedProgramFolder();
    kit::testhook::enable();
    klang::player::Ausgabebox w;
    w.Form_Load();
    w.show();
    QCoreApplication::processEvents();

    const QString pdf = env.path(QStringLiteral("druck")) + QStringLiteral("/vorne.pdf");
    w.druckDialog = [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        return true;
    };
    w.TextBand->setText(QStringLiteral("Frank Zappa"));
    w.TextLPTitel->setText(QStringLiteral("Apostrophe (')"));
    w.TextInfo->setText(QStringLiteral("Überspielt von der Originalplatte"));
    QStringList songs;
    for (int i = 1; i <= 30; ++i)
        songs << QStringLiteral("%1. Titel Nummer %1\t%2:%3").arg(i).arg(i % 7 + 2).arg(i * 7 % 60, 2, 10, QLatin1Char('0'));
    w.TextSongs->setPlainText(songs.join(u'\n'));
    w.cboEbook->addItems({QStringLiteral("/a/Heft.pdf"), QStringLiteral("/a/Noten.txt"), QStringLiteral("/a/Texte.epub")});
    QImage bild(1500, 1500, QImage::Format_RGB32);
    {
        QPainter p(&bild);
        QLinearGradient verlauf(0, 0, 1500, 1500);
        verlauf.setColorAt(0, Qt::darkBlue);
        verlauf.setColorAt(1, Qt::yellow);
        p.fillRect(bild.rect(), verlauf);
    }
    w.Bild1->setPixmap(QPixmap::fromImage(bild));

    QList<double> zeiten;
    for (int i = 0; i < laeufe; ++i) {
        QFile::remove(pdf);
        kit::testhook::queueAnswer(QStringLiteral("Ja"));
        QElapsedTimer uhr;
        uhr.start();
        w.MenuDrucken_Click();
        zeiten << uhr.nsecsElapsed() / 1e6;
        if (!QFile::exists(pdf)) {
            QTextStream(stderr) << "no PDF written\n";
            return 1;
        }
    }
    std::sort(zeiten.begin(), zeiten.end());
    QTextStream(stdout) << QStringLiteral("front booklet to PDF (%1 runs, %2 KB): min %3 ms, median %4 ms, max %5 ms (target < 1000 ms)\n")
                               .arg(laeufe)
                               .arg(QFile(pdf).size() / 1024)
                               .arg(zeiten.first(), 0, 'f', 1)
                               .arg(zeiten[zeiten.size() / 2], 0, 'f', 1)
                               .arg(zeiten.last(), 0, 'f', 1);
    return 0;
}
