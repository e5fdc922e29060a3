#include "viewer/picturereadahead.h"

#include "shell/timer/threadpriority.h"

#include <chrono>
#include <unistd.h>

namespace {
// Less than the time between two repeats of a held key (40 ms at the X server's default).
constexpr std::chrono::milliseconds StartDelay(10);

// Drawn at its own size, a picture costs each paint no more than a copy; the view draws it
// without smoothing, as this scales it.
QImage atDrawnSize(QImage picture, QSize box)
{
    if (!box.isValid())
        return picture;
    const QSize drawn = drawnSize(picture.size(), box);
    if (drawn == picture.size() || drawn.isEmpty())
        return picture;
    return picture.scaled(drawn, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
} // namespace

PictureReadAhead::PictureReadAhead(const PictureSource &pictures) : m_pictures(pictures) {}

PictureReadAhead::~PictureReadAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool PictureReadAhead::exists(int directory, int n) const
{
    return m_pictures.exists(directory, n);
}

Result<QImage> PictureReadAhead::load(int directory, int n) const
{
    return m_pictures.load(directory, n);
}

Result<QString> PictureReadAhead::timeStamp(int directory, int n) const
{
    // A step asks twice, once as the position changes and once for the step itself.
    const QByteArray identity = m_pictures.fileIdentity(directory, n);
    const auto same = [&](int d, int k, const QByteArray &id) {
        return d == directory && k == n && !identity.isEmpty() && id == identity;
    };
    if (m_lastStamp && same(m_lastStamp->directory, m_lastStamp->n, m_lastStamp->identity))
        return m_lastStamp->text;
    QString text;
    {
        const std::lock_guard lock(m_mutex);
        if (m_done && same(m_done->key.directory, m_done->key.n, m_done->identity))
            text = m_done->timeStamp;
    }
    if (text.isEmpty()) {
        const Result<QString> read = m_pictures.timeStamp(directory, n);
        if (!read || identity.isEmpty())
            return read;
        text = *read;
    }
    m_lastStamp = Stamp{directory, n, identity, text};
    return text;
}

QByteArray PictureReadAhead::fileIdentity(int directory, int n) const
{
    return m_pictures.fileIdentity(directory, n);
}

Result<QImage> PictureReadAhead::loadScaled(int directory, int n, QSize box) const
{
    const Key key{directory, n, box};
    std::optional<Decoded> ready;
    {
        std::unique_lock lock(m_mutex);
        // One being decoded is nearer its end than a decode begun here.
        m_changed.wait(lock, [&] { return m_decoding != key; });
        if (m_wanted == key)
            m_wanted.reset(); // read here instead
        if (m_done && m_done->key == key)
            ready.swap(m_done);
    }
    if (ready && ready->identity == m_pictures.fileIdentity(directory, n))
        return std::move(ready->picture);
    Result<QImage> picture = m_pictures.loadScaled(directory, n, box);
    if (picture)
        *picture = atDrawnSize(std::move(*picture), box);
    return picture;
}

void PictureReadAhead::readAhead(int directory, int n, QSize box)
{
    const Key key{directory, n, box};
    {
        const std::lock_guard lock(m_mutex);
        if (m_decoding == key || (m_done && m_done->key == key))
            return;
        m_done.reset(); // one picture's memory at a time
        m_wanted = key;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_changed.notify_all();
}

void PictureReadAhead::clear()
{
    m_lastStamp.reset();
    const std::lock_guard lock(m_mutex);
    m_wanted.reset();
    m_done.reset();
    ++m_generation;
}

void PictureReadAhead::run()
{
    // Below the user-interface thread, so that the step on show is never kept waiting by the
    // one after it.
    applyThreadPriority(pid_t(::gettid()), ThreadPriority::Lower, threadNiceValue(::getpid()));
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || m_wanted; });
        // Begun a little after the step that asked, once its picture is painted: a decode
        // beside the paint slows both, sharing the memory they go through.
        m_changed.wait_for(lock, StartDelay, [this] { return m_stopping; });
        if (m_stopping)
            return;
        if (!m_wanted)
            continue; // the step came first and read it itself
        const Key key = *m_wanted;
        const unsigned generation = m_generation;
        m_wanted.reset();
        m_decoding = key;
        lock.unlock();
        // The identity before the read: a file replaced while it is read then tells itself
        // apart from the one decoded, and that one is not used.
        QByteArray identity = m_pictures.fileIdentity(key.directory, key.n);
        Result<QImage> picture = identity.isEmpty()
                                     ? Result<QImage>(failure(QString()))
                                     : m_pictures.loadScaled(key.directory, key.n, key.box);
        QString stamp;
        if (picture) {
            *picture = atDrawnSize(std::move(*picture), key.box);
            if (const Result<QString> read = m_pictures.timeStamp(key.directory, key.n))
                stamp = *read;
        }
        lock.lock();
        m_decoding.reset();
        // A failure is left to the read the step makes, which reports it.
        if (picture && generation == m_generation && !m_wanted)
            m_done = Decoded{key, std::move(identity), std::move(*picture), std::move(stamp)};
        m_changed.notify_all();
    }
}
