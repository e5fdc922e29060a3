#pragma once
// Turns a sequence of pictures into an H.264 video in an MP4 file with FFmpeg's libraries:
// yuv420p, so that every player and browser plays it, at a constant quality (CRF). The first
// picture's size decides the video's; odd sides lose their last column or row (H.264's 4:2:0
// needs even sides); pictures of another size are scaled to fit inside it, keeping their
// proportions, with black bars around them as a video player shows them. Deflicker evens out
// the brightness from picture to picture with FFmpeg's deflicker filter.

#include "capture/jpegdecoder.h"
#include "shell/result.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

class VideoEncoder
{
public:
    struct Settings
    {
        int framesPerSecond = 25;
        int crf = 23;      // x264's constant rate factor: 0 (lossless) to 51, lower is better
        int deflicker = 0; // pictures in the brightness's moving average; 0: off
    };

    VideoEncoder();
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder &) = delete;
    VideoEncoder &operator=(const VideoEncoder &) = delete;

    /// The video size for pictures of pictureSize: each side rounded down to even. Empty when
    /// a side is smaller than 2.
    static QSize videoSize(QSize pictureSize);
    /// Where a picture of pictureSize goes in a frame of frameSize (even sides): the largest
    /// rectangle of the picture's proportions inside the frame, centred, with even sides and
    /// offsets (so that 4:2:0 chroma lines up), at least 2 pixels on each side. The whole
    /// frame when the proportions are the frame's (to the nearest even pixel); empty when
    /// either size is.
    static QRect fittedRect(QSize pictureSize, QSize frameSize);

    /// Creates the file at path (replacing one that is there) for a video of pictures of
    /// pictureSize. Fails with the reason: no H.264 encoder, a picture too small, a file that
    /// cannot be created.
    Result<> open(const QString &path, QSize pictureSize, Settings settings);
    /// Adds picture as the next frame (Format_RGB888 or Format_Grayscale8 without a copy,
    /// other formats through one). Fails with the reason when encoding or writing fails.
    Result<> add(const QImage &picture);
    /// Adds a picture's YCbCr planes as the next frame, without a trip through RGB.
    Result<> add(const JpegPlanes &picture);
    /// Encodes what the encoder still holds and completes the file. Fails with the reason when
    /// writing fails; the file is then incomplete and the caller removes it.
    Result<> finish();
    /// Frames added so far.
    int frameCount() const;

private:
    struct Codec;
    std::unique_ptr<Codec> m_codec;
};
