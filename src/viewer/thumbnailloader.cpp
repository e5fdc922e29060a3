#include "viewer/thumbnailloader.h"

#include "viewer/picturesource.h"

#include <QMetaObject>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

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
{
    // Two decoders keep a page well inside its time on two cores and leave the window its own.
    m_pool.setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 2));
}

ThumbnailLoader::~ThumbnailLoader()
{
    // The workers post to this object: none may still run once it is gone.
    cancel();
    m_pool.waitForDone();
}

void ThumbnailLoader::load(int directory, int start, int count, QSize box)
{
    cancel();
    auto batch = std::make_shared<Batch>();
    batch->directory = directory;
    batch->start = start;
    batch->box = box;
    batch->results.resize(std::size_t(std::max(0, count)));
    m_current = batch;
    if (count <= 0) {
        m_current.reset();
        emit finished();
        return;
    }
    for (int i = 0; i < count; ++i)
        m_pool.start([this, batch, i] { decode(batch, i); });
}

void ThumbnailLoader::cancel()
{
    if (m_current)
        m_current->cancelled = true;
    m_current.reset();
    m_pool.clear(); // the decodes not begun yet
}

void ThumbnailLoader::decode(const std::shared_ptr<Batch> &batch, int index)
{
    if (batch->cancelled)
        return;
    Result<QImage> picture =
        m_pictures.loadScaled(batch->directory, batch->start + index, batch->box);
    {
        const std::lock_guard lock(batch->mutex);
        batch->results[std::size_t(index)] = std::move(picture);
    }
    QMetaObject::invokeMethod(
        this, [this, batch] { deliver(batch); }, Qt::QueuedConnection);
}

void ThumbnailLoader::deliver(const std::shared_ptr<Batch> &batch)
{
    const int count = int(batch->results.size());
    // A slot below may ask for another page: this one is then no longer current.
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
