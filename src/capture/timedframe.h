#pragma once
// A frame kept after its grab, with the time it was grabbed.

#include <QDateTime>
#include <QImage>

struct TimedFrame
{
    QImage frame;
    QDateTime grabbed;
};
