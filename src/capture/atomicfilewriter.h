#pragma once
// Replaces a file as a whole: the bytes go to a temporary file beside it, which is renamed over
// the target only when complete and on the disk. A failed write leaves the earlier file
// untouched and no temporary file behind; after a power cut the name holds the earlier file or
// the complete new one.

#include "shell/result.h"

#include <QString>

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

class FileReleaser;

class AtomicFileWriter
{
public:
    /// Same contract as POSIX write(2); tests pass one that fails to play a full disk.
    using WriteFunction = std::function<ssize_t(int fd, const void *data, std::size_t size)>;
    /// Same contract as POSIX fdatasync(2); tests pass one that fails to play a failing disk.
    using SyncFunction = std::function<int(int fd)>;

    /// Without functions, ::write and ::fdatasync are used.
    explicit AtomicFileWriter(WriteFunction write = {}, SyncFunction sync = {});

    /// From now on the file a write replaces is freed by the releaser, apart from the write:
    /// a hidden name in directory keepIn (on the same file system) keeps it until the new file
    /// has taken its place; the new file is then written there and swapped in. New files are
    /// written into the releaser's spare there. Without a releaser, or where no such name can
    /// be made, the replacing rename frees it.
    void setReleaser(std::shared_ptr<FileReleaser> releaser, const QString &keepIn);

    /// Creates or replaces path with bytes. The directory must exist. A failure names the file
    /// as given, with "/" separators, and the reason: "1/capture0.jpg: No space left on device";
    /// its errno value goes to errorNumber when one is given (0 on success).
    Result<> write(const QString &path, std::span<const std::uint8_t> bytes,
                   int *errorNumber = nullptr) const;

private:
    bool writeAll(int fd, std::span<const std::uint8_t> bytes) const;
    bool sync(int fd) const;
    /// Whether directory (in the file system's encoding) is on keepIn's file system.
    bool onKeepInDevice(const QByteArray &directory) const;

    WriteFunction m_write;
    SyncFunction m_sync;
    std::shared_ptr<FileReleaser> m_releaser;
    QString m_keepIn;
    std::optional<dev_t> m_keepInDevice; // the file system keepIn is on
};
