#pragma once

// Reads a printed PDF back: its text and its words' boxes through pdftotext, its page through
// pdftoppm. Text comes back in Unicode compatibility form (NFKC), so that a font's ligatures
// ("ﬁ") read as the letters they stand for, whichever fonts the machine has.

#include <QImage>
#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

namespace klang::test {

inline bool popplerDa()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

inline QString pdftotext(const QStringList& optionen, const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), QStringList(optionen) << pdf << QStringLiteral("-"));
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

inline QString pdfText(const QString& pdf)
{
    return pdftotext({QStringLiteral("-layout")}, pdf);
}

// One word of the first page and its box in points from the page's top left corner.
struct PdfWort
{
    QString text;
    QRectF box;
};

inline QList<PdfWort> pdfWoerter(const QString& pdf)
{
    static const QRegularExpression wort(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<PdfWort> woerter;
    const QString html = pdftotext({QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                    QStringLiteral("-l"), QStringLiteral("1")},
                                   pdf);
    for (auto it = wort.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        QString text = m.captured(5);
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&apos;"), QStringLiteral("'"))
            .replace(QStringLiteral("&#39;"), QStringLiteral("'"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        woerter << PdfWort{text, QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                        QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))};
    }
    return woerter;
}

// The first page at the given resolution (dots per inch).
inline QImage pdfSeite(const QString& pdf, int dpi)
{
    QTemporaryDir dir;
    const QString basis = dir.filePath(QStringLiteral("seite"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), pdf, basis});
    p.waitForFinished(20000);
    return QImage(basis + QStringLiteral(".png"));
}

} // namespace klang::test
