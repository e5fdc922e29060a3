#include "viewer/fullscreengeometry.h"

namespace FullScreenGeometry {

// Integer division truncates towards zero, as the formulas ask, for negative values too.
QRect scaledBox(int windowWidth, int scale)
{
    const int left = (windowWidth - scale) / 2;
    return QRect(left, 3 * left / 4, scale, 3 * scale / 4);
}

QRect recentredBox(int windowWidth, int scale)
{
    const int spare = windowWidth - scale;
    return QRect(spare / 2, 3 * spare / 8, scale, 3 * scale / 4);
}

bool captionAllowed(bool maximised, int scale)
{
    return scale <= (maximised ? 874 : 650);
}

} // namespace FullScreenGeometry
