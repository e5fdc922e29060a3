#include "video/videoencoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <QFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {
QString avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

// The encoder of the ffmpeg program's "-c:v libx264", or any other H.264 encoder there is.
const AVCodec *h264Encoder()
{
    if (const AVCodec *x264 = avcodec_find_encoder_by_name("libx264"))
        return x264;
    return avcodec_find_encoder(AV_CODEC_ID_H264);
}

// JPEG's full range to the video's limited one, by the formulas swscale applies: luma 0..255
// to 16..235, chroma 0..255 to 16..240 about 128.
struct RangeTables
{
    std::array<std::uint8_t, 256> luma{};
    std::array<std::uint8_t, 256> chroma{};
    RangeTables()
    {
        for (int v = 0; v < 256; ++v) {
            luma[std::size_t(v)] = std::uint8_t(std::lround(16.0 + v * 219.0 / 255.0));
            chroma[std::size_t(v)] = std::uint8_t(std::lround(128.0 + (v - 128) * 224.0 / 255.0));
        }
    }
};
} // namespace

struct VideoEncoder::Codec
{
    AVFormatContext *format = nullptr;
    AVCodecContext *context = nullptr;
    AVStream *stream = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;
    SwsContext *scaler = nullptr;
    // Between the converted frame and the encoder when deflickering: buffer, deflicker, sink.
    AVFilterGraph *graph = nullptr;
    AVFilterContext *filterIn = nullptr;
    AVFilterContext *filterOut = nullptr;
    AVFrame *filtered = nullptr;
    AVFrame *fitted = nullptr; // a picture of another size, scaled to its place in the frame
    QSize pictureSize;
    int frames = 0;

    ~Codec()
    {
        avfilter_graph_free(&graph);
        av_frame_free(&filtered);
        av_frame_free(&fitted);
        sws_freeContext(scaler);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
        if (format && format->pb)
            avio_closep(&format->pb);
        avformat_free_context(format);
    }

    Result<> openCodec(const QString &path, QSize size, Settings settings);
    Result<> openFile(const QString &path);
    Result<> openFilter(QSize size, Settings settings);
    /// Passes frame (nullptr: the end) through the filter, encoding what comes out.
    Result<> filterAndEncode(AVFrame *frame);
    /// Converts (and crops, or scales into its fitted rectangle) a picture into the frame and
    /// encodes it; pixels is its AVPixelFormat.
    Result<> convertAndEncode(const uint8_t *const planes[], const int strides[], QSize size,
                              int pixels);
    /// Scales a picture of rows rows into the rectangle to of the frame, with black bars
    /// around it.
    Result<> scaleWithBars(const uint8_t *const planes[], const int strides[], int rows, QRect to);
    /// The same for 4:2:0 planes of the first picture's size, which need their range changed
    /// and the odd column and row cut, nothing else: by tables, without swscale's general path.
    Result<> rangeAndEncode(const JpegPlanes &picture);
    /// Sends frame (nullptr: the end) and writes every packet the encoder gives back.
    Result<> encode(const AVFrame *frame);
    Result<> writeError(int code) const
    {
        // The muxer may report a failed buffer flush only through the I/O context.
        if (code >= 0 && format->pb && format->pb->error < 0)
            code = format->pb->error;
        if (code >= 0)
            return {};
        return failure(QStringLiteral("Cannot write the video: %1").arg(avError(code)));
    }
};

VideoEncoder::VideoEncoder() = default;
VideoEncoder::~VideoEncoder() = default;

QSize VideoEncoder::videoSize(QSize pictureSize)
{
    const QSize even(pictureSize.width() & ~1, pictureSize.height() & ~1);
    return even.width() >= 2 && even.height() >= 2 ? even : QSize();
}

QRect VideoEncoder::fittedRect(QSize pictureSize, QSize frameSize)
{
    if (pictureSize.isEmpty() || frameSize.isEmpty())
        return {};
    // side * to / from, to the nearest even number, within 2..limit; in 64 bits, as the
    // products of two sides need.
    const auto evenSide = [](qint64 side, qint64 to, qint64 from, int limit) {
        return int(std::clamp<qint64>(2 * ((side * to + from) / (2 * from)), 2, limit));
    };
    const qint64 w = pictureSize.width(), h = pictureSize.height();
    const int frameW = frameSize.width(), frameH = frameSize.height();
    // A picture at least as wide as the frame, for its height, spans the frame's width.
    const QSize size = w * frameH >= h * frameW ? QSize(frameW, evenSide(h, frameW, w, frameH))
                                                : QSize(evenSide(w, frameH, h, frameW), frameH);
    return QRect(QPoint(((frameW - size.width()) / 2) & ~1, ((frameH - size.height()) / 2) & ~1),
                 size);
}

Result<> VideoEncoder::open(const QString &path, QSize pictureSize, Settings settings)
{
    // The libraries' own chatter (encoder statistics) stays off standard error; the reasons of
    // failures reach the user through the results.
    av_log_set_level(AV_LOG_ERROR);
    m_codec = std::make_unique<Codec>();
    m_codec->pictureSize = pictureSize;
    const QSize size = videoSize(pictureSize);
    if (size.isEmpty())
        return failure(QStringLiteral("A picture of %1 x %2 pixels is too small for a video.")
                           .arg(pictureSize.width())
                           .arg(pictureSize.height()));
    if (Result<> opened = m_codec->openCodec(path, size, settings); !opened)
        return opened;
    if (settings.deflicker > 0) {
        if (Result<> filter = m_codec->openFilter(size, settings); !filter)
            return filter;
    }
    return m_codec->openFile(path);
}

Result<> VideoEncoder::Codec::openCodec(const QString &path, QSize size, Settings settings)
{
    const AVCodec *codec = h264Encoder();
    if (!codec)
        return failure(QStringLiteral("This FFmpeg has no H.264 encoder (libx264)."));
    const QByteArray file = QFile::encodeName(path);
    int code = avformat_alloc_output_context2(&format, nullptr, "mp4", file.constData());
    if (code < 0)
        return failure(QStringLiteral("Cannot make an MP4 file: %1").arg(avError(code)));
    stream = avformat_new_stream(format, nullptr);
    context = avcodec_alloc_context3(codec);
    frame = av_frame_alloc();
    packet = av_packet_alloc();
    if (!stream || !context || !frame || !packet)
        return failure(QStringLiteral("Not enough memory for the video encoder."));

    context->width = size.width();
    context->height = size.height();
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = AVRational{1, settings.framesPerSecond};
    context->framerate = AVRational{settings.framesPerSecond, 1};
    // swscale's RGB to YUV conversion: BT.601 in limited range; say so to the players.
    context->color_range = AVCOL_RANGE_MPEG;
    context->colorspace = AVCOL_SPC_SMPTE170M;
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary *options = nullptr;
    av_dict_set_int(&options, "crf", settings.crf, 0);
    av_dict_set(&options, "preset", "medium", 0);
    av_dict_set(&options, "threads", "auto", 0); // as many as the cores keep busy
    code = avcodec_open2(context, codec, &options);
    av_dict_free(&options);
    if (code < 0)
        return failure(QStringLiteral("Cannot start the H.264 encoder: %1").arg(avError(code)));
    code = avcodec_parameters_from_context(stream->codecpar, context);
    if (code < 0)
        return failure(QStringLiteral("Cannot start the H.264 encoder: %1").arg(avError(code)));
    stream->time_base = context->time_base;
    stream->avg_frame_rate = context->framerate;

    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = size.width();
    frame->height = size.height();
    code = av_frame_get_buffer(frame, 0);
    if (code < 0)
        return failure(QStringLiteral("Not enough memory for the video encoder."));
    return {};
}

Result<> VideoEncoder::Codec::openFilter(QSize size, Settings settings)
{
    const auto failed = [](int code) {
        return failure(QStringLiteral("Cannot start the deflicker filter: %1").arg(avError(code)));
    };
    const AVFilter *deflicker = avfilter_get_by_name("deflicker");
    if (!deflicker)
        return failure(QStringLiteral("This FFmpeg has no deflicker filter (libavfilter)."));
    graph = avfilter_graph_alloc();
    filtered = av_frame_alloc();
    if (!graph || !filtered)
        return failure(QStringLiteral("Not enough memory for the video encoder."));
    const QByteArray in = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=1/%4:"
                                         "pixel_aspect=1/1")
                              .arg(size.width())
                              .arg(size.height())
                              .arg(int(AV_PIX_FMT_YUV420P))
                              .arg(settings.framesPerSecond)
                              .toLatin1();
    const QByteArray average =
        QByteArray("size=") + QByteArray::number(settings.deflicker) + ":mode=am";
    AVFilterContext *smooth = nullptr;
    int code = avfilter_graph_create_filter(&filterIn, avfilter_get_by_name("buffer"), "in",
                                            in.constData(), nullptr, graph);
    if (code >= 0)
        code = avfilter_graph_create_filter(&smooth, deflicker, "deflicker", average.constData(),
                                            nullptr, graph);
    if (code >= 0)
        code = avfilter_graph_create_filter(&filterOut, avfilter_get_by_name("buffersink"), "out",
                                            nullptr, nullptr, graph);
    if (code >= 0)
        code = avfilter_link(filterIn, 0, smooth, 0);
    if (code >= 0)
        code = avfilter_link(smooth, 0, filterOut, 0);
    if (code >= 0)
        code = avfilter_graph_config(graph, nullptr);
    return code < 0 ? failed(code) : Result<>();
}

Result<> VideoEncoder::Codec::filterAndEncode(AVFrame *input)
{
    // The filter takes its own reference; the frame is written anew only once it is free.
    int code = av_buffersrc_add_frame_flags(filterIn, input, AV_BUFFERSRC_FLAG_KEEP_REF);
    if (code < 0)
        return failure(QStringLiteral("The deflicker filter failed: %1").arg(avError(code)));
    for (;;) {
        code = av_buffersink_get_frame(filterOut, filtered);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF)
            return {};
        if (code < 0)
            return failure(QStringLiteral("The deflicker filter failed: %1").arg(avError(code)));
        const Result<> encoded = encode(filtered);
        av_frame_unref(filtered);
        if (!encoded)
            return encoded;
    }
}

Result<> VideoEncoder::Codec::openFile(const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    int code = avio_open(&format->pb, file.constData(), AVIO_FLAG_WRITE);
    if (code < 0)
        return failure(QStringLiteral("Cannot create the file: %1").arg(avError(code)));
    // The index at the front, so that a browser starts playing before it has the whole file.
    AVDictionary *options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    code = avformat_write_header(format, &options);
    av_dict_free(&options);
    return writeError(code);
}

Result<> VideoEncoder::add(const QImage &picture)
{
    QImage source = picture;
    if (source.format() != QImage::Format_RGB888 && source.format() != QImage::Format_Grayscale8)
        source = source.convertToFormat(QImage::Format_RGB888);
    const auto pixels =
        source.format() == QImage::Format_Grayscale8 ? AV_PIX_FMT_GRAY8 : AV_PIX_FMT_RGB24;
    const uint8_t *planes[1] = {source.constBits()};
    const int strides[1] = {static_cast<int>(source.bytesPerLine())};
    return m_codec->convertAndEncode(planes, strides, source.size(), pixels);
}

Result<> VideoEncoder::add(const JpegPlanes &picture)
{
    // JPEG's full range; the conversion to the video's limited range is swscale's.
    const AVPixelFormat pixels = picture.chromaShiftY   ? AV_PIX_FMT_YUVJ420P
                                 : picture.chromaShiftX ? AV_PIX_FMT_YUVJ422P
                                                        : AV_PIX_FMT_YUVJ444P;
    if (pixels == AV_PIX_FMT_YUVJ420P && picture.size == m_codec->pictureSize)
        return m_codec->rangeAndEncode(picture);
    const uint8_t *planes[3] = {picture.samples[0].data(), picture.samples[1].data(),
                                picture.samples[2].data()};
    return m_codec->convertAndEncode(planes, picture.strides.data(), picture.size, pixels);
}

Result<> VideoEncoder::Codec::rangeAndEncode(const JpegPlanes &picture)
{
    static const RangeTables tables;
    if (av_frame_make_writable(frame) < 0)
        return failure(QStringLiteral("Not enough memory for the video encoder."));
    for (std::size_t c = 0; c < 3; ++c) {
        // The frame's sides are even: its chroma planes are exactly half of them, within the
        // picture's (half its sides, rounded up).
        const int width = c == 0 ? frame->width : frame->width / 2;
        const int height = c == 0 ? frame->height : frame->height / 2;
        const auto &table = c == 0 ? tables.luma : tables.chroma;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t *in =
                picture.samples[c].data() + std::size_t(y) * std::size_t(picture.strides[c]);
            std::uint8_t *out = frame->data[c] + std::ptrdiff_t(y) * frame->linesize[c];
            for (int x = 0; x < width; ++x)
                out[x] = table[in[x]];
        }
    }
    frame->pts = frames++;
    return graph ? filterAndEncode(frame) : encode(frame);
}

Result<> VideoEncoder::Codec::convertAndEncode(const uint8_t *const planes[], const int strides[],
                                               QSize size, int pixels)
{
    // A picture of the first one's size is cropped to the even video size by reading fewer
    // columns and rows; one of another size is scaled to fit inside the frame, with its
    // proportions.
    const QSize frameSize(frame->width, frame->height);
    const bool same = size == pictureSize;
    const QSize from = same ? frameSize : size;
    const QRect to = same ? QRect(QPoint(), frameSize) : fittedRect(size, frameSize);
    scaler = sws_getCachedContext(scaler, from.width(), from.height(), AVPixelFormat(pixels),
                                  to.width(), to.height(), AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr,
                                  nullptr, nullptr);
    if (!scaler)
        return failure(QStringLiteral("Cannot convert a picture of %1 x %2 pixels.")
                           .arg(size.width())
                           .arg(size.height()));
    // The encoder may still hold the previous frame's buffer.
    if (av_frame_make_writable(frame) < 0)
        return failure(QStringLiteral("Not enough memory for the video encoder."));
    if (to.size() == frameSize)
        sws_scale(scaler, planes, strides, 0, from.height(), frame->data, frame->linesize);
    else if (Result<> boxed = scaleWithBars(planes, strides, from.height(), to); !boxed)
        return boxed;
    frame->pts = frames++;
    return graph ? filterAndEncode(frame) : encode(frame);
}

Result<> VideoEncoder::Codec::scaleWithBars(const uint8_t *const planes[], const int strides[],
                                            int rows, QRect to)
{
    // swscale writes whole SIMD words, past a row's end: into the frame's rectangle directly
    // it would draw into the bar on its right. A frame of the rectangle's size takes it first.
    if (!fitted || fitted->width != to.width() || fitted->height != to.height()) {
        av_frame_free(&fitted);
        fitted = av_frame_alloc();
        if (fitted) {
            fitted->format = AV_PIX_FMT_YUV420P;
            fitted->width = to.width();
            fitted->height = to.height();
        }
        if (!fitted || av_frame_get_buffer(fitted, 0) < 0) {
            av_frame_free(&fitted);
            return failure(QStringLiteral("Not enough memory for the video encoder."));
        }
    }
    sws_scale(scaler, planes, strides, 0, rows, fitted->data, fitted->linesize);
    // The bars: black in the frame's limited range (Y 16, U and V 128). Filling fails only for
    // formats it does not know, which the frame's is not.
    const ptrdiff_t lines[4] = {frame->linesize[0], frame->linesize[1], frame->linesize[2]};
    (void)av_image_fill_black(frame->data, lines, AV_PIX_FMT_YUV420P, AVCOL_RANGE_MPEG,
                              frame->width, frame->height);
    // The rectangle's offsets and sides are even: the chroma planes' are exactly half of them.
    for (int c = 0; c < 3; ++c) {
        const int shift = c ? 1 : 0;
        uint8_t *into = frame->data[c] + std::ptrdiff_t(to.y() >> shift) * frame->linesize[c] +
                        (to.x() >> shift);
        av_image_copy_plane(into, frame->linesize[c], fitted->data[c], fitted->linesize[c],
                            to.width() >> shift, to.height() >> shift);
    }
    return {};
}

Result<> VideoEncoder::Codec::encode(const AVFrame *input)
{
    int code = avcodec_send_frame(context, input);
    if (code < 0)
        return failure(QStringLiteral("The H.264 encoder failed: %1").arg(avError(code)));
    for (;;) {
        code = avcodec_receive_packet(context, packet);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF)
            return {};
        if (code < 0)
            return failure(QStringLiteral("The H.264 encoder failed: %1").arg(avError(code)));
        av_packet_rescale_ts(packet, context->time_base, stream->time_base);
        packet->stream_index = stream->index;
        code = av_interleaved_write_frame(format, packet);
        if (Result<> written = writeError(code); !written)
            return written;
    }
}

Result<> VideoEncoder::finish()
{
    Codec &c = *m_codec;
    // The filter holds the last pictures of its average until it hears of the end.
    if (c.graph) {
        if (Result<> filtered = c.filterAndEncode(nullptr); !filtered)
            return filtered;
    }
    if (Result<> flushed = c.encode(nullptr); !flushed)
        return flushed;
    if (Result<> written = c.writeError(av_write_trailer(c.format)); !written)
        return written;
    return c.writeError(avio_closep(&c.format->pb));
}

int VideoEncoder::frameCount() const
{
    return m_codec ? m_codec->frames : 0;
}
