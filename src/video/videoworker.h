#pragma once
// Runs a video job on a thread of its own, so that the window (or the command line's event
// loop) stays responsive. Its signals are emitted on the worker thread and reach receivers of
// other threads queued.

#include "video/videojob.h"

#include <QObject>

#include <atomic>
#include <thread>

class VideoWorker : public QObject
{
    Q_OBJECT
public:
    explicit VideoWorker(QObject *parent = nullptr);
    /// Cancels a job that still runs and waits for it to end (its work file removed).
    ~VideoWorker() override;

    /// Starts making the video; false while another job runs.
    bool start(const VideoSettings &settings);
    /// Asks the running job to stop after the picture at hand; finished() follows.
    void cancel();
    bool isRunning() const { return m_thread.joinable() && !m_ended; }

signals:
    void progressed(int done, int total);
    /// Once per job: the summary (cancelled or made) or the reason it failed.
    void finished(const VideoSummary &summary, const QString &error);

private:
    void join();

    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_ended{true};
};
