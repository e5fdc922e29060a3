#pragma once
// A V4L2 camera as a frame source: asks for BGR24 frames of the wanted size, reads them
// through memory-mapped buffers (or read() where the device offers nothing else) and
// stretches them to the wanted size when the camera chose another.

#include "capture/service/framescaler.h"
#include "capture/service/framesource.h"

#include <QSize>

#include <memory>
#include <mutex>

class DeviceIo;

class V4l2Camera : public FrameSource
{
public:
    /// Frames dropped after streaming starts, while the camera's exposure settles.
    static constexpr int SettleFrames = 5;
    /// Consecutive failed reads after which the camera counts as lost.
    static constexpr int ErrorLimit = 30;

    V4l2Camera(std::shared_ptr<DeviceIo> io, QString path);
    ~V4l2Camera() override;

    CaptureResult open() override;
    CaptureResult start(const VideoHeader &header) override;
    ReadResult readFrame(std::vector<std::uint8_t> &frame) override;
    void stop() override;
    void close() override;
    std::vector<SourceControl> controls() override;
    CaptureResult setControl(std::uint32_t id, int value) override;

    /// The picture size the driver set for the last start (frames are scaled from it).
    QSize deliveredSize() const { return m_delivered; }

private:
    struct Buffer
    {
        void *start = nullptr;
        std::size_t length = 0;
    };

    CaptureResult negotiate(const VideoHeader &header);
    CaptureResult startStreaming();
    CaptureResult mapBuffers(unsigned count);
    void releaseBuffers();
    ReadResult readStreamed(std::vector<std::uint8_t> &frame);
    ReadResult readDirect(std::vector<std::uint8_t> &frame);
    ReadResult failedRead(int error);
    bool accept(const std::uint8_t *data, std::size_t used, std::vector<std::uint8_t> &frame);
    CaptureResult failure(const QString &what, int error) const;

    std::shared_ptr<DeviceIo> m_io;
    QString m_path;
    int m_fd = -1;
    bool m_streamingIo = true;
    bool m_streaming = false;
    std::vector<Buffer> m_buffers;
    std::vector<std::uint8_t> m_readBuffer;
    VideoHeader m_header;
    QSize m_delivered;
    int m_bytesPerLine = 0;
    std::size_t m_frameBytes = 0; // of one frame as the driver delivers it
    FrameScaler m_scaler;
    int m_framesToDrop = 0;
    int m_errorRun = 0;
    std::mutex m_ioMutex; // the settings dialog's ioctls meet the capture thread's
};
