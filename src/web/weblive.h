#pragma once
// The live picture of the web view: the run's frames, at most five a second, each compressed
// once on a thread of its own for every viewer together, and only while someone watches. A
// viewer is woken when a new frame is ready, and once a second without one, so that a stream
// can repeat its last frame now and then and learn that its client has gone.

#include "capture/framesink.h"

#include <QByteArray>
#include <QImage>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class WebLive : public FrameSink
{
public:
    static constexpr std::chrono::milliseconds FramePeriod{200};
    static constexpr int Quality = 80;

    struct Frame
    {
        quint64 sequence = 0; // 0: the stand-in shown before the first frame
        QByteArray jpeg;
    };

    class Viewer
    {
    public:
        virtual ~Viewer() = default;
        /// Called from the live view's thread; must not wait for anything.
        virtual void wake() = 0;
    };

    WebLive();
    ~WebLive() override;
    WebLive(const WebLive &) = delete;
    WebLive &operator=(const WebLive &) = delete;

    /// From the thread that grabs: compressed only while a viewer watches and the last frame
    /// kept is at least FramePeriod old. Without viewers the newest frame is only held (its
    /// pixels shared), to be compressed once for the first viewer that comes.
    void takeFrame(const QImage &frame, const QDateTime &grabbed) override;

    /// The newest compressed frame; never null.
    std::shared_ptr<const Frame> latest() const;
    /// Whether a frame is waiting to be compressed or being compressed.
    bool preparing() const;

    /// A viewer is kept (and woken) until it is removed.
    void addViewer(std::shared_ptr<Viewer> viewer);
    void removeViewer(const Viewer *viewer);
    /// Returns once no wake that began before is still running.
    void waitForWakes();
    int viewers() const;
    /// How many frames were compressed since the start.
    quint64 encodedFrames() const;

private:
    void work();
    void wakeAll();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QImage m_pending;   // under m_mutex
    QImage m_unwatched; // under m_mutex: the newest frame that came while nobody watched
    bool m_stopping = false;
    bool m_compressing = false;                     // under m_mutex
    std::shared_ptr<const Frame> m_latest;          // under m_mutex
    std::vector<std::shared_ptr<Viewer>> m_viewers; // under m_mutex
    std::atomic<int> m_viewerCount = 0;
    std::atomic<quint64> m_encoded = 0;
    std::chrono::steady_clock::time_point m_lastKept; // under m_mutex
    std::mutex m_waking;                              // held while viewers are woken
    std::thread m_worker;
};
