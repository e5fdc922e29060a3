#include "motion/motionmask.h"

#include "motion/detectormath.h"

#include <QImageReader>

#include <algorithm>

namespace {
// The cell a pixel falls into, as the detector finds it: Trunc((cells / size) x pixel).
std::vector<int> cellOfPixel(int cells, int size)
{
    std::vector<int> of(static_cast<std::size_t>(size));
    for (int p = 0; p < size; ++p)
        of[p] = DetectorMath::scaledTrunc(cells, size, p);
    return of;
}
} // namespace

MotionMask::MotionMask() : m_area(static_cast<std::size_t>(Width) * Height, 0) {}

MotionMask MotionMask::fromImage(const QImage &picture)
{
    MotionMask mask;
    if (picture.isNull())
        return mask;
    // Nearest pixel: a black-and-white mask stays black and white, its edges where they were.
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8)
                            .scaled(Width, Height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    for (int y = 0; y < Height; ++y) {
        const uchar *row = grey.constScanLine(y);
        for (int x = 0; x < Width; ++x) {
            const bool ignored = row[x] < 128;
            mask.m_area[static_cast<std::size_t>(y) * Width + x] = ignored ? 1 : 0;
            mask.m_ignoredPixels += ignored ? 1 : 0;
        }
    }
    return mask;
}

Result<MotionMask> MotionMask::load(const QString &path)
{
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull())
        return failure(
            QStringLiteral("The mask \"%1\" cannot be read: %2.").arg(path, reader.errorString()));
    return fromImage(picture);
}

void MotionMask::setCell(int rows, int columns, int row, int column, bool ignored)
{
    if (row < 0 || row >= rows || column < 0 || column >= columns)
        return;
    const std::vector<int> columnOf = cellOfPixel(columns, Width);
    const std::vector<int> rowOf = cellOfPixel(rows, Height);
    const std::uint8_t value = ignored ? 1 : 0;
    for (int y = 0; y < Height; ++y) {
        if (rowOf[y] != row)
            continue;
        for (int x = 0; x < Width; ++x) {
            std::uint8_t &pixel = m_area[static_cast<std::size_t>(y) * Width + x];
            if (columnOf[x] == column && pixel != value) {
                m_ignoredPixels += ignored ? 1 : -1;
                pixel = value;
            }
        }
    }
}

std::vector<std::uint8_t> MotionMask::cells(int rows, int columns) const
{
    if (rows < 1 || columns < 1)
        return {};
    const auto count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    std::vector<std::uint8_t> flags(count, 0);
    if (isEmpty())
        return flags;
    std::vector<int> ignored(count, 0);
    std::vector<int> pixels(count, 0);
    const std::vector<int> columnOf = cellOfPixel(columns, Width);
    const std::vector<int> rowOf = cellOfPixel(rows, Height);
    for (int y = 0; y < Height; ++y) {
        const std::size_t base = static_cast<std::size_t>(rowOf[y]) * columns;
        for (int x = 0; x < Width; ++x) {
            const std::size_t i = base + columnOf[x];
            ++pixels[i];
            ignored[i] += m_area[static_cast<std::size_t>(y) * Width + x];
        }
    }
    for (std::size_t i = 0; i < count; ++i)
        flags[i] = 2 * ignored[i] > pixels[i] ? 1 : 0;
    return flags;
}

QImage MotionMask::image() const
{
    QImage picture(Width, Height, QImage::Format_Grayscale8);
    for (int y = 0; y < Height; ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < Width; ++x)
            row[x] = m_area[static_cast<std::size_t>(y) * Width + x] ? 0 : 255;
    }
    return picture;
}
