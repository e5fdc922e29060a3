#include "capture/service/libv4l2deviceio.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <libv4l2.h>
#include <poll.h>

QStringList LibV4l2DeviceIo::deviceNodes() const
{
    const QDir dev(QStringLiteral("/dev"));
    QStringList nodes;
    const auto names = dev.entryList({QStringLiteral("video*")}, QDir::System | QDir::Files);
    for (const QString &name : names)
        nodes << dev.filePath(name);
    return nodes;
}

int LibV4l2DeviceIo::open(const QString &path, int flags)
{
    return v4l2_open(QFile::encodeName(path).constData(), flags);
}

int LibV4l2DeviceIo::close(int fd)
{
    return v4l2_close(fd);
}

int LibV4l2DeviceIo::ioctl(int fd, unsigned long request, void *arg)
{
    int r;
    do
        r = v4l2_ioctl(fd, request, arg);
    while (r == -1 && errno == EINTR);
    return r;
}

void *LibV4l2DeviceIo::mmap(std::size_t length, int prot, int flags, int fd, off_t offset)
{
    return v4l2_mmap(nullptr, length, prot, flags, fd, offset);
}

int LibV4l2DeviceIo::munmap(void *start, std::size_t length)
{
    return v4l2_munmap(start, length);
}

ssize_t LibV4l2DeviceIo::read(int fd, void *buffer, std::size_t length)
{
    return v4l2_read(fd, buffer, length);
}

int LibV4l2DeviceIo::waitReadable(int fd, int timeoutMs)
{
    // libv4l2 hands out the kernel's own descriptor, so poll() works on it directly.
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, timeoutMs);
    if (r <= 0)
        return r == 0 ? 0 : (errno == EINTR ? 0 : -1);
    // POLLERR counts as ready too: the following ioctl tells why (ENODEV when unplugged).
    return 1;
}
