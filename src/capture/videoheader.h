#pragma once
// The video format requested from a capture device: W x H pixels at B bits per pixel. Frames
// of this format are Format_BGR888 images, top row first, each row padded to 4 bytes.

#include <QSize>

#include <cstdint>

struct VideoHeader
{
    std::int32_t width = 320;
    std::int32_t height = 240;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;

    /// Builds the header for W x H pixels at B bits per pixel.
    static VideoHeader make(int width, int height, int bitCount);

    QSize size() const { return QSize(width, height); }
    /// Bytes of one row, rounded up to a multiple of 4.
    std::uint32_t rowStride() const;
    /// Bytes of the whole pixel area: rowStride() x height x planes.
    std::uint32_t imageSize() const;

    bool operator==(const VideoHeader &) const = default;
};
