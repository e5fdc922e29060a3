#include "capture/service/framescaler.h"

#include <cstring>

void FrameScaler::prepareColumns(int srcWidth, int dstWidth)
{
    if (srcWidth == m_srcWidth && dstWidth == m_dstWidth)
        return;
    m_columnOffsets.resize(std::size_t(dstWidth));
    for (int x = 0; x < dstWidth; ++x)
        m_columnOffsets[std::size_t(x)] = int(std::int64_t(x) * srcWidth / dstWidth) * 3;
    m_srcWidth = srcWidth;
    m_dstWidth = dstWidth;
}

void FrameScaler::scale(const std::uint8_t *src, int srcWidth, int srcHeight, int srcStride,
                        QImage &frame)
{
    const int width = frame.width();
    const int height = frame.height();
    const std::size_t rowBytes = std::size_t(width) * 3;
    const qsizetype stride = frame.bytesPerLine();
    std::uint8_t *bits = frame.bits();
    const bool sameWidth = srcWidth == width;
    if (!sameWidth)
        prepareColumns(srcWidth, width);
    for (int y = 0; y < height; ++y) {
        const int sy = int(std::int64_t(y) * srcHeight / height);
        const std::uint8_t *in = src + std::size_t(sy) * std::size_t(srcStride);
        std::uint8_t *out = bits + y * stride;
        if (sameWidth) {
            std::memcpy(out, in, rowBytes);
        } else {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t *p = in + m_columnOffsets[std::size_t(x)];
                out[3 * x] = p[0];
                out[3 * x + 1] = p[1];
                out[3 * x + 2] = p[2];
            }
        }
    }
}
