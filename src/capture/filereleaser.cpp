#include "capture/filereleaser.h"

#include <unistd.h>

FileReleaser::~FileReleaser()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_queued.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void FileReleaser::release(QByteArray path)
{
    {
        const std::lock_guard lock(m_mutex);
        m_paths.push_back(std::move(path));
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_queued.notify_one();
}

void FileReleaser::waitUntilDone()
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return m_paths.empty() && !m_removing; });
}

void FileReleaser::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_queued.wait(lock, [this] { return m_stopping || !m_paths.empty(); });
        if (m_paths.empty())
            return; // stopping, with nothing left
        const QByteArray path = std::move(m_paths.front());
        m_paths.pop_front();
        m_removing = true;
        lock.unlock();
        ::unlink(path.constData()); // a link of our own: only a vanished one can fail
        lock.lock();
        m_removing = false;
        if (m_paths.empty())
            m_done.notify_all();
    }
}
