#include "fakedeviceio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <thread>

namespace {
constexpr off_t BufferSpacing = 0x1000000;

void copyText(std::uint8_t *to, std::size_t size, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::memset(to, 0, size);
    std::memcpy(to, bytes.constData(), std::min<std::size_t>(size - 1, std::size_t(bytes.size())));
}
} // namespace

FakeNode &FakeDeviceIo::addNode(FakeNode node)
{
    const std::lock_guard lock(m_mutex);
    auto state = std::make_unique<NodeState>();
    state->node = std::move(node);
    m_nodes.push_back(std::move(state));
    return m_nodes.back()->node;
}

void FakeDeviceIo::unplug(const QString &path)
{
    const std::lock_guard lock(m_mutex);
    for (auto &s : m_nodes) {
        if (s->node.path == path)
            s->gone = true;
    }
}

void FakeDeviceIo::setStalled(const QString &path, bool stalled)
{
    const std::lock_guard lock(m_mutex);
    for (auto &s : m_nodes) {
        if (s->node.path == path)
            s->node.stalled = stalled;
    }
}

void FakeDeviceIo::fillFrame(std::uint8_t *data, int w, int h, int stride, std::uint32_t k)
{
    for (int y = 0; y < h; ++y) {
        std::uint8_t *row = data + std::size_t(y) * std::size_t(stride);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = std::uint8_t(k);
            row[3 * x + 1] = std::uint8_t(x);
            row[3 * x + 2] = std::uint8_t(y);
        }
    }
}

int FakeDeviceIo::openDescriptors() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_open.size());
}

const FakeDeviceIo::NodeState *FakeDeviceIo::stateOf(const QString &path) const
{
    for (const auto &s : m_nodes) {
        if (s->node.path == path)
            return s.get();
    }
    return nullptr;
}

QSize FakeDeviceIo::requestedSize(const QString &path) const
{
    const std::lock_guard lock(m_mutex);
    const NodeState *s = stateOf(path);
    return s ? s->requested : QSize();
}

std::uint32_t FakeDeviceIo::requestedFormat(const QString &path) const
{
    const std::lock_guard lock(m_mutex);
    const NodeState *s = stateOf(path);
    return s ? s->requestedFormat : 0;
}

std::vector<std::pair<std::uint32_t, int>> FakeDeviceIo::setControls() const
{
    const std::lock_guard lock(m_mutex);
    return m_setControls;
}

int FakeDeviceIo::controlValue(const QString &path, std::uint32_t id) const
{
    const std::lock_guard lock(m_mutex);
    const NodeState *s = stateOf(path);
    for (const FakeControl &c : s ? s->node.controls : std::vector<FakeControl>{}) {
        if (c.id == id)
            return c.value;
    }
    return -1;
}

QStringList FakeDeviceIo::deviceNodes() const
{
    const std::lock_guard lock(m_mutex);
    QStringList nodes;
    for (const auto &s : m_nodes)
        nodes << s->node.path;
    return nodes;
}

int FakeDeviceIo::fail(int error)
{
    errno = error;
    return -1;
}

FakeDeviceIo::NodeState *FakeDeviceIo::stateOf(int fd)
{
    const auto it = m_open.find(fd);
    return it == m_open.end() ? nullptr : it->second;
}

int FakeDeviceIo::open(const QString &path, int)
{
    const std::lock_guard lock(m_mutex);
    for (auto &s : m_nodes) {
        if (s->node.path != path)
            continue;
        if (s->node.openError || s->gone)
            return fail(s->gone ? ENOENT : s->node.openError);
        m_open[m_nextFd] = s.get();
        return m_nextFd++;
    }
    return fail(ENOENT);
}

int FakeDeviceIo::close(int fd)
{
    const std::lock_guard lock(m_mutex);
    NodeState *s = stateOf(fd);
    if (!s)
        return fail(EBADF);
    s->streaming = false;
    s->buffers.clear();
    s->queued.clear();
    m_open.erase(fd);
    return 0;
}

int FakeDeviceIo::ioctl(int fd, unsigned long request, void *arg)
{
    const std::lock_guard lock(m_mutex);
    NodeState *s = stateOf(fd);
    if (!s)
        return fail(EBADF);
    if (s->gone)
        return fail(ENODEV);
    if (request == VIDIOC_QUERYCAP) {
        auto *cap = static_cast<v4l2_capability *>(arg);
        *cap = v4l2_capability{};
        copyText(cap->driver, sizeof cap->driver, QStringLiteral("fakecam"));
        copyText(cap->card, sizeof cap->card, s->node.card);
        cap->version = s->node.version;
        cap->capabilities = s->node.capabilities;
        if (s->node.hasDeviceCaps) {
            cap->capabilities |= V4L2_CAP_DEVICE_CAPS;
            cap->device_caps = s->node.deviceCaps;
        }
        return 0;
    }
    if (request == VIDIOC_ENUM_FRAMESIZES) {
        auto *e = static_cast<v4l2_frmsizeenum *>(arg);
        const std::size_t count = s->node.sizeRange ? 1 : s->node.sizes.size();
        if (e->pixel_format != s->node.pixelFormat || e->index >= count)
            return fail(EINVAL);
        if (const auto &range = s->node.sizeRange) {
            e->type = V4L2_FRMSIZE_TYPE_STEPWISE;
            e->stepwise = {
                std::uint32_t((*range)[0].width()),  std::uint32_t((*range)[1].width()),
                std::uint32_t((*range)[2].width()),  std::uint32_t((*range)[0].height()),
                std::uint32_t((*range)[1].height()), std::uint32_t((*range)[2].height())};
        } else {
            e->type = V4L2_FRMSIZE_TYPE_DISCRETE;
            e->discrete = {std::uint32_t(s->node.sizes[e->index].width()),
                           std::uint32_t(s->node.sizes[e->index].height())};
        }
        return 0;
    }
    if (request == VIDIOC_S_FMT)
        return setFormat(*s, *static_cast<v4l2_format *>(arg));
    if (request == VIDIOC_G_FMT) {
        auto &pix = static_cast<v4l2_format *>(arg)->fmt.pix;
        pix.width = std::uint32_t(s->size.width());
        pix.height = std::uint32_t(s->size.height());
        pix.pixelformat = s->node.pixelFormat;
        pix.bytesperline = std::uint32_t(s->stride);
        pix.sizeimage = std::uint32_t(s->stride * s->size.height());
        return 0;
    }
    const int handled = control(*s, request, arg);
    return handled != 1 ? handled : streamIoctl(*s, request, arg);
}

int FakeDeviceIo::setFormat(NodeState &s, v4l2_format &f)
{
    if (f.type != V4L2_BUF_TYPE_VIDEO_CAPTURE || s.streaming)
        return fail(s.streaming ? EBUSY : EINVAL);
    auto &pix = f.fmt.pix;
    s.requested = QSize(int(pix.width), int(pix.height));
    s.requestedFormat = pix.pixelformat;
    // The nearest size the camera has, as drivers choose.
    const auto distance = [&](QSize z) {
        return std::abs(z.width() - int(pix.width)) + std::abs(z.height() - int(pix.height));
    };
    s.size = *std::min_element(s.node.sizes.begin(), s.node.sizes.end(),
                               [&](QSize a, QSize b) { return distance(a) < distance(b); });
    s.stride = 3 * s.size.width() + s.node.rowPadding;
    pix.width = std::uint32_t(s.size.width());
    pix.height = std::uint32_t(s.size.height());
    pix.pixelformat = s.node.pixelFormat;
    return 0;
}

// Returns 1 when the request is not about controls.
int FakeDeviceIo::control(NodeState &s, unsigned long request, void *arg)
{
    if (request == VIDIOC_QUERYCTRL)
        return queryControl(s, *static_cast<v4l2_queryctrl *>(arg));
    if (request == VIDIOC_QUERYMENU)
        return queryMenu(s, *static_cast<v4l2_querymenu *>(arg));
    if (request != VIDIOC_G_CTRL && request != VIDIOC_S_CTRL)
        return 1;
    auto *c = static_cast<v4l2_control *>(arg);
    for (FakeControl &fc : s.node.controls) {
        if (fc.id != c->id)
            continue;
        if (request == VIDIOC_G_CTRL) {
            c->value = fc.value;
            return 0;
        }
        m_setControls.emplace_back(c->id, c->value);
        if (fc.refuse)
            return fail(EIO);
        fc.value = std::clamp(c->value, fc.minimum, fc.maximum);
        return 0;
    }
    return fail(EINVAL);
}

int FakeDeviceIo::queryControl(NodeState &s, v4l2_queryctrl &q)
{
    const bool next = q.id & V4L2_CTRL_FLAG_NEXT_CTRL;
    if (next && !s.node.nextCtrl)
        return fail(EINVAL);
    const std::uint32_t id = q.id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND);
    const FakeControl *found = nullptr;
    for (const FakeControl &c : s.node.controls) {
        if ((next && c.id > id && (!found || c.id < found->id)) || (!next && c.id == id))
            found = &c;
    }
    if (!found)
        return fail(EINVAL);
    q = v4l2_queryctrl{};
    q.id = found->id;
    q.type = found->type;
    copyText(q.name, sizeof q.name, found->name);
    q.minimum = found->minimum;
    q.maximum = found->maximum;
    q.step = found->step;
    q.default_value = found->defaultValue;
    q.flags = found->flags;
    for (const FakeControl &c : s.node.controls) {
        if (found->inactiveWhile && c.id == found->inactiveWhile && c.value != 0)
            q.flags |= V4L2_CTRL_FLAG_INACTIVE;
    }
    return 0;
}

int FakeDeviceIo::queryMenu(NodeState &s, v4l2_querymenu &m)
{
    for (const FakeControl &c : s.node.controls) {
        const auto item = c.menu.find(int(m.index));
        if (c.id != m.id || item == c.menu.end())
            continue;
        if (c.type == V4L2_CTRL_TYPE_INTEGER_MENU)
            m.value = item->second.toLongLong();
        else
            copyText(m.name, sizeof m.name, item->second);
        return 0;
    }
    return fail(EINVAL);
}

int FakeDeviceIo::requestBuffers(NodeState &s, v4l2_requestbuffers &r)
{
    if (r.memory != V4L2_MEMORY_MMAP || !(s.node.deviceCaps & V4L2_CAP_STREAMING))
        return fail(EINVAL);
    s.buffers.clear();
    s.queued.clear();
    r.count = std::min<std::uint32_t>(r.count, 4);
    for (std::uint32_t i = 0; i < r.count; ++i)
        s.buffers.emplace_back(std::size_t(s.stride * s.size.height()), 0);
    return 0;
}

bool FakeDeviceIo::frameDue(NodeState &s)
{
    const auto now = std::chrono::steady_clock::now();
    if (s.node.stalled || now < s.nextFrame)
        return false;
    s.nextFrame = now + FramePeriod;
    if (s.node.loseAfterFrames >= 0 && int(s.frames) >= s.node.loseAfterFrames) {
        s.gone = true;
        return false;
    }
    ++s.frames;
    return true;
}

int FakeDeviceIo::dequeue(NodeState &s, v4l2_buffer &b)
{
    if (!s.streaming || s.queued.empty() || !frameDue(s))
        return fail(s.gone ? ENODEV : EAGAIN);
    const std::uint32_t index = s.queued.front();
    s.queued.erase(s.queued.begin());
    fillFrame(s.buffers[index].data(), s.size.width(), s.size.height(), s.stride, s.frames);
    b.index = index;
    b.bytesused = std::uint32_t(s.buffers[index].size());
    b.flags = 0;
    return 0;
}

int FakeDeviceIo::streamIoctl(NodeState &s, unsigned long request, void *arg)
{
    auto *b = static_cast<v4l2_buffer *>(arg);
    switch (request) {
    case VIDIOC_REQBUFS:
        return requestBuffers(s, *static_cast<v4l2_requestbuffers *>(arg));
    case VIDIOC_QUERYBUF:
        if (b->index >= s.buffers.size())
            return fail(EINVAL);
        b->length = std::uint32_t(s.buffers[b->index].size());
        b->m.offset = std::uint32_t(off_t(b->index) * BufferSpacing);
        return 0;
    case VIDIOC_QBUF:
        if (b->index >= s.buffers.size())
            return fail(EINVAL);
        s.queued.push_back(b->index);
        return 0;
    case VIDIOC_DQBUF:
        return dequeue(s, *b);
    case VIDIOC_STREAMON:
        s.streaming = true;
        s.nextFrame = std::chrono::steady_clock::now();
        return 0;
    case VIDIOC_STREAMOFF:
        s.streaming = false;
        s.queued.clear();
        return 0;
    default:
        return fail(ENOTTY);
    }
}

void *FakeDeviceIo::mmap(std::size_t length, int, int, int fd, off_t offset)
{
    const std::lock_guard lock(m_mutex);
    NodeState *s = stateOf(fd);
    const std::size_t index = std::size_t(offset / BufferSpacing);
    if (!s || index >= s->buffers.size() || length > s->buffers[index].size()) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    return s->buffers[index].data();
}

int FakeDeviceIo::munmap(void *, std::size_t)
{
    return 0;
}

ssize_t FakeDeviceIo::read(int fd, void *buffer, std::size_t length)
{
    const std::lock_guard lock(m_mutex);
    NodeState *s = stateOf(fd);
    if (!s || s->gone || !(s->node.deviceCaps & V4L2_CAP_READWRITE))
        return fail(!s ? EBADF : s->gone ? ENODEV : EINVAL);
    if (!frameDue(*s))
        return fail(s->gone ? ENODEV : EAGAIN);
    std::vector<std::uint8_t> frame(std::size_t(s->stride * s->size.height()));
    fillFrame(frame.data(), s->size.width(), s->size.height(), s->stride, s->frames);
    const std::size_t n = std::min(length, frame.size());
    std::memcpy(buffer, frame.data(), n);
    return ssize_t(n);
}

int FakeDeviceIo::waitReadable(int fd, int timeoutMs)
{
    std::chrono::steady_clock::time_point due;
    {
        const std::lock_guard lock(m_mutex);
        NodeState *s = stateOf(fd);
        if (!s)
            return fail(EBADF);
        if (s->gone)
            return 1; // as poll() reports POLLERR; the next call tells ENODEV
        due = s->node.stalled ? std::chrono::steady_clock::time_point::max() : s->nextFrame;
    }
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::this_thread::sleep_until(std::min(due, limit));
    return due <= limit ? 1 : 0;
}
