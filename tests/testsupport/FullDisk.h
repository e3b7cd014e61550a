#pragma once

// A small file system that is full, for the failure paths of writing: a
// tmpfs of 64 KB mounted on a folder of the test's own and filled to its
// last block. Mounting needs the right to (root on Linux); without it
// isMounted() is false and why says so, and the test skips.

#include <QString>

namespace qb::test {

class FullDisk final
{
public:
    // Mounts the tmpfs on folder (made when missing); fill() fills it.
    explicit FullDisk(const QString& folder);
    ~FullDisk(); // unmounts
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool isMounted() const { return m_mounted; }
    QString why() const { return m_why; }
    QString path(const QString& name) const { return m_folder + QLatin1Char('/') + name; }

    // Fills every free block with one file; true when the disk is then full.
    bool fill();

private:
    QString m_folder;
    QString m_why;
    bool m_mounted = false;
};

} // namespace qb::test
