#include "capture/picturewriter.h"

#include "capture/jpegencoder.h"

#include <QDir>

#include <cerrno>

namespace {
std::unexpected<QString> failed(const QString &path, const QString &reason)
{
    return failure(QDir::fromNativeSeparators(path) + QStringLiteral(": ") + reason);
}

// A frame of another size than agreed (a format change half done) is never stored: its
// picture would not match the size the user chose.
QString formatMismatch(const QImage &frame, const VideoHeader &format)
{
    if (format.bitCount != 24 || format.planes != 1)
        return QStringLiteral("the video format is not 24-bit colour");
    if (frame.size() != format.size() || frame.depth() != 24)
        return QStringLiteral("the frame holds %1 bytes, %2 expected")
            .arg(frame.sizeInBytes())
            .arg(format.imageSize());
    return {};
}
} // namespace

PictureWriter::PictureWriter(AtomicFileWriter writer) : m_writer(std::move(writer)) {}

std::optional<int> PictureWriter::parseQuality(const QString &text)
{
    bool ok = false;
    const int quality = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(quality) : std::nullopt;
}

Result<qint64> PictureWriter::store(const QImage &frame, const VideoHeader &format, int quality,
                                    bool greyscale, const QString &path, const Grab &grab)
{
    m_outOfSpace = false;
    if (const QString mismatch = formatMismatch(frame, format); !mismatch.isEmpty())
        return failed(path, mismatch);
    const bool stamped = grab.stamped && grab.time.isValid();
    if (stamped && !PictureStamp::canDraw())
        return failed(path, QStringLiteral("the time stamp cannot be drawn without fonts"));
    const Result<std::span<const std::uint8_t>> exif =
        m_exif.payload(grab.time, frame.size(), greyscale, grab.camera);
    if (!exif)
        return failed(path, exif.error());
    const QImage &picture = stamped ? m_stamp.stamped(frame, PictureStamp::text(grab.time)) : frame;
    const JpegEncoder encoder(quality, greyscale);
    if (const Result<> encoded = encoder.encode(picture, m_jpeg, *exif); !encoded)
        return failed(path, encoded.error());
    int error = 0;
    if (const Result<> written = m_writer.write(path, m_jpeg, &error); !written) {
        m_outOfSpace = error == ENOSPC || error == EDQUOT;
        return failure(written.error());
    }
    return static_cast<qint64>(m_jpeg.size());
}
