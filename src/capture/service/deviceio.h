#pragma once
// The thin seam between the V4L2 code and a video device: the system calls it makes, so that
// tests can stand a fake device in for a camera. Failures return -1 (MAP_FAILED for mmap) and
// set errno, as the system calls do.

#include <QStringList>

#include <cstddef>
#include <sys/types.h>

class DeviceIo
{
public:
    virtual ~DeviceIo() = default;

    /// The device nodes that may be video devices ("/dev/video0", ...), in any order.
    virtual QStringList deviceNodes() const = 0;

    virtual int open(const QString &path, int flags) = 0;
    virtual int close(int fd) = 0;
    virtual int ioctl(int fd, unsigned long request, void *arg) = 0;
    virtual void *mmap(std::size_t length, int prot, int flags, int fd, off_t offset) = 0;
    virtual int munmap(void *start, std::size_t length) = 0;
    virtual ssize_t read(int fd, void *buffer, std::size_t length) = 0;
    /// Waits up to timeoutMs for a frame: 1 when one is ready, 0 on time-out, -1 on error.
    virtual int waitReadable(int fd, int timeoutMs) = 0;
};
