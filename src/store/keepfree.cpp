#include "store/keepfree.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <sys/statvfs.h>

std::optional<qint64> WorkingDirectorySpace::availableBytes()
{
    struct statvfs fs;
    if (::statvfs(".", &fs) != 0)
        return std::nullopt;
    // f_bavail, not f_bfree: the blocks kept for root are no room for the store.
    return static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize);
}

QString WorkingDirectorySpace::mountPoint()
{
    const QStorageInfo storage(QDir::currentPath());
    return storage.isValid() ? storage.rootPath() : QDir::currentPath();
}

bool KeepFree::restartNeeded(int number, const Space &space)
{
    if (space.keepFree <= 0 || number <= 0)
        return false;
    return space.available - space.picture + space.replaced < space.keepFree;
}

bool KeepFree::restartNeeded(int number, const QString &path, qint64 frameBytes)
{
    if (m_megabytes == 0 || number <= 0)
        return false;
    const std::optional<qint64> available = m_space.availableBytes();
    if (!available)
        return false;
    const QFileInfo replaced(path);
    return restartNeeded(number, {*available, m_megabytes * BytesPerMegabyte,
                                  m_lastPicture > 0 ? m_lastPicture : frameBytes,
                                  replaced.exists() ? replaced.size() : 0});
}
