#pragma once
// Turns a top-down BGR24 picture of any size into a frame: the picture is written into the
// frame image's own rows, stretched to its size when the sizes differ (nearest pixel, which is
// cheap enough for every frame of a live picture). This is the one copy of a camera's pixels.

#include <QImage>

#include <cstdint>
#include <vector>

class FrameScaler
{
public:
    /// src holds srcHeight rows of srcWidth pixels, srcStride bytes apart. frame is a
    /// Format_BGR888 image that only the caller holds; its size is the size wanted.
    void scale(const std::uint8_t *src, int srcWidth, int srcHeight, int srcStride, QImage &frame);

private:
    void prepareColumns(int srcWidth, int dstWidth);

    std::vector<int> m_columnOffsets; // byte offset in a source row of each frame column
    int m_srcWidth = -1;
    int m_dstWidth = -1;
};
