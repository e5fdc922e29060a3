#pragma once
// Removes files on a thread of its own, for a caller that must not wait while the file system
// frees a replaced picture's blocks: on a disk mounted with online discard that takes several
// milliseconds, longer than writing the new picture. On the same thread it keeps an empty file
// ready for the next picture, as making one costs the file system a new inode and its journal.

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class FileReleaser
{
public:
    FileReleaser() = default;
    /// Removes whatever is still queued, and the spare no one took, before it returns.
    ~FileReleaser();
    FileReleaser(const FileReleaser &) = delete;
    FileReleaser &operator=(const FileReleaser &) = delete;

    /// Queues the file (a local path in the file system's encoding) for removal; a file
    /// that has gone meanwhile is no matter.
    void release(QByteArray path);
    /// Waits until every file queued so far is removed.
    void waitUntilDone();

    /// An empty file, open for writing.
    struct Spare
    {
        QByteArray path; // empty: none
        int fd = -1;
    };
    /// From now on an empty file is kept ready in directory (in the file system's encoding):
    /// ".replaced.capture.jpg.<random>.tmp", a name the next start removes should it be left.
    void keepSpares(QByteArray directory);
    /// The spare file, now the caller's to close; none when none is ready (yet). The next one
    /// is made once the caller says it is done in the directory (renewSpare): made meanwhile,
    /// it would hold up the caller's own rename there.
    Spare takeSpare();
    void renewSpare();
    /// Waits until a spare is ready, or making one failed.
    void waitForSpare();

private:
    void run();
    void startLocked();
    static Spare makeSpare(const QByteArray &directory);

    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_done;
    std::deque<QByteArray> m_paths;
    bool m_removing = false;
    bool m_stopping = false;
    QByteArray m_spareDirectory; // empty: no spares kept
    Spare m_spare;               // the one ready, if any
    bool m_spareFailed = false;  // the last attempt failed: tried again after the next take
    std::thread m_thread;        // started with the first file or spare
};
