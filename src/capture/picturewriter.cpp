#include "capture/picturewriter.h"

#include "capture/jpegencoder.h"

#include <QDir>

PictureWriter::PictureWriter(AtomicFileWriter writer) : m_writer(std::move(writer)) {}

std::optional<int> PictureWriter::parseQuality(const QString &text)
{
    bool ok = false;
    const int quality = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(quality) : std::nullopt;
}

WriteResult PictureWriter::store(std::span<const std::uint8_t> frame, FrameBuffers &buffers,
                                 const QString &qualityText, bool greyscale, const QString &path)
{
    const std::optional<int> quality = parseQuality(qualityText);
    if (!quality) {
        return {QDir::fromNativeSeparators(path),
                QStringLiteral("the JPEG quality \"%1\" is not a whole number").arg(qualityText)};
    }
    return store(frame, buffers, *quality, greyscale, path);
}

WriteResult PictureWriter::store(std::span<const std::uint8_t> frame, FrameBuffers &buffers,
                                 int quality, bool greyscale, const QString &path)
{
    WriteResult failed{QDir::fromNativeSeparators(path), {}};
    JpegEncoder encoder(quality, greyscale);
    switch (buffers.copyFrame(frame)) {
    case FrameBuffers::CopyResult::Copied:
        break;
    case FrameBuffers::CopyResult::ShortFrame:
        failed.reason = QStringLiteral("the frame holds %1 bytes, %2 expected")
                            .arg(frame.size())
                            .arg(buffers.frameImage().imageSize());
        return failed;
    case FrameBuffers::CopyResult::UnsupportedFormat:
        failed.reason = QStringLiteral("the video format is not 24-bit colour");
        return failed;
    }
    if (!encoder.encode(buffers.bitmap(), m_jpeg)) {
        failed.reason = encoder.errorString();
        return failed;
    }
    return m_writer.write(path, m_jpeg);
}
