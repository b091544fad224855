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
    // Points HOME into the temporary root until the object goes. The trash of a file's own
    // volume is chosen by comparing it with HOME's volume: a test that expects the trash in
    // dataHome() needs HOME on the same volume as its files (/tmp is often a tmpfs of its own).
    void homeHere();

private:
    QTemporaryDir m_dir;
    QByteArray m_oldConfig;
    QByteArray m_oldData;
    QByteArray m_oldHome;
    bool m_homeSet = false;
};

} // namespace klang::test
