#include "capture/service/frameworker.h"

FrameWorker::FrameWorker(FrameSource &source, QSize frameSize, Notify notify,
                         std::chrono::milliseconds silence)
    : m_source(source), m_frameSize(frameSize), m_notify(std::move(notify)), m_silence(silence)
{}

FrameWorker::~FrameWorker()
{
    stop();
}

void FrameWorker::start()
{
    if (m_thread.joinable())
        return;
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
}

void FrameWorker::stop()
{
    m_stopping = true;
    m_source.interrupt();
    m_arrived.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void FrameWorker::run()
{
    using Clock = std::chrono::steady_clock;
    QImage frame; // the source fills it, or a fresh image while the program holds this one
    Clock::time_point lastFrame = Clock::now();
    while (!m_stopping) {
        const FrameSource::ReadResult result = m_source.readFrame(frame);
        if (result.status == FrameSource::Read::Frame) {
            lastFrame = Clock::now();
            publish(frame);
        } else if (result.status == FrameSource::Read::Lost) {
            markLost(result.reason);
            return;
        } else if (m_silence > m_silence.zero() && Clock::now() - lastFrame >= m_silence) {
            // A driver that hangs keeps its device and reports nothing: only silence tells.
            markLost(QStringLiteral("The camera stopped sending pictures: none arrived within "
                                    "%1 ms")
                         .arg(m_silence.count()),
                     true);
            return;
        }
    }
}

void FrameWorker::publish(QImage &frame)
{
    if (frame.size() != m_frameSize || frame.format() != QImage::Format_BGR888)
        return; // never hand on a frame of another size than the one agreed
    {
        const std::lock_guard lock(m_mutex);
        m_newest.swap(frame);
        ++m_sequence;
    }
    m_arrived.notify_all();
    notifyOnce();
}

void FrameWorker::markLost(const QString &reason, bool silent)
{
    {
        const std::lock_guard lock(m_mutex);
        m_lost = true;
        m_silent = silent;
        m_lostReason = reason;
    }
    m_arrived.notify_all();
    notifyOnce();
}

// At most one notification waits in the user-interface thread's queue at a time.
void FrameWorker::notifyOnce()
{
    if (!m_notifyPending.exchange(true) && m_notify)
        m_notify();
}

void FrameWorker::acknowledge()
{
    m_notifyPending = false;
}

std::uint64_t FrameWorker::newestSequence() const
{
    const std::lock_guard lock(m_mutex);
    return m_sequence;
}

bool FrameWorker::takeNewer(std::uint64_t &sequence, QImage &into)
{
    const std::lock_guard lock(m_mutex);
    if (m_sequence <= sequence)
        return false;
    into.swap(m_newest);
    sequence = m_sequence;
    return true;
}

bool FrameWorker::waitForNewer(std::uint64_t sequence, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    m_arrived.wait_for(lock, timeout,
                       [&] { return m_sequence > sequence || m_lost || m_stopping; });
    return m_sequence > sequence;
}

bool FrameWorker::lost() const
{
    const std::lock_guard lock(m_mutex);
    return m_lost;
}

QString FrameWorker::lostReason() const
{
    const std::lock_guard lock(m_mutex);
    return m_lostReason;
}

bool FrameWorker::wentSilent() const
{
    const std::lock_guard lock(m_mutex);
    return m_silent;
}
