#pragma once
// Decodes a page's thumbnails on worker threads, so that paging never freezes the viewer. The
// pictures reach the user-interface thread in page order; a new page drops what is left of the
// one before, whose late results are never delivered. The workers hand over through the
// standard library's locks alone, so that ThreadSanitizer sees every hand-over.

#include "shell/result.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class PictureSource;

class ThumbnailLoader : public QObject
{
    Q_OBJECT
public:
    /// The source is read from the workers; it outlives the loader.
    explicit ThumbnailLoader(PictureSource &pictures, QObject *parent = nullptr);
    ~ThumbnailLoader() override;

    /// Decodes pictures start to start + count - 1 of the directory, each for a box of that
    /// size, in place of any page still loading.
    void load(int directory, int start, int count, QSize box);
    /// Drops the page loading, if any: nothing more of it is delivered.
    void cancel();
    /// A page is loading: not all of its pictures were delivered yet.
    bool loading() const { return m_current != nullptr; }

signals:
    /// Picture index (0 for start) was decoded; the ones before it were delivered already.
    void pictureReady(int index, const QImage &picture);
    /// Picture index could not be decoded; the page ends there, without finished().
    void pictureFailed(int index, const QString &reason);
    /// Every picture of the page was delivered.
    void finished();

private:
    struct Batch;
    struct Job
    {
        std::shared_ptr<Batch> batch;
        int index = 0;
    };
    void work();
    void decode(const Job &job);
    /// Delivers what the current page has ready, in order; posted by the workers.
    Q_INVOKABLE void deliverReady();

    PictureSource &m_pictures;
    std::mutex m_mutex; // guards the jobs and stopping
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::vector<std::thread> m_workers; // started with the first page
    std::shared_ptr<Batch> m_current;   // the page being delivered; touched on this thread only
};
