#pragma once
// Reads a stored JPEG picture into a QImage, optionally shrunk while decoding (libjpeg's DCT
// scaling, much cheaper than decoding in full and scaling afterwards). A damaged or truncated
// file is an error, never a half-grey picture or a crash.

#include "shell/result.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

/// A colour picture's samples as the JPEG file holds them, before colour conversion: Y, Cb
/// and Cr planes in JPEG's full range, the two chroma planes at half width (shiftX 1) and half
/// height (shiftY 1) or at full resolution (0). Rows may be longer than the picture.
struct JpegPlanes
{
    QSize size;
    int chromaShiftX = 0;
    int chromaShiftY = 0;
    std::array<std::vector<std::uint8_t>, 3> samples;
    std::array<int, 3> strides{};
};

class JpegDecoder
{
public:
    /// With a box, the picture is decoded at the smallest of 1/8, 1/4, 1/2 or full size that
    /// still covers the box (both sides at least as large); without one, at full size.
    void setMinimumSize(QSize box) { m_box = box; }
    /// Colour pictures come as Format_RGB32, which painting takes without converting each
    /// time, instead of Format_RGB888.
    void setForPainting(bool on) { m_forPainting = on; }

    /// Decodes the JPEG file at path: Format_Grayscale8 for a greyscale file, Format_RGB888
    /// (or RGB32) otherwise; fails with the reason (libjpeg's own words for a damaged file).
    Result<QImage> read(const QString &path) const;
    Result<QImage> decode(const QByteArray &data) const;
    /// The planes of a YCbCr file with 4:2:0, 4:2:2 or 4:4:4 sampling, at full size: for a
    /// video encoder, which wants YCbCr anyway. Fails for other files (greyscale ones
    /// included), which decode() reads.
    Result<JpegPlanes> decodePlanes(const QByteArray &data) const;

private:
    QSize m_box;
    bool m_forPainting = false;
};
