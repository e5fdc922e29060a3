#pragma once
// The video format requested from a capture device, laid out as a 40-byte bitmap info header.

#include <array>
#include <cstddef>
#include <cstdint>

struct VideoHeader
{
    static constexpr std::size_t Size = 40;

    std::int32_t width = 320;
    std::int32_t height = 240; // positive: rows are stored bottom-up
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;

    /// Builds the header for W x H pixels at B bits per pixel.
    static VideoHeader make(int width, int height, int bitCount);

    /// Bytes of one row, rounded up to a multiple of 4.
    std::uint32_t rowStride() const;
    /// Bytes of the whole pixel area: rowStride() x height x planes.
    std::uint32_t imageSize() const;
    /// The 40 bytes as they stand in a bitmap file (little-endian).
    std::array<std::uint8_t, Size> bytes() const;

    bool operator==(const VideoHeader &) const = default;
};
