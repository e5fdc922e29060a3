#include "web/webpictures.h"

#include "capture/jpegdecoder.h"
#include "capture/jpegencoder.h"
#include "shell/picturenames.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace {
constexpr int ThumbnailQuality = 80;

// A decimal number without sign or leading zero, within [low, high].
std::optional<int> plainNumber(QByteArrayView digits, int low, int high)
{
    if (digits.isEmpty() || digits.size() > 9 || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

QByteArray realPath(const QByteArray &path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.constData(), resolved) ? QByteArray(resolved) : QByteArray();
}
} // namespace

QString WebPictures::Picture::path() const
{
    return PictureStore::PicturePath(directory, number);
}

std::optional<WebPictures::Picture> WebPictures::parse(QByteArrayView path, QByteArrayView prefix)
{
    if (!path.startsWith(prefix))
        return std::nullopt;
    const QByteArrayView rest = path.sliced(prefix.size());
    const qsizetype slash = rest.indexOf('/');
    constexpr QByteArrayView name = "capture";
    constexpr QByteArrayView extension = ".jpg";
    if (slash < 0)
        return std::nullopt;
    const QByteArrayView file = rest.sliced(slash + 1);
    if (!file.startsWith(name) || !file.endsWith(extension))
        return std::nullopt;
    const std::optional<int> directory =
        plainNumber(rest.first(slash), 1, PictureStore::DirectoryCount);
    const std::optional<int> number =
        plainNumber(file.sliced(name.size(), file.size() - name.size() - extension.size()), 0,
                    PictureStore::StoreCapacity - 1);
    if (!directory || !number)
        return std::nullopt;
    return Picture{*directory, *number};
}

WebPictures::WebPictures(const QString &store)
{
    m_root = realPath(QFile::encodeName(store));
    if (!m_root.isEmpty() && !m_root.endsWith('/'))
        m_root += '/';
    m_index = std::make_unique<WebPictureIndex>(m_root);
}

std::shared_ptr<const WebPictureIndex::Entries> WebPictures::newestFirst()
{
    return m_index->newestFirst();
}

std::optional<WebPictures::Opened> WebPictures::open(const Picture &picture) const
{
    // Links are followed to their end first: what is opened must lie below the store's
    // directory of that number, as a plain file.
    if (m_root.isEmpty())
        return std::nullopt; // the store could not be found at start
    const QByteArray asked = m_root + QFile::encodeName(picture.path());
    const QByteArray real = realPath(asked);
    const QByteArray directory = m_root + QByteArray::number(picture.directory) + '/';
    if (real.isEmpty() || !real.startsWith(directory) || real.indexOf('/', directory.size()) >= 0)
        return std::nullopt;
    const int fd = ::open(real.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    return Opened{fd, static_cast<qint64>(st.st_size),
                  static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

Result<QByteArray> WebPictures::thumbnail(const Picture &picture)
{
    const std::optional<Opened> opened = open(picture);
    if (!opened)
        return failure(QStringLiteral("There is no picture %1.").arg(picture.path()));
    QFile file;
    if (!file.open(opened->fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return failure(file.errorString());
    const QString key = picture.path();
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_cache.find(key);
        if (found != m_cache.end() && found->second.modified == opened->modified &&
            found->second.size == opened->size) {
            m_ages.splice(m_ages.begin(), m_ages, found->second.age);
            return found->second.jpeg;
        }
    }
    JpegDecoder decoder;
    decoder.setMinimumSize(QSize(ThumbnailWidth, ThumbnailHeight));
    const Result<QImage> decoded = decoder.decode(file.readAll());
    if (!decoded)
        return failure(QStringLiteral("%1: %2").arg(key, decoded.error()));
    QImage small = *decoded;
    if (small.width() > ThumbnailWidth || small.height() > ThumbnailHeight)
        small = small.scaled(ThumbnailWidth, ThumbnailHeight, Qt::KeepAspectRatio,
                             Qt::SmoothTransformation);
    std::vector<std::uint8_t> jpeg;
    if (const Result<> encoded = JpegEncoder(ThumbnailQuality).encode(small, jpeg); !encoded)
        return failure(QStringLiteral("%1: %2").arg(key, encoded.error()));
    QByteArray bytes(reinterpret_cast<const char *>(jpeg.data()), qsizetype(jpeg.size()));

    std::lock_guard lock(m_mutex);
    if (const auto old = m_cache.find(key); old != m_cache.end()) {
        m_ages.erase(old->second.age);
        m_cache.erase(old);
    }
    m_ages.push_front(key);
    m_cache[key] = Cached{opened->modified, opened->size, bytes, m_ages.begin()};
    if (m_cache.size() > CachedThumbnails) {
        m_cache.erase(m_ages.back());
        m_ages.pop_back();
    }
    return bytes;
}
