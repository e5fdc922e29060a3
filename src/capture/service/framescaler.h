#pragma once
// Turns a top-down BGR24 picture of any size into a frame as a VideoHeader describes it:
// W x H pixels, bottom-up rows padded to 4 bytes. A picture of another size is stretched
// (nearest pixel, which is cheap enough for every frame of a live picture).

#include "capture/videoheader.h"

#include <cstdint>
#include <vector>

class FrameScaler
{
public:
    /// src holds srcHeight rows of srcWidth pixels, srcStride bytes apart; frame receives
    /// header.imageSize() bytes, its row padding zeroed.
    void scale(const std::uint8_t *src, int srcWidth, int srcHeight, int srcStride,
               std::uint8_t *frame, const VideoHeader &header);

private:
    void prepareColumns(int srcWidth, int dstWidth);

    std::vector<int> m_columnOffsets; // byte offset in a source row of each frame column
    int m_srcWidth = -1;
    int m_dstWidth = -1;
};
