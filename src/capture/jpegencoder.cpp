#include "capture/jpegencoder.h"

#include "capture/jpegerrormanager.h"

#include <jerror.h>

#include <algorithm>
#include <climits>
#include <new>

namespace {
constexpr std::size_t InitialOutputSize = 64 * 1024;
constexpr int RowsPerCall = 16;

// A libjpeg destination that fills a std::vector, doubling it when full.
struct VectorDestination : jpeg_destination_mgr
{
    std::vector<std::uint8_t> *out = nullptr;

    explicit VectorDestination(std::vector<std::uint8_t> &target) : jpeg_destination_mgr{}
    {
        out = &target;
        init_destination = &VectorDestination::init;
        empty_output_buffer = &VectorDestination::grow;
        term_destination = &VectorDestination::term;
    }

    static VectorDestination *of(j_compress_ptr cinfo)
    {
        return static_cast<VectorDestination *>(cinfo->dest);
    }
    static bool resize(j_compress_ptr cinfo, std::size_t size)
    {
        try {
            of(cinfo)->out->resize(size);
            return true;
        } catch (const std::bad_alloc &) {
            return false;
        }
    }
    static void init(j_compress_ptr cinfo)
    {
        auto *self = of(cinfo);
        if (!resize(cinfo, std::max(self->out->capacity(), InitialOutputSize)))
            ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
        self->next_output_byte = self->out->data();
        self->free_in_buffer = self->out->size();
    }
    // libjpeg calls this when the whole buffer is full.
    static boolean grow(j_compress_ptr cinfo)
    {
        auto *self = of(cinfo);
        const std::size_t used = self->out->size();
        if (!resize(cinfo, used * 2))
            ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
        self->next_output_byte = self->out->data() + used;
        self->free_in_buffer = self->out->size() - used;
        return TRUE;
    }
    static void term(j_compress_ptr cinfo)
    {
        auto *self = of(cinfo);
        self->out->resize(self->out->size() - self->free_in_buffer);
    }
};

J_COLOR_SPACE inputColorSpace(QImage::Format format)
{
    return format == QImage::Format_BGR888 ? JCS_EXT_BGR : JCS_RGB;
}
} // namespace

JpegEncoder::JpegEncoder(int quality, bool greyscale) : m_quality(quality), m_greyscale(greyscale)
{}

Result<> JpegEncoder::encode(const QImage &image, std::vector<std::uint8_t> &out,
                             std::span<const std::uint8_t> app1) const
{
    const bool direct = image.format() == QImage::Format_BGR888 ||
                        image.format() == QImage::Format_RGB888 || image.isNull();
    const QImage source = direct ? image : image.convertToFormat(QImage::Format_RGB888);

    JpegErrorManager errors;
    VectorDestination destination(out);
    jpeg_compress_struct cinfo{};
    cinfo.err = &errors;
    // Only plain values and pointers in here: a libjpeg error leaves by longjmp.
    auto compress = [&] {
        jpeg_create_compress(&cinfo);
        cinfo.dest = &destination;
        cinfo.image_width = static_cast<JDIMENSION>(source.width());
        cinfo.image_height = static_cast<JDIMENSION>(source.height());
        cinfo.input_components = 3;
        // Before jpeg_set_defaults, which picks the output colour space from it.
        cinfo.in_color_space = inputColorSpace(source.format());
        jpeg_set_defaults(&cinfo);
        cinfo.dct_method = JDCT_FLOAT;
        jpeg_set_quality(&cinfo, m_quality, TRUE);
        if (m_greyscale)
            jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
        jpeg_start_compress(&cinfo, TRUE);
        // libjpeg has written only SOI and the JFIF APP0 so far; the tables follow later. It
        // refuses a payload too long for a segment, which the cast must not hide.
        if (!app1.empty())
            jpeg_write_marker(
                &cinfo, JPEG_APP0 + 1, app1.data(),
                static_cast<unsigned int>(std::min<std::size_t>(app1.size(), UINT_MAX)));
        JSAMPROW rows[RowsPerCall];
        while (cinfo.next_scanline < cinfo.image_height) {
            const int first = static_cast<int>(cinfo.next_scanline);
            const int count = std::min(RowsPerCall, source.height() - first);
            for (int i = 0; i < count; ++i)
                rows[i] = const_cast<JSAMPROW>(source.constScanLine(first + i));
            jpeg_write_scanlines(&cinfo, rows, static_cast<JDIMENSION>(count));
        }
        jpeg_finish_compress(&cinfo);
    };
    const bool ok = errors.guard(compress);
    jpeg_destroy_compress(&cinfo);
    if (!ok)
        return failure(errors.errorString());
    return {};
}
