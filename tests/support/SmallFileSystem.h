#pragma once

#include <QString>

namespace klang::test {

// A tmpfs of a few kilobytes mounted on a folder for the lifetime of the object, to try
// writes on a full disk. The suite runs as root, which may mount; elsewhere mounted() is
// false and the test fails (it must not pass without having tried).
class SmallFileSystem
{
public:
    explicit SmallFileSystem(const QString& folder, int kilobytes = 64);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    QString folder() const { return m_folder; }
    // Takes every free block, so that the next write finds the disk full.
    void fill();

private:
    QString m_folder;
    bool m_mounted = false;
};

} // namespace klang::test
