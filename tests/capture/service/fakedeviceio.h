#pragma once
// A fake V4L2 device for tests: answers the ioctls the capture code makes, delivers frames
// of a known pattern and can fail to open, stall or vanish, as real cameras do.

#include "capture/service/deviceio.h"

#include <QSize>
#include <QString>

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <linux/videodev2.h>

struct FakeControl
{
    std::uint32_t id = 0;
    std::uint32_t type = V4L2_CTRL_TYPE_INTEGER;
    QString name;
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    int defaultValue = 0;
    int value = 0;
    std::uint32_t flags = 0;
    std::map<int, QString> menu;     // menu index and text; gaps are left out
    std::uint32_t inactiveWhile = 0; // inactive while this control is non-zero
    bool refuse = false;             // VIDIOC_S_CTRL fails with EIO
};

struct FakeNode
{
    QString path;
    QString card = QStringLiteral("Fake Camera");
    std::uint32_t version = 0x060107; // 6.1.7
    std::uint32_t capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    std::uint32_t deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    bool hasDeviceCaps = true;
    int openError = 0;                                                 // open fails with this errno
    std::vector<QSize> sizes = std::vector<QSize>(1, QSize(640, 480)); // what it can deliver
    std::uint32_t pixelFormat = V4L2_PIX_FMT_BGR24;
    // Listed by VIDIOC_ENUM_FRAMESIZES instead of sizes when set: min, max and step sizes.
    std::optional<std::array<QSize, 3>> sizeRange = std::nullopt;
    int rowPadding = 0;       // bytes after each row
    int loseAfterFrames = -1; // the device vanishes after this many frames
    bool stalled = false;     // delivers nothing
    bool nextCtrl = true;     // knows V4L2_CTRL_FLAG_NEXT_CTRL
    std::vector<FakeControl> controls;
};

class FakeDeviceIo : public DeviceIo
{
public:
    static constexpr std::chrono::milliseconds FramePeriod{5};

    FakeNode &addNode(FakeNode node);
    /// Makes the device of path vanish now: every call on it fails with ENODEV.
    void unplug(const QString &path);
    /// Makes the device of path stop (or start again) delivering frames, as a hung driver does.
    void setStalled(const QString &path, bool stalled);

    /// Frame k (from 1) of a w x h camera: pixel (x, y) from the top is (k, x, y) mod 256 as BGR.
    static void fillFrame(std::uint8_t *data, int w, int h, int stride, std::uint32_t k);

    int openDescriptors() const;
    QSize requestedSize(const QString &path) const;
    std::uint32_t requestedFormat(const QString &path) const;
    std::vector<std::pair<std::uint32_t, int>> setControls() const;
    int controlValue(const QString &path, std::uint32_t id) const;

    QStringList deviceNodes() const override;
    int open(const QString &path, int flags) override;
    int close(int fd) override;
    int ioctl(int fd, unsigned long request, void *arg) override;
    void *mmap(std::size_t length, int prot, int flags, int fd, off_t offset) override;
    int munmap(void *start, std::size_t length) override;
    ssize_t read(int fd, void *buffer, std::size_t length) override;
    int waitReadable(int fd, int timeoutMs) override;

private:
    struct NodeState
    {
        FakeNode node;
        bool gone = false;
        QSize requested;
        std::uint32_t requestedFormat = 0;
        QSize size;
        int stride = 0;
        std::uint32_t frames = 0;
        bool streaming = false;
        std::vector<std::vector<std::uint8_t>> buffers;
        std::vector<std::uint32_t> queued;
        std::chrono::steady_clock::time_point nextFrame;
    };

    NodeState *stateOf(int fd);
    const NodeState *stateOf(const QString &path) const;
    int fail(int error);
    int control(NodeState &s, unsigned long request, void *arg);
    int queryControl(NodeState &s, v4l2_queryctrl &q);
    int queryMenu(NodeState &s, v4l2_querymenu &m);
    int setFormat(NodeState &s, v4l2_format &f);
    int requestBuffers(NodeState &s, v4l2_requestbuffers &r);
    int dequeue(NodeState &s, v4l2_buffer &b);
    bool frameDue(NodeState &s);
    int streamIoctl(NodeState &s, unsigned long request, void *arg);

    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<NodeState>> m_nodes;
    std::map<int, NodeState *> m_open;
    int m_nextFd = 100;
    std::vector<std::pair<std::uint32_t, int>> m_setControls;
};
