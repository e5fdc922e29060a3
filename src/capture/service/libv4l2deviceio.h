#pragma once
// DeviceIo through libv4l2, which converts YUYV and MJPEG cameras to the BGR24 frames we ask for.

#include "capture/service/deviceio.h"

class LibV4l2DeviceIo : public DeviceIo
{
public:
    QStringList deviceNodes() const override;
    int open(const QString &path, int flags) override;
    int close(int fd) override;
    int ioctl(int fd, unsigned long request, void *arg) override;
    void *mmap(std::size_t length, int prot, int flags, int fd, off_t offset) override;
    int munmap(void *start, std::size_t length) override;
    ssize_t read(int fd, void *buffer, std::size_t length) override;
    int waitReadable(int fd, int timeoutMs) override;
};
