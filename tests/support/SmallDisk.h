#pragma once
#include <QString>
#include <QTemporaryDir>

// A small disk of its own (a tmpfs mounted on a temporary folder), so a test can make a folder
// really read-only or really full. Mounting needs root; ready() is false where it is refused and
// the test skips. Unmounted when it goes.
class SmallDisk {
public:
    explicit SmallDisk(int kilobytes = 1024);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool ready() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const;
    // Mounted again read-only: nothing can be written or made there, not even by root.
    bool makeReadOnly();
    // Fills the free space with a file of its own, so the next write fails with ENOSPC.
    void fill();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
