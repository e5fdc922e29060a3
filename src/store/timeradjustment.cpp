#include "store/timeradjustment.h"

#include <array>

namespace TimerAdjustment {

namespace {
struct Row
{
    int upTo; // the row holds requests up to this many milliseconds
    int standard;
    int size640;
    int size160;
    int size80;
    int width768;
};

// Above 1000 ms the picture size no longer matters.
constexpr std::array<Row, 29> Table{{
    {100, 72, 69, 85, 90, 69},
    {150, 123, 120, 136, 141, 100},
    {200, 172, 130, 183, 187, 110},
    {250, 185, 150, 192, 199, 130},
    {300, 196, 150, 209, 211, 140},
    {350, 236, 188, 248, 251, 150},
    {400, 300, 240, 320, 300, 210},
    {450, 353, 296, 366, 369, 268},
    {500, 395, 367, 407, 430, 319},
    {550, 438, 380, 447, 470, 379},
    {600, 510, 403, 520, 530, 410},
    {650, 554, 445, 611, 620, 460},
    {700, 666, 525, 672, 690, 508},
    {750, 715, 655, 720, 730, 575},
    {800, 765, 715, 770, 799, 600},
    {850, 817, 761, 825, 840, 705},
    {900, 867, 820, 875, 894, 805},
    {950, 918, 880, 920, 935, 845},
    {1000, 970, 945, 980, 990, 910},
    {1050, 1025, 1025, 1025, 1025, 1025},
    {1100, 1080, 1080, 1080, 1080, 1080},
    {1150, 1130, 1130, 1130, 1130, 1130},
    {1200, 1180, 1180, 1180, 1180, 1180},
    {1250, 1235, 1235, 1235, 1235, 1235},
    {1300, 1285, 1285, 1285, 1285, 1285},
    {1350, 1337, 1337, 1337, 1337, 1337},
    {1400, 1387, 1387, 1387, 1387, 1387},
    {1450, 1443, 1443, 1443, 1443, 1443},
    {1500, 1493, 1493, 1493, 1493, 1493},
}};

constexpr int LargestCustomWidth = 768;
constexpr int LongRequestCorrection = 3;
} // namespace

int AdjustTimerPeriod(int requestedMs, int sizeListIndex, int frameWidth)
{
    if (requestedMs == 5000)
        return 5000;
    for (const Row &row : Table) {
        if (requestedMs > row.upTo)
            continue;
        int period = row.standard;
        if (sizeListIndex == Size640x480)
            period = row.size640;
        else if (sizeListIndex == Size160x120)
            period = row.size160;
        else if (sizeListIndex == Size80x60)
            period = row.size80;
        if (frameWidth == LargestCustomWidth)
            period = row.width768;
        return period;
    }
    // Longer requests: a fixed small correction from the request itself, so that repeated
    // Start and "Fine" presses do not wear the period down.
    return requestedMs - LongRequestCorrection;
}

} // namespace TimerAdjustment
