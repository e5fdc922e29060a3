#pragma once
// Removes files on a thread of its own, for a caller that must not wait while the file system
// frees a replaced picture's blocks: on a disk mounted with online discard that takes several
// milliseconds, longer than writing the new picture.

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class FileReleaser
{
public:
    FileReleaser() = default;
    /// Removes whatever is still queued before it returns.
    ~FileReleaser();
    FileReleaser(const FileReleaser &) = delete;
    FileReleaser &operator=(const FileReleaser &) = delete;

    /// Queues the file (a local path in the file system's encoding) for removal; a file
    /// that has gone meanwhile is no matter.
    void release(QByteArray path);
    /// Waits until every file queued so far is removed.
    void waitUntilDone();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_done;
    std::deque<QByteArray> m_paths;
    bool m_removing = false;
    bool m_stopping = false;
    std::thread m_thread; // started with the first file
};
