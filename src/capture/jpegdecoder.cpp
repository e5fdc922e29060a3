#include "capture/jpegdecoder.h"

#include "capture/jpegerrormanager.h"

#include <QFile>

namespace {
// Stored pictures come from our own cameras; anything larger is damaged or not ours, and is
// refused before it can take the memory it claims.
constexpr int MaximumSide = 8192;
constexpr qint64 MaximumBytes = 256LL * 1024 * 1024;

// Chooses scale_denom: the largest of 8, 4, 2 whose output still covers box.
void chooseScale(jpeg_decompress_struct &cinfo, QSize box)
{
    cinfo.scale_num = 1;
    for (unsigned denom : {8u, 4u, 2u, 1u}) {
        cinfo.scale_denom = denom;
        jpeg_calc_output_dimensions(&cinfo);
        if (denom == 1 || (static_cast<int>(cinfo.output_width) >= box.width() &&
                           static_cast<int>(cinfo.output_height) >= box.height()))
            return;
    }
}
} // namespace

Result<QImage> JpegDecoder::read(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(file.errorString());
    if (file.size() > MaximumBytes)
        return failure(
            QStringLiteral("The file is larger than any picture (%1 bytes)").arg(file.size()));
    return decode(file.readAll());
}

Result<QImage> JpegDecoder::decode(const QByteArray &data) const
{
    JpegErrorManager errors(true);
    jpeg_decompress_struct cinfo{};
    cinfo.err = &errors;
    QImage image;
    // Two guarded steps, so the QImage is made outside them: nothing with a destructor may be
    // alive in a step when libjpeg bails out by longjmp.
    auto readHeader = [&] {
        jpeg_create_decompress(&cinfo);
        // libjpeg's own work memory (a progressive picture's coefficients) has the same bound;
        // beyond it libjpeg fails, as it has no backing store.
        cinfo.mem->max_memory_to_use = MaximumBytes;
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.constData()),
                     static_cast<unsigned long>(data.size()));
        jpeg_read_header(&cinfo, TRUE);
        const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
        cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
        if (m_box.isValid())
            chooseScale(cinfo, m_box);
    };
    auto start = [&] { jpeg_start_decompress(&cinfo); };
    auto readRows = [&] {
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = image.scanLine(static_cast<int>(cinfo.output_scanline));
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
    };
    QString error;
    bool ok = errors.guard(readHeader);
    if (ok && (cinfo.image_width > MaximumSide || cinfo.image_height > MaximumSide)) {
        error = QStringLiteral("The picture claims %1 x %2 pixels, more than %3 x %3")
                    .arg(cinfo.image_width)
                    .arg(cinfo.image_height)
                    .arg(MaximumSide);
        ok = false;
    }
    ok = ok && errors.guard(start);
    if (ok) {
        const auto format =
            cinfo.output_components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888;
        image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                       format);
        if (image.isNull())
            error = QStringLiteral("Not enough memory for a %1 x %2 picture")
                        .arg(cinfo.output_width)
                        .arg(cinfo.output_height);
        ok = !image.isNull() && errors.guard(readRows);
    }
    if (!ok && error.isEmpty())
        error = errors.errorString();
    jpeg_destroy_decompress(&cinfo);
    if (!ok)
        return failure(error);
    return image;
}
