#pragma once
// Pictures and an event recorder for the motion detector's tests.

#include "motion/tmj.h"

#include <QColor>
#include <QImage>
#include <QRect>

namespace MotionPictures {

inline QImage uniform(QColor colour, int width = 320, int height = 240,
                      QImage::Format format = QImage::Format_BGR888)
{
    QImage picture(width, height, format);
    picture.fill(colour);
    return picture;
}

inline QImage grey(int level, int width = 320, int height = 240)
{
    return uniform(QColor(level, level, level), width, height);
}

/// picture with rect painted in colour, pixel by pixel (test pictures only).
inline QImage withRect(QImage picture, const QRect &rect, QColor colour)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            picture.setPixelColor(x, y, colour);
    return picture;
}

/// Counts the engine's events and checks that each came from this engine.
struct EventLog
{
    int motion = 0;
    int notMotion = 0;
    bool wrongSender = false;

    explicit EventLog(TMJ &engine)
    {
        engine.SetOnMotion([this, &engine](TMJ &sender) {
            ++motion;
            wrongSender |= &sender != &engine;
        });
        engine.SetOnNotMotion([this, &engine](TMJ &sender) {
            ++notMotion;
            wrongSender |= &sender != &engine;
        });
    }
    int total() const { return motion + notMotion; }
    void clear() { motion = notMotion = 0; }
};

} // namespace MotionPictures
