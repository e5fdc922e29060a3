#include "capture/camerasizes.h"

#include <QString>

#include <algorithm>
#include <array>

namespace {
// Television, display and webcam sizes from 640 x 480 up to full HD.
constexpr std::array<QSize, 13> Usual{{{720, 480},
                                       {720, 576},
                                       {800, 600},
                                       {960, 540},
                                       {1024, 576},
                                       {1024, 768},
                                       {1280, 720},
                                       {1280, 800},
                                       {1280, 960},
                                       {1280, 1024},
                                       {1440, 1080},
                                       {1600, 900},
                                       {1920, 1080}}};

bool onStep(int value, int min, int max, int step)
{
    return value >= min && value <= max && (value - min) % std::max(step, 1) == 0;
}
} // namespace

namespace CameraSizes {

std::vector<QSize> onSteps(QSize min, QSize max, QSize step)
{
    std::vector<QSize> sizes;
    for (const QSize &s : Usual) {
        if (onStep(s.width(), min.width(), max.width(), step.width()) &&
            onStep(s.height(), min.height(), max.height(), step.height()))
            sizes.push_back(s);
    }
    return sizes;
}

QList<QSize> beyondListed(const std::vector<QSize> &sizes)
{
    QList<QSize> kept;
    for (const QSize &s : sizes) {
        const bool beyond = s.width() > 640 || s.height() > 480;
        if (beyond && s.width() <= Largest.width() && s.height() <= Largest.height() &&
            !kept.contains(s))
            kept.append(s);
    }
    std::sort(kept.begin(), kept.end(), [](QSize a, QSize b) {
        const qint64 pa = qint64(a.width()) * a.height(), pb = qint64(b.width()) * b.height();
        return pa != pb ? pa < pb : a.width() < b.width();
    });
    return kept;
}

QString text(QSize size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

} // namespace CameraSizes
