#include "web/webpictureindex.h"

#include "shell/picturenames.h"
#include "web/webpictures.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {
qint64 nanoseconds(const struct timespec &t)
{
    return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool newer(const WebPictureIndex::Entry &a, const WebPictureIndex::Entry &b)
{
    if (a.modified != b.modified)
        return a.modified > b.modified;
    if (a.number != b.number)
        return a.number > b.number;
    return a.directory > b.directory;
}
} // namespace

static_assert(PictureStore::DirectoryCount == 64);

WebPictureIndex::WebPictureIndex(QByteArray root)
    : m_root(std::move(root)), m_list(std::make_shared<const Entries>())
{}

bool WebPictureIndex::readDirectory(int directory, Directory &into) const
{
    const QByteArray path = m_root + QByteArray::number(directory);
    // Links are not followed: a directory or picture that is a link is no part of the store.
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0)
            ::close(fd);
        const bool changed = into.modified != -1;
        into = Directory{};
        return changed;
    }
    if (nanoseconds(st.st_mtim) == into.modified) {
        ::close(fd);
        return false;
    }
    into.modified = nanoseconds(st.st_mtim);
    into.entries.clear();
    DIR *dir = ::fdopendir(fd); // owns fd from here on
    if (!dir) {
        ::close(fd);
        return true;
    }
    const QByteArray prefix = QByteArray::number(directory) + '/';
    while (const dirent *entry = ::readdir(dir)) {
        const std::optional<WebPictures::Picture> picture =
            WebPictures::parse(QByteArray(prefix + entry->d_name), "");
        struct stat file;
        if (!picture || ::fstatat(::dirfd(dir), entry->d_name, &file, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(file.st_mode))
            continue;
        into.entries.push_back(Entry{directory, picture->number, nanoseconds(file.st_mtim)});
    }
    ::closedir(dir);
    return true;
}

std::shared_ptr<const WebPictureIndex::Entries> WebPictureIndex::newestFirst()
{
    std::lock_guard lock(m_mutex);
    if (m_root.isEmpty())
        return m_list;
    bool changed = false;
    for (int d = 1; d <= PictureStore::DirectoryCount; ++d)
        changed = readDirectory(d, m_directories[d - 1]) || changed;
    if (!changed)
        return m_list;
    auto list = std::make_shared<Entries>();
    for (const Directory &directory : m_directories)
        list->insert(list->end(), directory.entries.begin(), directory.entries.end());
    std::sort(list->begin(), list->end(), newer);
    m_list = std::move(list);
    return m_list;
}

std::optional<std::size_t> WebPictureIndex::find(const Entries &list, int directory, int number)
{
    const auto found = std::find_if(list.begin(), list.end(), [&](const Entry &e) {
        return e.directory == directory && e.number == number;
    });
    if (found == list.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - list.begin());
}
