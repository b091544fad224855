#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QStandardPaths>

namespace klang::test {

TestEnvironment::TestEnvironment()
    : m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
    , m_oldData(qgetenv("XDG_DATA_HOME"))
{
    QDir().mkpath(configHome());
    QDir().mkpath(dataHome());
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
}

TestEnvironment::~TestEnvironment()
{
    if (m_oldConfig.isEmpty()) qunsetenv("XDG_CONFIG_HOME"); else qputenv("XDG_CONFIG_HOME", m_oldConfig);
    if (m_oldData.isEmpty()) qunsetenv("XDG_DATA_HOME"); else qputenv("XDG_DATA_HOME", m_oldData);
    if (m_homeSet) qputenv("HOME", m_oldHome);
}

void TestEnvironment::homeHere()
{
    if (!m_homeSet) {
        m_oldHome = qgetenv("HOME");
        m_homeSet = true;
    }
    qputenv("HOME", path(QStringLiteral("home")).toUtf8());
}

QString TestEnvironment::configHome() const { return m_dir.path() + QStringLiteral("/config"); }
QString TestEnvironment::dataHome() const { return m_dir.path() + QStringLiteral("/data"); }

QString TestEnvironment::path(const QString& relative) const
{
    const QString p = m_dir.path() + QLatin1Char('/') + relative;
    QDir().mkpath(p);
    return p;
}

} // namespace klang::test
