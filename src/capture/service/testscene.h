#pragma once
// Draws the built-in test scene into a frame: a colour gradient, a box that travels across it
// while motion is on, the time of day to the hundredth of a second (unless switched off, for a
// still scene), optional noise, and the whole scene dimmed as by a light switch.
// Drawing reuses a prepared background, so a frame costs little more than a copy; a frame it
// drew before and that nobody changed since only has the box and the clock drawn anew.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QTime>

#include <array>
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
    // What a frame drawn here holds over the background, known by the frame's cache key,
    // which any change to its pixels renews.
    struct Drawn
    {
        qint64 key = 0;
        QRect box;
        QRect clock;
    };
    void prepareBackground(QSize size);
    void restoreBackground(QImage &frame);
    void remember(const QImage &frame, QRect box, QRect clock);
    void addNoise(QImage &frame);
    static void dim(QImage &frame);
    std::uint32_t nextRandom();

    static constexpr std::size_t NoiseTableSize = 1024;

    QImage m_background;                // the gradient, drawn once per size
    std::vector<std::uint64_t> m_noise; // random bits
    std::uint32_t m_random = 0x9e3779b9u;
    std::array<Drawn, 4> m_drawn{}; // the frames in circulation, a few at a time
    std::size_t m_nextDrawn = 0;
};
