#pragma once
// Compresses one bitmap to a baseline JFIF stream with libjpeg: library defaults, floating-point
// DCT, quality with baseline tables forced, optionally greyscale. One encoder per picture.

#include "shell/result.h"

#include <QImage>

#include <cstdint>
#include <span>
#include <vector>

class JpegEncoder
{
public:
    explicit JpegEncoder(int quality = 100, bool greyscale = false);

    /// Any int is accepted; libjpeg limits it to 1..100 when encoding.
    void setQuality(int quality) { m_quality = quality; }
    int quality() const { return m_quality; }
    void setGreyscale(bool greyscale) { m_greyscale = greyscale; }
    bool greyscale() const { return m_greyscale; }

    /// Compresses image into out, replacing its contents but keeping its capacity, so a caller
    /// that reuses out allocates nothing once it is large enough. Format_BGR888 and
    /// Format_RGB888 images are read directly, others through a 24-bit copy. Fails with
    /// libjpeg's reason when it refuses (an empty image, for one); out is then undefined.
    /// A non-empty app1 (an EXIF block, at most 65533 bytes) is written as an APP1 segment
    /// right after the JFIF header; every other byte is the same as without it.
    Result<> encode(const QImage &image, std::vector<std::uint8_t> &out,
                    std::span<const std::uint8_t> app1 = {}) const;

private:
    int m_quality;
    bool m_greyscale;
};
