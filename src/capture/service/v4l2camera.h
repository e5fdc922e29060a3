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

    Result<> open() override;
    Result<> start(const VideoHeader &header) override;
    ReadResult readFrame(QImage &frame) override;
    void stop() override;
    void close() override;
    std::vector<QSize> frameSizes() override;
    std::vector<SourceControl> controls() override;
    Result<> setControl(std::uint32_t id, int value) override;

    /// The picture size the driver set for the last start (frames are scaled from it).
    QSize deliveredSize() const { return m_delivered; }

private:
    struct Buffer
    {
        void *start = nullptr;
        std::size_t length = 0;
    };

    Result<> negotiate(const VideoHeader &header);
    Result<> startStreaming();
    Result<> mapBuffers(unsigned count);
    void releaseBuffers();
    ReadResult readStreamed(QImage &frame);
    ReadResult readDirect(QImage &frame);
    ReadResult failedRead(int error);
    ReadResult accept(const std::uint8_t *data, std::size_t used, QImage &frame);
    Result<> deviceFailure(const QString &what, int error) const;

    std::shared_ptr<DeviceIo> m_io;
    QString m_path;
    int m_fd = -1;
    bool m_streamingIo = true;
    bool m_streaming = false;
    std::vector<Buffer> m_buffers;
    std::vector<std::uint8_t> m_readBuffer;
    QSize m_size; // of the frames handed on
    QSize m_delivered;
    int m_bytesPerLine = 0;
    std::size_t m_frameBytes = 0; // of one frame as the driver delivers it
    FrameScaler m_scaler;
    int m_framesToDrop = 0;
    int m_errorRun = 0;
    std::mutex m_ioMutex; // the settings dialog's ioctls meet the capture thread's
};
