#include "capture/service/v4l2camera.h"

#include "capture/camerasizes.h"
#include "capture/service/deviceio.h"
#include "capture/service/v4l2controls.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/mman.h>

namespace {

constexpr int WaitMs = 100;
constexpr unsigned BufferCount = 4;

QString errorText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

bool isGone(int error)
{
    return error == ENODEV || error == ENXIO || error == EBADF;
}

} // namespace

V4l2Camera::V4l2Camera(std::shared_ptr<DeviceIo> io, QString path)
    : m_io(std::move(io)), m_path(std::move(path))
{}

V4l2Camera::~V4l2Camera()
{
    close();
}

Result<> V4l2Camera::deviceFailure(const QString &what, int error) const
{
    return ::failure(what.arg(m_path) + QStringLiteral(": ") + errorText(error));
}

Result<> V4l2Camera::open()
{
    m_fd = m_io->open(m_path, O_RDWR | O_NONBLOCK);
    if (m_fd < 0)
        return deviceFailure(QStringLiteral("Cannot open %1"), errno);
    v4l2_capability cap{};
    Result<> result;
    if (m_io->ioctl(m_fd, VIDIOC_QUERYCAP, &cap) != 0) {
        result = deviceFailure(QStringLiteral("%1 is not a V4L2 device"), errno);
    } else {
        const unsigned caps =
            (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
        m_streamingIo = caps & V4L2_CAP_STREAMING;
        if (!(caps & V4L2_CAP_VIDEO_CAPTURE))
            result = failure(m_path + QStringLiteral(" cannot capture video"));
        else if (!m_streamingIo && !(caps & V4L2_CAP_READWRITE))
            result = failure(m_path + QStringLiteral(" offers no way to read frames"));
    }
    if (!result)
        close();
    return result;
}

Result<> V4l2Camera::negotiate(const VideoHeader &header)
{
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = std::uint32_t(header.width);
    format.fmt.pix.height = std::uint32_t(header.height);
    format.fmt.pix.pixelformat = V4L2_PIX_FMT_BGR24;
    format.fmt.pix.field = V4L2_FIELD_ANY;
    if (m_io->ioctl(m_fd, VIDIOC_S_FMT, &format) != 0)
        return deviceFailure(QStringLiteral("%1 refused the video format"), errno);
    // The driver may have chosen another size: what it set is what arrives.
    format = v4l2_format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (m_io->ioctl(m_fd, VIDIOC_G_FMT, &format) != 0)
        return deviceFailure(QStringLiteral("Cannot read the video format of %1"), errno);
    const v4l2_pix_format &pix = format.fmt.pix;
    if (pix.pixelformat != V4L2_PIX_FMT_BGR24 || pix.width == 0 || pix.height == 0)
        return failure(m_path + QStringLiteral(" cannot deliver 24-bit frames"));
    m_size = header.size();
    m_delivered = QSize(int(pix.width), int(pix.height));
    m_bytesPerLine = std::max(int(pix.bytesperline), 3 * int(pix.width));
    m_frameBytes =
        std::max<std::size_t>(pix.sizeimage, std::size_t(m_bytesPerLine) * std::size_t(pix.height));
    return {};
}

std::vector<QSize> V4l2Camera::frameSizes()
{
    const std::lock_guard lock(m_ioMutex);
    std::vector<QSize> sizes;
    if (m_fd < 0)
        return sizes;
    // Asked for the format that frames arrive in; libv4l2 answers for the formats it converts.
    // A bounded count, against a driver that never ends its list.
    constexpr std::uint32_t MostEntries = 256;
    for (std::uint32_t i = 0; i < MostEntries; ++i) {
        v4l2_frmsizeenum entry{};
        entry.index = i;
        entry.pixel_format = V4L2_PIX_FMT_BGR24;
        if (m_io->ioctl(m_fd, VIDIOC_ENUM_FRAMESIZES, &entry) != 0)
            break;
        if (entry.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            sizes.emplace_back(int(entry.discrete.width), int(entry.discrete.height));
            continue;
        }
        // A range is the only entry.
        const v4l2_frmsize_stepwise &r = entry.stepwise;
        const bool continuous = entry.type == V4L2_FRMSIZE_TYPE_CONTINUOUS;
        return CameraSizes::onSteps(
            QSize(int(r.min_width), int(r.min_height)), QSize(int(r.max_width), int(r.max_height)),
            continuous ? QSize(1, 1) : QSize(int(r.step_width), int(r.step_height)));
    }
    return sizes;
}

Result<> V4l2Camera::start(const VideoHeader &header)
{
    if (m_fd < 0)
        return failure(m_path + QStringLiteral(" is not open"));
    stop();
    const std::lock_guard lock(m_ioMutex);
    Result<> result = negotiate(header);
    m_readBuffer.clear();
    if (result && m_streamingIo)
        result = startStreaming();
    else if (result)
        m_readBuffer.assign(m_frameBytes, 0);
    m_framesToDrop = SettleFrames;
    m_errorRun = 0;
    return result;
}

Result<> V4l2Camera::startStreaming()
{
    v4l2_requestbuffers request{};
    request.count = BufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (m_io->ioctl(m_fd, VIDIOC_REQBUFS, &request) != 0)
        return deviceFailure(QStringLiteral("%1 cannot stream"), errno);
    if (request.count == 0)
        return failure(m_path + QStringLiteral(" gave no frame buffers"));
    Result<> result = mapBuffers(request.count);
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (result && m_io->ioctl(m_fd, VIDIOC_STREAMON, &type) != 0)
        result = deviceFailure(QStringLiteral("%1 does not start streaming"), errno);
    if (result)
        m_streaming = true;
    else
        releaseBuffers();
    return result;
}

Result<> V4l2Camera::mapBuffers(unsigned count)
{
    for (unsigned i = 0; i < count; ++i) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = i;
        if (m_io->ioctl(m_fd, VIDIOC_QUERYBUF, &buffer) != 0)
            return deviceFailure(QStringLiteral("Cannot query the buffers of %1"), errno);
        void *start = m_io->mmap(buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd,
                                 off_t(buffer.m.offset));
        if (start == MAP_FAILED)
            return deviceFailure(QStringLiteral("Cannot map the buffers of %1"), errno);
        m_buffers.push_back({start, buffer.length});
        if (m_io->ioctl(m_fd, VIDIOC_QBUF, &buffer) != 0)
            return deviceFailure(QStringLiteral("Cannot queue the buffers of %1"), errno);
    }
    return {};
}

void V4l2Camera::releaseBuffers()
{
    for (const Buffer &buffer : m_buffers)
        m_io->munmap(buffer.start, buffer.length);
    if (!m_buffers.empty()) {
        v4l2_requestbuffers request{};
        request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        request.memory = V4L2_MEMORY_MMAP;
        m_io->ioctl(m_fd, VIDIOC_REQBUFS, &request); // a vanished device cannot free them: fine
    }
    m_buffers.clear();
}

void V4l2Camera::stop()
{
    const std::lock_guard lock(m_ioMutex);
    if (m_streaming) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        m_io->ioctl(m_fd, VIDIOC_STREAMOFF, &type);
        m_streaming = false;
    }
    releaseBuffers();
}

void V4l2Camera::close()
{
    if (m_fd < 0)
        return;
    stop();
    m_io->close(m_fd);
    m_fd = -1;
}

FrameSource::ReadResult V4l2Camera::readFrame(QImage &frame)
{
    const int ready = m_io->waitReadable(m_fd, WaitMs);
    if (ready == 0)
        return {};
    if (ready < 0)
        return failedRead(errno);
    return m_streamingIo ? readStreamed(frame) : readDirect(frame);
}

FrameSource::ReadResult V4l2Camera::readStreamed(QImage &frame)
{
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    {
        const std::lock_guard lock(m_ioMutex);
        if (m_io->ioctl(m_fd, VIDIOC_DQBUF, &buffer) != 0)
            return errno == EAGAIN ? ReadResult{} : failedRead(errno);
    }
    ReadResult result;
    if (buffer.index < m_buffers.size() && !(buffer.flags & V4L2_BUF_FLAG_ERROR)) {
        const Buffer &mapped = m_buffers[buffer.index];
        const std::size_t used = buffer.bytesused ? buffer.bytesused : mapped.length;
        result = accept(static_cast<const std::uint8_t *>(mapped.start),
                        std::min(used, mapped.length), frame);
    }
    const std::lock_guard lock(m_ioMutex);
    if (m_io->ioctl(m_fd, VIDIOC_QBUF, &buffer) != 0)
        return failedRead(errno);
    return result;
}

FrameSource::ReadResult V4l2Camera::readDirect(QImage &frame)
{
    const ssize_t n = m_io->read(m_fd, m_readBuffer.data(), m_readBuffer.size());
    if (n < 0)
        return errno == EAGAIN ? ReadResult{} : failedRead(errno);
    return accept(m_readBuffer.data(), std::size_t(n), frame);
}

// A frame counts only when complete and after the camera has settled. The device's buffer is
// scaled straight into the frame: the only copy of its pixels.
FrameSource::ReadResult V4l2Camera::accept(const std::uint8_t *data, std::size_t used,
                                           QImage &frame)
{
    const std::size_t needed = std::size_t(m_bytesPerLine) * std::size_t(m_delivered.height() - 1) +
                               3 * std::size_t(m_delivered.width());
    if (used < needed)
        return {};
    m_errorRun = 0;
    if (m_framesToDrop > 0) {
        --m_framesToDrop;
        return {};
    }
    if (!prepareFrame(frame, m_size))
        return outOfMemory(m_size);
    m_scaler.scale(data, m_delivered.width(), m_delivered.height(), m_bytesPerLine, frame);
    return {Read::Frame, {}};
}

FrameSource::ReadResult V4l2Camera::failedRead(int error)
{
    if (isGone(error))
        return {Read::Lost, m_path + QStringLiteral(" went away: ") + errorText(error)};
    if (error == EINTR || ++m_errorRun < ErrorLimit)
        return {};
    return {Read::Lost, m_path + QStringLiteral(" stopped delivering frames: ") + errorText(error)};
}

std::vector<SourceControl> V4l2Camera::controls()
{
    const std::lock_guard lock(m_ioMutex);
    if (m_fd < 0)
        return {};
    return V4l2Controls::query(*m_io, m_fd);
}

Result<> V4l2Camera::setControl(std::uint32_t id, int value)
{
    const std::lock_guard lock(m_ioMutex);
    if (m_fd < 0)
        return failure(m_path + QStringLiteral(" is not open"));
    return V4l2Controls::set(*m_io, m_fd, id, value);
}
