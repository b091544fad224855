#pragma once

// Reads a printed PDF back: its text through pdftotext, its page through pdftoppm.

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

namespace klang::test {

inline bool popplerDa()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

inline QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
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
