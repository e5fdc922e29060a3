#include "web/weblive.h"

#include "capture/jpegencoder.h"

#include <QDateTime>

#include <algorithm>

namespace {
constexpr std::chrono::seconds Heartbeat{1};

std::shared_ptr<const WebLive::Frame> compress(const QImage &image, quint64 sequence)
{
    std::vector<std::uint8_t> out;
    if (!JpegEncoder(WebLive::Quality).encode(image, out))
        return nullptr;
    return std::make_shared<const WebLive::Frame>(WebLive::Frame{
        sequence, QByteArray(reinterpret_cast<const char *>(out.data()), qsizetype(out.size()))});
}
} // namespace

WebLive::WebLive()
{
    // A dark stand-in until the run hands out its first frame.
    QImage standIn(320, 240, QImage::Format_RGB888);
    standIn.fill(QColor(40, 42, 48));
    m_latest = compress(standIn, 0);
    if (!m_latest)
        m_latest = std::make_shared<const Frame>();
    m_worker = std::thread([this] { work(); });
}

WebLive::~WebLive()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_worker.join();
}

void WebLive::takeFrame(const QImage &frame, const QDateTime &)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_viewers.empty()) {
            m_unwatched = frame; // nobody watches: nothing is compressed
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastKept < FramePeriod)
            return;
        m_lastKept = now;
        m_pending = frame; // shares the pixels; a frame not yet compressed is replaced
    }
    m_changed.notify_all();
}

std::shared_ptr<const WebLive::Frame> WebLive::latest() const
{
    std::lock_guard lock(m_mutex);
    return m_latest;
}

bool WebLive::preparing() const
{
    std::lock_guard lock(m_mutex);
    return m_compressing || !m_pending.isNull();
}

void WebLive::addViewer(std::shared_ptr<Viewer> viewer)
{
    std::lock_guard lock(m_mutex);
    if (m_viewers.empty() && !m_unwatched.isNull())
        m_pending = std::exchange(m_unwatched, QImage()); // what the first viewer sees first
    m_viewers.push_back(std::move(viewer));
    m_viewerCount = int(m_viewers.size());
    m_changed.notify_all();
}

void WebLive::removeViewer(const Viewer *viewer)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_viewers, [viewer](const auto &v) { return v.get() == viewer; });
    m_viewerCount = int(m_viewers.size());
}

void WebLive::waitForWakes()
{
    std::lock_guard lock(m_waking);
}

int WebLive::viewers() const
{
    return m_viewerCount.load();
}

quint64 WebLive::encodedFrames() const
{
    return m_encoded.load();
}

void WebLive::wakeAll()
{
    std::vector<std::shared_ptr<Viewer>> viewers;
    std::lock_guard waking(m_waking);
    {
        std::lock_guard lock(m_mutex);
        viewers = m_viewers;
    }
    for (const auto &viewer : viewers)
        viewer->wake();
}

void WebLive::work()
{
    std::unique_lock lock(m_mutex);
    quint64 sequence = 0;
    while (!m_stopping) {
        // Without viewers it sleeps until one comes; with them, it beats once a second.
        if (m_viewers.empty())
            m_changed.wait(lock, [this] { return m_stopping || !m_viewers.empty(); });
        else
            m_changed.wait_for(lock, Heartbeat,
                               [this] { return m_stopping || !m_pending.isNull(); });
        if (m_stopping)
            break;
        const QImage frame = std::exchange(m_pending, QImage());
        m_compressing = !frame.isNull();
        lock.unlock();
        std::shared_ptr<const Frame> compressed;
        if (!frame.isNull())
            compressed = compress(frame, ++sequence);
        lock.lock();
        if (compressed) {
            ++m_encoded;
            m_latest = std::move(compressed);
        }
        m_compressing = false;
        lock.unlock();
        wakeAll();
        lock.lock();
    }
}
