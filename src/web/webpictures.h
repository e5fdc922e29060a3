#pragma once
// The store's pictures as the web view serves them: only numbered pictures of the directories
// "1" to "64" below the store ("/store/7/capture31000.jpg"), each checked to be a plain file
// that really lies there (a link out of the store is refused), and their thumbnails, decoded
// at a fraction of their size and kept while the file stays as it is.

#include "shell/result.h"
#include "web/webpictureindex.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

class WebPictures
{
public:
    /// The path prefixes of the originals and of the thumbnails.
    static constexpr const char *OriginalPrefix = "/store/";
    static constexpr const char *ThumbnailPrefix = "/thumbs/";
    static constexpr int ThumbnailWidth = 160;
    static constexpr int ThumbnailHeight = 120;
    static constexpr std::size_t CachedThumbnails = 512;

    struct Picture
    {
        int directory = 0;
        int number = 0;
        QString path() const; // "7/capture31000.jpg"
    };

    /// The picture a path names after prefix: "D/captureN.jpg" with D from 1 to 64 and N a
    /// picture number, both without leading zeros; anything else names none.
    static std::optional<Picture> parse(QByteArrayView path, QByteArrayView prefix);

    /// store is the store directory; its real path is taken now.
    explicit WebPictures(const QString &store);

    /// An open descriptor of the picture's file, which the caller closes, and its size; none
    /// when it is missing, no plain file, or lies outside the store once links are followed.
    struct Opened
    {
        int fd = -1;
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds since the epoch
    };
    std::optional<Opened> open(const Picture &picture) const;
    /// The picture's thumbnail as a JPEG file, from the cache while the file is unchanged.
    Result<QByteArray> thumbnail(const Picture &picture);
    /// The store's pictures, newest first.
    std::shared_ptr<const WebPictureIndex::Entries> newestFirst();

private:
    struct Cached
    {
        qint64 modified = 0;
        qint64 size = 0;
        QByteArray jpeg;
        std::list<QString>::iterator age;
    };

    QByteArray m_root; // the store's real path, with a trailing "/"
    std::unique_ptr<WebPictureIndex> m_index;
    std::mutex m_mutex;
    std::unordered_map<QString, Cached> m_cache; // by path, under m_mutex
    std::list<QString> m_ages;                   // most recently used first
};
