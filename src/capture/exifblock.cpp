#include "capture/exifblock.h"

#include "vardella_version.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {
// An APP1 segment's length field counts itself and the payload.
constexpr std::size_t MaxPayload = 65533;

// The dates a photo manager may read, each with its offset and milliseconds: all three say the
// grab time, as a camera's do for a picture it has not edited.
struct TimeTag
{
    ExifIfd ifd;
    ExifTag tag;
    enum Part
    {
        DateTime,
        SubSeconds,
        Offset
    } part;
};
constexpr TimeTag TimeTags[] = {
    {EXIF_IFD_0, EXIF_TAG_DATE_TIME, TimeTag::DateTime},
    {EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, TimeTag::DateTime},
    {EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED, TimeTag::DateTime},
    {EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME, TimeTag::SubSeconds},
    {EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL, TimeTag::SubSeconds},
    {EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_DIGITIZED, TimeTag::SubSeconds},
    {EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME, TimeTag::Offset},
    {EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL, TimeTag::Offset},
    {EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_DIGITIZED, TimeTag::Offset},
};

// The entry tag of ifd with room for components values of format, made or resized as needed;
// its old value is lost when its size changes. nullptr when memory runs out.
ExifEntry *entry(ExifData *data, ExifMem *mem, ExifIfd ifd, ExifTag tag, ExifFormat format,
                 unsigned int components)
{
    ExifContent *content = data->ifd[ifd];
    ExifEntry *e = exif_content_get_entry(content, tag);
    if (!e) {
        e = exif_entry_new_mem(mem);
        if (!e)
            return nullptr;
        e->tag = tag;
        exif_content_add_entry(content, e);
        exif_entry_unref(e); // the content holds it now
    }
    const unsigned int size = exif_format_get_size(format) * components;
    if (e->size != size || !e->data) {
        auto *bytes = static_cast<unsigned char *>(exif_mem_alloc(mem, size));
        if (!bytes)
            return nullptr;
        exif_mem_free(mem, e->data);
        e->data = bytes;
        e->size = size;
    }
    e->format = format;
    e->components = components;
    return e;
}

bool setAscii(ExifData *data, ExifMem *mem, ExifIfd ifd, ExifTag tag, std::string_view text)
{
    const auto length = static_cast<unsigned int>(text.size());
    ExifEntry *e = entry(data, mem, ifd, tag, EXIF_FORMAT_ASCII, length + 1);
    if (!e)
        return false;
    std::memcpy(e->data, text.data(), length);
    e->data[length] = 0;
    return true;
}

bool setUndefined(ExifData *data, ExifMem *mem, ExifIfd ifd, ExifTag tag, std::string_view bytes)
{
    const auto length = static_cast<unsigned int>(bytes.size());
    ExifEntry *e = entry(data, mem, ifd, tag, EXIF_FORMAT_UNDEFINED, length);
    if (e)
        std::memcpy(e->data, bytes.data(), length);
    return e != nullptr;
}

bool setShort(ExifData *data, ExifMem *mem, ExifIfd ifd, ExifTag tag, ExifShort value)
{
    ExifEntry *e = entry(data, mem, ifd, tag, EXIF_FORMAT_SHORT, 1);
    if (e)
        exif_set_short(e->data, exif_data_get_byte_order(data), value);
    return e != nullptr;
}

bool setLong(ExifData *data, ExifMem *mem, ExifIfd ifd, ExifTag tag, ExifLong value)
{
    ExifEntry *e = entry(data, mem, ifd, tag, EXIF_FORMAT_LONG, 1);
    if (e)
        exif_set_long(e->data, exif_data_get_byte_order(data), value);
    return e != nullptr;
}

bool setRational(ExifData *data, ExifMem *mem, ExifIfd ifd, ExifTag tag, ExifRational value)
{
    ExifEntry *e = entry(data, mem, ifd, tag, EXIF_FORMAT_RATIONAL, 1);
    if (e)
        exif_set_rational(e->data, exif_data_get_byte_order(data), value);
    return e != nullptr;
}

void remove(ExifData *data, ExifIfd ifd, ExifTag tag)
{
    if (ExifEntry *e = exif_content_get_entry(data->ifd[ifd], tag))
        exif_content_remove_entry(data->ifd[ifd], e);
}

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

bool isVersion(QStringView text)
{
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != 3)
        return false;
    for (QStringView part : parts) {
        if (part.isEmpty())
            return false;
        for (QChar c : part)
            if (c < u'0' || c > u'9')
                return false;
    }
    return true;
}
} // namespace

void ExifBlock::Deleter::operator()(_ExifData *data) const
{
    exif_data_unref(data);
}

void ExifBlock::Deleter::operator()(_ExifMem *mem) const
{
    exif_mem_unref(mem);
}

ExifBlock::ExifBlock() : m_mem(exif_mem_new_default())
{
    if (m_mem)
        m_data.reset(exif_data_new_mem(m_mem.get()));
    if (m_data && !build())
        m_data.reset();
}

ExifBlock::~ExifBlock() = default;
ExifBlock::ExifBlock(ExifBlock &&) noexcept = default;
ExifBlock &ExifBlock::operator=(ExifBlock &&) noexcept = default;

// What every picture says alike: the program, the resolution cameras give (72 dpi), centred
// chroma samples as libjpeg makes them, sRGB, and the versions of the formats followed.
bool ExifBlock::build()
{
    ExifData *data = m_data.get();
    ExifMem *mem = m_mem.get();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_INTEL);
    const QByteArray software = QByteArray(Product::name) + ' ' + Product::version;
    return setAscii(data, mem, EXIF_IFD_0, EXIF_TAG_SOFTWARE, view(software)) &&
           setRational(data, mem, EXIF_IFD_0, EXIF_TAG_X_RESOLUTION, {72, 1}) &&
           setRational(data, mem, EXIF_IFD_0, EXIF_TAG_Y_RESOLUTION, {72, 1}) &&
           setShort(data, mem, EXIF_IFD_0, EXIF_TAG_RESOLUTION_UNIT, 2) && // inches
           setShort(data, mem, EXIF_IFD_0, EXIF_TAG_YCBCR_POSITIONING, 1) &&
           setUndefined(data, mem, EXIF_IFD_EXIF, EXIF_TAG_EXIF_VERSION, "0231") &&
           setUndefined(data, mem, EXIF_IFD_EXIF, EXIF_TAG_FLASH_PIX_VERSION, "0100") &&
           setShort(data, mem, EXIF_IFD_EXIF, EXIF_TAG_COLOR_SPACE, 1); // sRGB
}

QString ExifBlock::makeOf(const QString &camera)
{
    const qsizetype blank = camera.lastIndexOf(u' ');
    if (blank <= 0 || !isVersion(QStringView(camera).mid(blank + 1)))
        return camera;
    return camera.left(blank);
}

Result<std::span<const std::uint8_t>> ExifBlock::payload(const QDateTime &grabbed, QSize size,
                                                         bool greyscale, const QString &camera)
{
    const auto unbuilt = [] { return failure(QStringLiteral("the EXIF block cannot be built")); };
    if (!m_data || !setTimes(grabbed) || !setCamera(camera) || !setPicture(size, greyscale))
        return unbuilt();
    unsigned char *bytes = nullptr;
    unsigned int length = 0;
    exif_data_save_data(m_data.get(), &bytes, &length);
    if (!bytes || length > MaxPayload) {
        exif_mem_free(m_mem.get(), bytes);
        return unbuilt();
    }
    m_bytes.assign(bytes, bytes + length);
    exif_mem_free(m_mem.get(), bytes);
    return std::span<const std::uint8_t>(m_bytes);
}

bool ExifBlock::setTimes(const QDateTime &grabbed)
{
    ExifData *data = m_data.get();
    if (!grabbed.isValid()) {
        for (const TimeTag &time : TimeTags)
            remove(data, time.ifd, time.tag);
        return true;
    }
    // Formatted by hand: these run for every picture, and must not follow the locale.
    const QDateTime local = grabbed.toLocalTime();
    const QDate day = local.date();
    const QTime clock = local.time();
    const int offset = local.offsetFromUtc() / 60;
    char dateTime[32];
    char subSeconds[8];
    char zone[16];
    const int dateTimeLength =
        std::snprintf(dateTime, sizeof dateTime, "%04d:%02d:%02d %02d:%02d:%02d", day.year(),
                      day.month(), day.day(), clock.hour(), clock.minute(), clock.second());
    const int subSecondsLength = std::snprintf(subSeconds, sizeof subSeconds, "%03d", clock.msec());
    const int zoneLength = std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+',
                                         std::abs(offset) / 60, std::abs(offset) % 60);
    const std::string_view parts[] = {{dateTime, std::size_t(dateTimeLength)},
                                      {subSeconds, std::size_t(subSecondsLength)},
                                      {zone, std::size_t(zoneLength)}};
    for (const TimeTag &time : TimeTags)
        if (!setAscii(data, m_mem.get(), time.ifd, time.tag, parts[time.part]))
            return false;
    return true;
}

bool ExifBlock::setCamera(const QString &camera)
{
    if (camera == m_camera)
        return true;
    ExifData *data = m_data.get();
    m_camera.clear(); // until both are written
    if (camera.isEmpty()) {
        remove(data, EXIF_IFD_0, EXIF_TAG_MAKE);
        remove(data, EXIF_IFD_0, EXIF_TAG_MODEL);
        return true;
    }
    const QByteArray make = makeOf(camera).toUtf8();
    const QByteArray model = camera.toUtf8();
    if (!setAscii(data, m_mem.get(), EXIF_IFD_0, EXIF_TAG_MAKE, view(make)) ||
        !setAscii(data, m_mem.get(), EXIF_IFD_0, EXIF_TAG_MODEL, view(model)))
        return false;
    m_camera = camera;
    return true;
}

bool ExifBlock::setPicture(QSize size, bool greyscale)
{
    ExifData *data = m_data.get();
    const auto width = ExifLong(std::max(0, size.width()));
    const auto height = ExifLong(std::max(0, size.height()));
    // The channels in the JPEG stream: Y, Cb, Cr, or Y alone.
    const std::string_view channels =
        greyscale ? std::string_view("\1\0\0\0", 4) : std::string_view("\1\2\3\0", 4);
    return setLong(data, m_mem.get(), EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION, width) &&
           setLong(data, m_mem.get(), EXIF_IFD_EXIF, EXIF_TAG_PIXEL_Y_DIMENSION, height) &&
           setUndefined(data, m_mem.get(), EXIF_IFD_EXIF, EXIF_TAG_COMPONENTS_CONFIGURATION,
                        channels);
}
