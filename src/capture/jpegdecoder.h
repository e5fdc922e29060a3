#pragma once
// Reads a stored JPEG picture into a QImage, optionally shrunk while decoding (libjpeg's DCT
// scaling, much cheaper than decoding in full and scaling afterwards). A damaged or truncated
// file is an error, never a half-grey picture or a crash.

#include "shell/result.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class JpegDecoder
{
public:
    /// With a box, the picture is decoded at the smallest of 1/8, 1/4, 1/2 or full size that
    /// still covers the box (both sides at least as large); without one, at full size.
    void setMinimumSize(QSize box) { m_box = box; }

    /// Decodes the JPEG file at path: Format_Grayscale8 for a greyscale file, Format_RGB888
    /// otherwise; fails with the reason (libjpeg's own words for a damaged file).
    Result<QImage> read(const QString &path) const;
    Result<QImage> decode(const QByteArray &data) const;

private:
    QSize m_box;
};
