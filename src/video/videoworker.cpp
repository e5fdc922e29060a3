#include "video/videoworker.h"

VideoWorker::VideoWorker(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<VideoSummary>();
}

VideoWorker::~VideoWorker()
{
    cancel();
    join();
}

bool VideoWorker::start(const VideoSettings &settings)
{
    if (isRunning())
        return false;
    join();
    m_cancel = false;
    m_ended = false;
    m_thread = std::thread([this, job = VideoJob(settings)] {
        const Result<VideoSummary> result =
            job.run([this](int done, int total) { emit progressed(done, total); }, m_cancel);
        m_ended = true;
        emit finished(result.value_or(VideoSummary{}), result ? QString() : result.error());
    });
    return true;
}

void VideoWorker::cancel()
{
    m_cancel = true;
}

void VideoWorker::join()
{
    if (m_thread.joinable())
        m_thread.join();
}
