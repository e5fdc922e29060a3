#include "capture/jpegdecoder.h"

#include "capture/jpegerrormanager.h"

#include <QFile>
#include <QSysInfo>

namespace {
// Stored pictures come from our own cameras; anything larger is damaged or not ours, and is
// refused before it can take the memory it claims.
constexpr int MaximumSide = 8192;
constexpr qint64 MaximumBytes = 256LL * 1024 * 1024;
// The largest picture whose planes are decoded: 8192 x 8192, 192 MB of samples at most.
constexpr qint64 MaxPlanarPixels = 8192LL * 8192LL;

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

// The sampling of a file whose planes decodePlanes hands out as they are.
bool planarSampling(const jpeg_decompress_struct &cinfo)
{
    if (cinfo.jpeg_color_space != JCS_YCbCr || cinfo.num_components != 3)
        return false;
    const jpeg_component_info *c = cinfo.comp_info;
    return (c[0].h_samp_factor == 1 || c[0].h_samp_factor == 2) &&
           (c[0].v_samp_factor == 1 || c[0].v_samp_factor == 2) &&
           c[0].v_samp_factor <= c[0].h_samp_factor && c[1].h_samp_factor == 1 &&
           c[1].v_samp_factor == 1 && c[2].h_samp_factor == 1 && c[2].v_samp_factor == 1;
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
        // Blue, green, red and a byte libjpeg sets to 255: 0xffRRGGBB in a little-endian word.
        const J_COLOR_SPACE colour = m_forPainting && QSysInfo::ByteOrder == QSysInfo::LittleEndian
                                         ? JCS_EXT_BGRX
                                     : m_forPainting ? JCS_EXT_XRGB
                                                     : JCS_RGB;
        cinfo.out_color_space = grey ? JCS_GRAYSCALE : colour;
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
        const auto format = cinfo.output_components == 1   ? QImage::Format_Grayscale8
                            : cinfo.output_components == 4 ? QImage::Format_RGB32
                                                           : QImage::Format_RGB888;
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

Result<JpegPlanes> JpegDecoder::decodePlanes(const QByteArray &data) const
{
    JpegErrorManager errors(true);
    jpeg_decompress_struct cinfo{};
    cinfo.err = &errors;
    bool planar = false;
    auto readHeader = [&] {
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.constData()),
                     static_cast<unsigned long>(data.size()));
        jpeg_read_header(&cinfo, TRUE);
        planar = planarSampling(cinfo);
        if (!planar)
            return;
        cinfo.raw_data_out = TRUE;
        jpeg_start_decompress(&cinfo);
    };
    // libjpeg hands out one row of MCUs at a time: the planes are allocated to whole MCU rows,
    // and the row pointers for each component are made before the guarded step.
    JpegPlanes planes;
    std::array<std::vector<JSAMPROW>, 3> rows;
    auto readRows = [&] {
        const int mcuRows = cinfo.max_v_samp_factor * DCTSIZE;
        while (cinfo.output_scanline < cinfo.output_height) {
            const int mcu = static_cast<int>(cinfo.output_scanline) / mcuRows;
            std::array<JSAMPARRAY, 3> image{};
            for (int c = 0; c < 3; ++c) {
                const int height = cinfo.comp_info[c].v_samp_factor * DCTSIZE;
                image[c] = rows[c].data() + std::size_t(mcu) * std::size_t(height);
            }
            jpeg_read_raw_data(&cinfo, image.data(), static_cast<JDIMENSION>(mcuRows));
        }
        jpeg_finish_decompress(&cinfo);
    };
    bool ok = errors.guard(readHeader);
    QString error = ok ? QString() : errors.errorString();
    if (ok && !planar) {
        ok = false;
        error = QStringLiteral("Not a YCbCr picture with 4:2:0, 4:2:2 or 4:4:4 sampling");
    } else if (ok && qint64(cinfo.output_width) * cinfo.output_height > MaxPlanarPixels) {
        ok = false;
        error = QStringLiteral("The picture is too large (%1 x %2)")
                    .arg(cinfo.output_width)
                    .arg(cinfo.output_height);
    }
    if (ok) {
        const int mcuRows = cinfo.max_v_samp_factor * DCTSIZE;
        const int mcus = (static_cast<int>(cinfo.output_height) + mcuRows - 1) / mcuRows;
        planes.size = QSize(int(cinfo.output_width), int(cinfo.output_height));
        planes.chromaShiftX = cinfo.max_h_samp_factor - 1;
        planes.chromaShiftY = cinfo.max_v_samp_factor - 1;
        for (int c = 0; c < 3; ++c) {
            const jpeg_component_info &component = cinfo.comp_info[c];
            // Whole MCUs wide, the most libjpeg may write.
            const int blocks =
                (static_cast<int>(component.width_in_blocks) + component.h_samp_factor - 1) /
                component.h_samp_factor * component.h_samp_factor;
            const int stride = blocks * DCTSIZE;
            const int height = mcus * component.v_samp_factor * DCTSIZE;
            planes.strides[c] = stride;
            planes.samples[c].resize(std::size_t(stride) * std::size_t(height));
            rows[c].resize(std::size_t(height));
            for (int y = 0; y < height; ++y)
                rows[c][std::size_t(y)] = planes.samples[c].data() + std::size_t(y) * stride;
        }
        ok = errors.guard(readRows);
        if (!ok)
            error = errors.errorString();
    }
    jpeg_destroy_decompress(&cinfo);
    if (!ok)
        return failure(error);
    return planes;
}
