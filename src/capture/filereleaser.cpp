#include "capture/filereleaser.h"

#include <fcntl.h>
#include <random>
#include <unistd.h>
#include <utility>

FileReleaser::~FileReleaser()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_queued.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (m_spare.fd >= 0) {
        ::close(m_spare.fd);
        ::unlink(m_spare.path.constData());
    }
}

void FileReleaser::startLocked()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

void FileReleaser::release(QByteArray path)
{
    {
        const std::lock_guard lock(m_mutex);
        m_paths.push_back(std::move(path));
        startLocked();
    }
    m_queued.notify_one();
}

void FileReleaser::waitUntilDone()
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return m_paths.empty() && !m_removing; });
}

void FileReleaser::keepSpares(QByteArray directory)
{
    {
        const std::lock_guard lock(m_mutex);
        m_spareDirectory = std::move(directory);
        m_spareFailed = false;
        startLocked();
    }
    m_queued.notify_one();
}

FileReleaser::Spare FileReleaser::takeSpare()
{
    const std::lock_guard lock(m_mutex);
    m_spareFailed = false; // worth another try: the disk may have room again
    return std::exchange(m_spare, Spare{});
}

void FileReleaser::renewSpare()
{
    m_queued.notify_one();
}

void FileReleaser::waitForSpare()
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock,
                [this] { return m_spareDirectory.isEmpty() || m_spare.fd >= 0 || m_spareFailed; });
}

FileReleaser::Spare FileReleaser::makeSpare(const QByteArray &directory)
{
    // Lower-case base 36, as the writer's own temporaries, so that the next start knows it.
    static constexpr char Digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
        QByteArray name = directory + "/.replaced.capture.jpg.";
        for (std::uint32_t n = random(); n != 0; n /= 36)
            name += Digits[n % 36];
        name += ".tmp";
        // O_EXCL keeps us off anyone else's file; mode 0666 lets the umask decide. Kept open,
        // it is the very file made here that the writer gets, and opening it again costs the
        // writer a look-up of its name.
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return {std::move(name), fd};
        if (errno != EEXIST)
            break;
    }
    return {};
}

void FileReleaser::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto spareWanted = [this] {
            return !m_spareDirectory.isEmpty() && m_spare.fd < 0 && !m_spareFailed;
        };
        m_queued.wait(lock, [&] { return m_stopping || !m_paths.empty() || spareWanted(); });
        if (m_paths.empty() && m_stopping)
            return; // stopping, with nothing left
        if (!m_paths.empty()) {
            const QByteArray path = std::move(m_paths.front());
            m_paths.pop_front();
            m_removing = true;
            lock.unlock();
            ::unlink(path.constData()); // a link of our own: only a vanished one can fail
            lock.lock();
            m_removing = false;
        } else {
            const QByteArray directory = m_spareDirectory;
            lock.unlock();
            Spare spare = makeSpare(directory);
            lock.lock();
            if (spare.fd < 0) {
                m_spareFailed = true;
            } else if (m_stopping || directory != m_spareDirectory || m_spare.fd >= 0) {
                ::close(spare.fd); // no longer wanted
                ::unlink(spare.path.constData());
            } else {
                m_spare = std::move(spare);
            }
        }
        m_done.notify_all();
    }
}
