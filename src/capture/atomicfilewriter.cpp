#include "capture/atomicfilewriter.h"

#include "capture/filereleaser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
Result<> failed(const QString &path, int error)
{
    return failure(QDir::fromNativeSeparators(path) + QStringLiteral(": ") +
                   qt_error_string(error));
}

// A hidden name beside the target, so a viewer of the directory never lists a half-written file.
QByteArray temporaryName(const QFileInfo &target)
{
    const QString suffix = QString::number(QRandomGenerator::global()->generate(), 36);
    const QString name = target.path() + QStringLiteral("/.") + target.fileName() +
                         QStringLiteral(".") + suffix + QStringLiteral(".tmp");
    return QFile::encodeName(name);
}

// O_EXCL keeps us off anyone else's file; mode 0666 lets the umask decide, as for any new file.
int createTemporary(const QFileInfo &target, QByteArray &name)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = temporaryName(target);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}
// A second name in keepIn for the file at target, ".replaced.capture0.jpg.<random>.tmp", so
// that a killed program leaves nothing the next start does not know to remove; empty when
// there is no file to keep.
QByteArray linkReplaced(const QFileInfo &target, const QByteArray &path, const QString &keepIn)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = QFile::encodeName(
            keepIn + QStringLiteral("/.replaced.") + target.fileName() + QStringLiteral(".") +
            QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".tmp"));
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
    QByteArray temporary;
    const int fd = createTemporary(target, temporary);
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
    const QByteArray targetName = QFile::encodeName(path);
    const QByteArray replaced =
        ok && m_releaser ? linkReplaced(target, targetName, m_keepIn) : QByteArray();
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
