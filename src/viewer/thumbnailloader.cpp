#include "viewer/thumbnailloader.h"

#include "viewer/picturesource.h"

#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <optional>

struct ThumbnailLoader::Batch
{
    int directory = 0;
    int start = 0;
    QSize box;
    std::atomic<bool> cancelled{false};
    std::mutex mutex; // guards results
    std::vector<std::optional<Result<QImage>>> results;
    int delivered = 0; // the user-interface thread's own
};

ThumbnailLoader::ThumbnailLoader(PictureSource &pictures, QObject *parent)
    : QObject(parent), m_pictures(pictures)
{}

ThumbnailLoader::~ThumbnailLoader()
{
    // The workers post to this object: none may still run once it is gone.
    cancel();
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &worker : m_workers)
        worker.join();
}

void ThumbnailLoader::load(int directory, int start, int count, QSize box)
{
    cancel();
    if (count <= 0) {
        emit finished();
        return;
    }
    auto batch = std::make_shared<Batch>();
    batch->directory = directory;
    batch->start = start;
    batch->box = box;
    batch->results.resize(std::size_t(count));
    m_current = batch;
    {
        const std::lock_guard lock(m_mutex);
        for (int i = 0; i < count; ++i)
            m_jobs.push_back({batch, i});
        // Two decoders keep a page well inside its time on two cores and leave the window its
        // own.
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        while (m_workers.size() < std::min(2u, cores))
            m_workers.emplace_back([this] { work(); });
    }
    m_wake.notify_all();
}

void ThumbnailLoader::cancel()
{
    if (m_current)
        m_current->cancelled = true;
    m_current.reset();
    const std::lock_guard lock(m_mutex);
    m_jobs.clear(); // the decodes not begun yet
}

void ThumbnailLoader::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_stopping)
            return;
        const Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        decode(job);
        lock.lock();
    }
}

void ThumbnailLoader::decode(const Job &job)
{
    Batch &batch = *job.batch;
    if (batch.cancelled)
        return;
    Result<QImage> picture =
        m_pictures.loadScaled(batch.directory, batch.start + job.index, batch.box);
    {
        const std::lock_guard lock(batch.mutex);
        batch.results[std::size_t(job.index)] = std::move(picture);
    }
    // By name: the call carries nothing, what it delivers goes through the batch's lock.
    QMetaObject::invokeMethod(this, "deliverReady", Qt::QueuedConnection);
}

void ThumbnailLoader::deliverReady()
{
    // A slot below may ask for another page: this one is then no longer current.
    const std::shared_ptr<Batch> batch = m_current;
    if (!batch)
        return;
    const int count = int(batch->results.size());
    while (batch == m_current && batch->delivered < count) {
        std::optional<Result<QImage>> next;
        {
            const std::lock_guard lock(batch->mutex);
            next.swap(batch->results[std::size_t(batch->delivered)]);
        }
        if (!next)
            return; // an earlier picture is still being decoded
        const int index = batch->delivered++;
        if (!*next) {
            cancel();
            emit pictureFailed(index, next->error());
            return;
        }
        emit pictureReady(index, **next);
    }
    if (batch == m_current) {
        m_current.reset();
        emit finished();
    }
}
