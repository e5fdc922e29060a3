#pragma once
// Draws the built-in test scene into a frame: a colour gradient, a box that travels across it
// while motion is on, the time of day to the hundredth of a second, and optional noise.
// Drawing reuses a prepared background, so a frame costs little more than a copy.

#include "capture/videoheader.h"

#include <QTime>

#include <cstdint>
#include <vector>

class TestScene
{
public:
    struct Options
    {
        bool motion = true;
        bool noise = false;
    };

    /// Fills frame (header.imageSize() bytes) with the scene at elapsedMs since the scene
    /// started, showing clock as the time.
    void draw(std::uint8_t *frame, const VideoHeader &header, QTime clock, std::int64_t elapsedMs,
              Options options);

    /// The top-left corner of the box at elapsedMs (it stands still in the middle without motion).
    static void boxPosition(const VideoHeader &header, std::int64_t elapsedMs, bool motion, int &x,
                            int &y);

private:
    void prepareBackground(const VideoHeader &header);
    void addNoise(std::uint8_t *frame, const VideoHeader &header);
    std::uint32_t nextRandom();

    static constexpr std::size_t NoiseTableSize = 1024;

    std::vector<std::uint8_t> m_background;
    VideoHeader m_backgroundHeader{0, 0};
    std::vector<std::uint64_t> m_noise; // random bits
    std::uint32_t m_random = 0x9e3779b9u;
};
