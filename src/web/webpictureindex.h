#pragma once
// The store's numbered pictures, newest first across the directories "1" to "64", for the web
// view's pages. A directory is read again only when its own time has changed (every picture
// written or removed changes it), so a page of a large store that has not changed is cheap.

#include <QByteArray>

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class WebPictureIndex
{
public:
    struct Entry
    {
        int directory = 0;
        int number = 0;
        qint64 modified = 0; // nanoseconds since the epoch
    };
    using Entries = std::vector<Entry>;

    /// root: the store's real path with a trailing "/" (empty: a store that was not found).
    explicit WebPictureIndex(QByteArray root);

    /// Every plain file "D/captureN.jpg" of the store, newest first (the higher number first
    /// between equal times). Safe from any thread; the list handed out never changes.
    std::shared_ptr<const Entries> newestFirst();

    /// The place of a picture in list, or none when it is not there.
    static std::optional<std::size_t> find(const Entries &list, int directory, int number);

private:
    struct Directory
    {
        qint64 modified = -1; // of the directory itself; -1: not read yet or missing
        Entries entries;
    };
    bool readDirectory(int directory, Directory &into) const;

    QByteArray m_root;
    std::mutex m_mutex;
    std::array<Directory, 64> m_directories; // under m_mutex
    std::shared_ptr<const Entries> m_list;   // under m_mutex
};
