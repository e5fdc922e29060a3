#pragma once
// Replaces a file as a whole: the bytes go to a temporary file beside it, which is renamed over
// the target only when complete. A failed write leaves the earlier file untouched and no
// temporary file behind.

#include "capture/writeresult.h"

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

class AtomicFileWriter
{
public:
    /// Same contract as POSIX write(2); tests pass one that fails to play a full disk.
    using WriteFunction = std::function<ssize_t(int fd, const void *data, std::size_t size)>;

    /// Without a function, ::write is used.
    explicit AtomicFileWriter(WriteFunction write = {});

    /// Creates or replaces path with bytes. The directory must exist.
    WriteResult write(const QString &path, std::span<const std::uint8_t> bytes) const;

private:
    bool writeAll(int fd, std::span<const std::uint8_t> bytes) const;

    WriteFunction m_write;
};
