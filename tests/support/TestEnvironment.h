#pragma once

#include <QString>
#include <QTemporaryDir>

namespace klang::test {

// Points XDG_CONFIG_HOME and XDG_DATA_HOME at fresh temporary folders for the lifetime of
// the object, so that a test never reads or writes the user's real settings and data.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString root() const { return m_dir.path(); }
    QString configHome() const;
    QString dataHome() const;
    // A scratch folder inside the temporary root (created on demand).
    QString path(const QString& relative) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldConfig;
    QByteArray m_oldData;
};

} // namespace klang::test
