#include "capture/framebitmap.h"

#include "capture/frameimage.h"

#include <cstdlib>
#include <cstring>

namespace {
QImage makeBitmap(const VideoHeader &header)
{
    const int height = std::abs(header.height);
    if (header.bitCount != 24 || header.planes != 1 || header.width <= 0 || height == 0)
        return {};
    return QImage(header.width, height, QImage::Format_BGR888);
}
} // namespace

FrameBitmap::FrameBitmap(const VideoHeader &header)
{
    rebuild(header);
}

void FrameBitmap::rebuild(const VideoHeader &header)
{
    m_image = makeBitmap(header);
}

bool FrameBitmap::matches(const QImage &image, const VideoHeader &header)
{
    return !image.isNull() && image.width() == header.width &&
           image.height() == std::abs(header.height);
}

bool FrameBitmap::load(const FrameImage &frame)
{
    const VideoHeader &header = frame.header();
    // Someone still holds the last frame: give them that buffer rather than copy it on write.
    if (!matches(m_image, header) || !m_image.isDetached())
        m_image = makeBitmap(header);
    if (m_image.isNull())
        return false;

    const std::size_t stride = header.rowStride();
    const std::size_t rowBytes = static_cast<std::size_t>(m_image.width()) * 3;
    const int rows = m_image.height();
    const bool bottomUp = header.height > 0;
    const std::uint8_t *pixels = frame.pixelArea().data();
    uchar *bits = m_image.bits();
    const qsizetype bytesPerLine = m_image.bytesPerLine();
    for (int y = 0; y < rows; ++y) {
        const std::size_t source = static_cast<std::size_t>(bottomUp ? rows - 1 - y : y);
        std::memcpy(bits + y * bytesPerLine, pixels + source * stride, rowBytes);
    }
    return true;
}
