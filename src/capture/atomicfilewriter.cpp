#include "capture/atomicfilewriter.h"

#include "capture/filereleaser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
Result<> failed(const QString &path, int error)
{
    return failure(QDir::fromNativeSeparators(path) + QStringLiteral(": ") +
                   qt_error_string(error));
}

// A hidden name in directory, ".<prefix><target's name>.<random>.tmp", so a viewer of the
// directory never lists a half-written file and the next start knows it for ours.
QByteArray hiddenName(const QString &directory, const QString &prefix, const QFileInfo &target)
{
    const QString suffix = QString::number(QRandomGenerator::global()->generate(), 36);
    return QFile::encodeName(directory + QStringLiteral("/.") + prefix + target.fileName() +
                             QStringLiteral(".") + suffix + QStringLiteral(".tmp"));
}

// O_EXCL keeps us off anyone else's file; mode 0666 lets the umask decide, as for any new file.
int createTemporary(const QString &directory, const QString &prefix, const QFileInfo &target,
                    QByteArray &name)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = hiddenName(directory, prefix, target);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

const QString ReplacedPrefix = QStringLiteral("replaced.");

// A second name in keepIn for the file at target, ".replaced.capture0.jpg.<random>.tmp", so
// that a killed program leaves nothing the next start does not know to remove; empty when
// there is no file to keep.
QByteArray linkReplaced(const QFileInfo &target, const QByteArray &path, const QString &keepIn)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = hiddenName(keepIn, ReplacedPrefix, target);
        if (::link(path.constData(), name.constData()) == 0)
            return name;
        if (errno != EEXIST)
            return {}; // no file yet, or a file system without hard links: freed as before
    }
    return {};
}
} // namespace

AtomicFileWriter::AtomicFileWriter(WriteFunction write, SyncFunction sync)
    : m_write(write ? std::move(write) : WriteFunction(&::write)),
      m_sync(sync ? std::move(sync) : SyncFunction(&::fdatasync))
{}

void AtomicFileWriter::setReleaser(std::shared_ptr<FileReleaser> releaser, const QString &keepIn)
{
    m_releaser = std::move(releaser);
    m_keepIn = keepIn;
    struct stat st = {};
    m_keepInDevice.reset();
    if (::stat(QFile::encodeName(keepIn).constData(), &st) == 0)
        m_keepInDevice = st.st_dev;
    if (m_releaser && m_keepInDevice)
        m_releaser->keepSpares(QFile::encodeName(keepIn));
}

bool AtomicFileWriter::onKeepInDevice(const QByteArray &directory) const
{
    struct stat st = {};
    return m_keepInDevice && ::stat(directory.constData(), &st) == 0 &&
           st.st_dev == *m_keepInDevice;
}

bool AtomicFileWriter::writeAll(int fd, std::span<const std::uint8_t> bytes) const
{
    while (!bytes.empty()) {
        const ssize_t n = m_write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC; // a regular file that takes nothing is full
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

bool AtomicFileWriter::sync(int fd) const
{
    int result;
    do
        result = m_sync(fd);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

// The rename alone shows readers the old picture or the complete new one, but after a power cut
// the file system may keep the new name with data that never reached the disk: an empty or
// partial picture. Syncing the data first rules that out. The directory is not synced: losing
// the rename in a power cut only loses the latest picture, the old one stays whole.
Result<> AtomicFileWriter::write(const QString &path, std::span<const std::uint8_t> bytes,
                                 int *errorNumber) const
{
    int unused = 0;
    int &reported = errorNumber ? *errorNumber : unused;
    reported = 0;
    const QFileInfo target(path);
    const QByteArray targetName = QFile::encodeName(path);
    // A picture that is there is swapped with the new one in one step, which leaves the old
    // one in keepIn under the new one's temporary name, for the releaser. Only a regular file
    // is swapped: a directory in its place is refused by the rename, as ever.
    struct stat existing = {};
    const bool there = m_releaser && ::lstat(targetName.constData(), &existing) == 0;
    const bool swap =
        there && S_ISREG(existing.st_mode) && m_keepInDevice && existing.st_dev == *m_keepInDevice;
    QByteArray temporary;
    int fd = -1;
    // The releaser's spare, an empty file made apart, spares this write making one; it is in
    // keepIn, so only for a picture on keepIn's file system.
    bool spareTaken = false;
    if (swap || (m_releaser && !there && onKeepInDevice(QFile::encodeName(target.path())))) {
        FileReleaser::Spare spare = m_releaser->takeSpare();
        spareTaken = spare.fd >= 0;
        // One removed by someone else meanwhile would take the picture with it.
        struct stat st = {};
        if (spareTaken && ::fstat(spare.fd, &st) == 0 && st.st_nlink > 0) {
            temporary = std::move(spare.path);
            fd = spare.fd;
        } else if (spareTaken) {
            ::close(spare.fd);
        }
    }
    // Once this write is done in the directory, whichever way it ends.
    const auto renew = qScopeGuard([&] {
        if (spareTaken)
            m_releaser->renewSpare();
    });
    if (fd < 0) {
        fd = swap ? createTemporary(m_keepIn, ReplacedPrefix, target, temporary)
                  : createTemporary(target.path(), QString(), target, temporary);
    }
    if (fd < 0) {
        reported = errno;
        return failed(path, reported);
    }
    bool ok = writeAll(fd, bytes) && sync(fd);
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    bool cannotSwap = false;
    if (ok && swap) {
        if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, targetName.constData(),
                        RENAME_EXCHANGE) == 0) {
            m_releaser->release(temporary);
            return {};
        }
        cannotSwap = errno == EINVAL || errno == ENOSYS; // else gone meanwhile: just renamed
    }
    const QByteArray replaced = ok && there && (cannotSwap || !swap)
                                    ? linkReplaced(target, targetName, m_keepIn)
                                    : QByteArray();
    if (ok && ::rename(temporary.constData(), targetName.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!replaced.isEmpty()) {
        if (ok)
            m_releaser->release(replaced);
        else
            ::unlink(replaced.constData()); // the earlier file is still in its place
    }
    if (!ok) {
        ::unlink(temporary.constData());
        reported = error;
        return failed(path, error);
    }
    return {};
}
