#pragma once

// Makes a file or folder unwritable for the lifetime of the object, for root too: the
// immutable attribute (chattr +i), which even root's writes and renames respect. Tests of
// read-only catalogues and settings use it, so they run as root without being skipped.

#include <QProcess>
#include <QString>

namespace klang::test {

class Unveraenderlich
{
public:
    explicit Unveraenderlich(const QString& pfad) : m_pfad(pfad)
    {
        m_ok = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_pfad}) == 0;
    }
    ~Unveraenderlich() { aufheben(); }
    Unveraenderlich(const Unveraenderlich&) = delete;
    Unveraenderlich& operator=(const Unveraenderlich&) = delete;

    bool ok() const { return m_ok; }
    void aufheben()
    {
        if (m_ok)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_pfad});
        m_ok = false;
    }

private:
    QString m_pfad;
    bool m_ok = false;
};

} // namespace klang::test
