#pragma once
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <atomic>
#include <thread>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// Writes files of the given size into a folder and flushes each to the disk, over and over, so
// the stations' own flushes queue behind it.
class DiskStress {
public:
    DiskStress(const QString &folder, int megabytes) : m_folder(folder), m_megabytes(megabytes) {}
    ~DiskStress() { stop(); }
    void start()
    {
        m_thread = std::thread([this] { loop(); });
    }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    qint64 files() const { return m_files; }

private:
    void loop()
    {
        const QByteArray chunk(1 << 20, 'x');
        const QString path = QDir(m_folder).filePath(
            QStringLiteral("torvane-stress-%1.tmp").arg(QCoreApplication::applicationPid()));
        while (!m_stop) {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return;
            for (int i = 0; i < m_megabytes && !m_stop; ++i)
                f.write(chunk);
            f.flush();
#ifdef Q_OS_UNIX
            ::fsync(f.handle());
#endif
            f.close();
            QFile::remove(path);
            ++m_files;
        }
    }

    QString m_folder;
    int m_megabytes;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_files{0};
    std::thread m_thread;
};

