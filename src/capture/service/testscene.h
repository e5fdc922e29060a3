#pragma once
// Draws the built-in test scene into a frame: a colour gradient, a box that travels across it
// while motion is on, the time of day to the hundredth of a second (unless switched off, for a
// still scene), optional noise, and the whole scene dimmed as by a light switch.
// Drawing reuses a prepared background, so a frame costs little more than a copy.

#include <QImage>
#include <QSize>
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
        bool clock = true;   // the time of day, which changes in every frame
        bool dimmed = false; // the light switched: every pixel at half its brightness
    };

    /// Fills frame, a Format_BGR888 image that only the caller holds, with the scene at
    /// elapsedMs since the scene started, showing clock as the time.
    void draw(QImage &frame, QTime clock, std::int64_t elapsedMs, Options options);

    /// The top-left corner of the box at elapsedMs (it stands still in the middle without motion).
    static void boxPosition(QSize size, std::int64_t elapsedMs, bool motion, int &x, int &y);

private:
    void prepareBackground(QSize size);
    void addNoise(QImage &frame);
    static void dim(QImage &frame);
    std::uint32_t nextRandom();

    static constexpr std::size_t NoiseTableSize = 1024;

    QImage m_background;                // the gradient, drawn once per size
    std::vector<std::uint64_t> m_noise; // random bits
    std::uint32_t m_random = 0x9e3779b9u;
};
