#pragma once

#include <QString>

namespace klang::test {

// Makes a folder unwritable for the lifetime of the object, for everyone who runs the test.
// Folder permissions alone do not stop root, who runs the suite: as root the folder is bound
// read-only onto itself, so every write fails as on a read-only medium; otherwise its write
// bits are taken away. effective() tells whether a write really fails (the test fails, never
// skips, when it does not).
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString& folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool effective() const;
    // Writable again before the object goes (to check the files with the rights back).
    void release();

private:
    QString m_folder;
    bool m_bound = false;
    bool m_released = false;
};

} // namespace klang::test
