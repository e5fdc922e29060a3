#pragma once
// Pictures for the video tests, written into the store below the working directory, and what a
// made video holds, read back with FFmpeg's own decoder.

#include "capture/jpegencoder.h"
#include "shell/picturenames.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <array>
#include <vector>

/// The flat colour of picture n, different from its neighbours'.
inline QColor pictureColour(int n)
{
    return QColor::fromHsv((n * 47) % 360, 200, 220);
}

/// Writes image as picture n of the store, a JPEG file in colour or greyscale.
inline bool writePicture(int n, const QImage &image, bool grey = false)
{
    std::vector<std::uint8_t> jpeg;
    const int d = PictureStore::DirectoryOfPicture(n);
    if (!JpegEncoder(90, grey).encode(image, jpeg) || !QDir().mkpath(QString::number(d)))
        return false;
    QFile file(PictureStore::PicturePath(d, n));
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char *>(jpeg.data()), qint64(jpeg.size())) ==
               qint64(jpeg.size());
}

/// Writes picture n of size as a JPEG file: its flat colour, or camera-like noise; in colour
/// or greyscale.
inline bool writePicture(int n, QSize size, bool noise = false, bool grey = false)
{
    QImage image(size, QImage::Format_RGB888);
    image.fill(pictureColour(n));
    if (noise) {
        QRandomGenerator random(static_cast<quint32>(n));
        for (int y = 0; y < size.height(); ++y) {
            uchar *row = image.scanLine(y);
            for (int x = 0; x < size.width() * 3; ++x)
                row[x] = static_cast<uchar>(random.bounded(256));
        }
    }
    return writePicture(n, image, grey);
}

struct VideoContents
{
    QString error;
    QString codec;
    QString pixelFormat;
    QSize size;
    double framesPerSecond = 0;
    QList<QColor> colours;               // each frame's colour in its centre, in display order
    QList<std::array<QImage, 3>> planes; // each frame's Y, U and V planes, when asked for
};

/// Decodes the whole video at path, keeping each frame's planes (as greyscale pictures) with
/// withPlanes.
inline VideoContents readVideo(const QString &path, bool withPlanes = false)
{
    VideoContents video;
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(format, nullptr) < 0) {
        video.error = "cannot open " + path;
        avformat_close_input(&format);
        return video;
    }
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVStream *stream = index >= 0 ? format->streams[index] : nullptr;
    const AVCodec *codec = stream ? avcodec_find_decoder(stream->codecpar->codec_id) : nullptr;
    AVCodecContext *context = avcodec_alloc_context3(codec);
    if (!codec || avcodec_parameters_to_context(context, stream->codecpar) < 0 ||
        avcodec_open2(context, codec, nullptr) < 0) {
        video.error = "no video stream";
    } else {
        video.codec = codec->name;
        video.pixelFormat = av_get_pix_fmt_name(AVPixelFormat(stream->codecpar->format));
        video.size = QSize(stream->codecpar->width, stream->codecpar->height);
        video.framesPerSecond = av_q2d(stream->avg_frame_rate);
        AVPacket *packet = av_packet_alloc();
        AVFrame *frame = av_frame_alloc();
        auto receive = [&] {
            while (avcodec_receive_frame(context, frame) == 0) {
                if (withPlanes) {
                    const AVPixFmtDescriptor *layout =
                        av_pix_fmt_desc_get(AVPixelFormat(frame->format));
                    std::array<QImage, 3> planes;
                    for (int c = 0; c < 3; ++c) {
                        const int shiftX = c ? layout->log2_chroma_w : 0;
                        const int shiftY = c ? layout->log2_chroma_h : 0;
                        planes[std::size_t(c)] =
                            QImage(frame->data[c], AV_CEIL_RSHIFT(frame->width, shiftX),
                                   AV_CEIL_RSHIFT(frame->height, shiftY), frame->linesize[c],
                                   QImage::Format_Grayscale8)
                                .copy();
                    }
                    video.planes << planes;
                }
                // swscale may write past a row's end: rows with room to spare.
                const int stride = FFALIGN(frame->width * 3, 64) + 64;
                std::vector<uint8_t> rgb(std::size_t(stride) * std::size_t(frame->height + 1));
                SwsContext *sws = sws_getContext(
                    frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                    frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
                uint8_t *planes[1] = {rgb.data()};
                const int strides[1] = {stride};
                sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
                sws_freeContext(sws);
                const uint8_t *centre = &rgb[std::size_t(frame->height / 2) * stride +
                                             std::size_t(frame->width / 2) * 3];
                video.colours << QColor(centre[0], centre[1], centre[2]);
            }
        };
        while (av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index)
                avcodec_send_packet(context, packet);
            av_packet_unref(packet);
            receive();
        }
        avcodec_send_packet(context, nullptr);
        receive();
        av_frame_free(&frame);
        av_packet_free(&packet);
    }
    avcodec_free_context(&context);
    avformat_close_input(&format);
    return video;
}

/// Whether two colours differ by at most what H.264 at the default quality may change.
inline bool nearColour(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 12 && qAbs(a.green() - b.green()) <= 12 &&
           qAbs(a.blue() - b.blue()) <= 12;
}
