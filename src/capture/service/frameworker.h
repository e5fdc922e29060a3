#pragma once
// The capture thread: reads frames from a source, keeps the newest one under a mutex and
// tells the user-interface thread that there is something new, or that the source is lost:
// gone, or silent for longer than it may be. It takes no other decisions.
// Frames change hands by swapping images, never by copying pixels.

#include "capture/service/framesource.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class FrameWorker
{
public:
    /// Called on the capture thread; it must only post to the user-interface thread.
    using Notify = std::function<void()>;

    /// Frames of another size than frameSize are never handed on. A source that gives no frame
    /// for silence (from the start, or since its last frame) counts as lost; zero: never.
    FrameWorker(FrameSource &source, QSize frameSize, Notify notify,
                std::chrono::milliseconds silence = std::chrono::milliseconds::zero());
    ~FrameWorker();
    FrameWorker(const FrameWorker &) = delete;
    FrameWorker &operator=(const FrameWorker &) = delete;

    void start();
    /// Ends the capture thread; returns within about one read of the source.
    void stop();

    /// The user-interface thread has seen the last notification; the next frame posts again.
    void acknowledge();

    /// Frames are numbered from 1 as they arrive; 0 means none yet.
    std::uint64_t newestSequence() const;
    /// Swaps the newest frame into `into` when it is newer than `sequence`, which is then set to
    /// its number; the capture thread gets the image `into` held for a later frame.
    bool takeNewer(std::uint64_t &sequence, QImage &into);
    /// Waits until a frame newer than `sequence` arrives; false on time-out or a lost source.
    bool waitForNewer(std::uint64_t sequence, std::chrono::milliseconds timeout);

    bool lost() const;
    QString lostReason() const;
    /// Lost because no frame came for the silence given, while the source itself stayed.
    bool wentSilent() const;

private:
    void run();
    void publish(QImage &frame);
    void markLost(const QString &reason, bool silent = false);
    void notifyOnce();

    FrameSource &m_source;
    QSize m_frameSize;
    Notify m_notify;
    std::chrono::milliseconds m_silence;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_notifyPending{false};

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    QImage m_newest;
    std::uint64_t m_sequence = 0;
    bool m_lost = false;
    bool m_silent = false;
    QString m_lostReason;
};
