#pragma once
// The frame sizes a camera offers beyond the capture preferences' own list: what V4L2 reports
// (single sizes, or a range with steps) reduced to the sizes people's cameras and tools use,
// above 640 x 480 and up to 1920 x 1080, the largest the program captures at.

#include <QList>
#include <QSize>

#include <vector>

namespace CameraSizes {

inline constexpr QSize Largest{1920, 1080};

/// The usual sizes that lie in a range from min to max on its steps (1 for a continuous one).
std::vector<QSize> onSteps(QSize min, QSize max, QSize step);

/// Of sizes, those wider or taller than 640 x 480 and no larger than Largest, each once,
/// smallest first.
QList<QSize> beyondListed(const std::vector<QSize> &sizes);

/// "1280 x 720", as the size list shows a size.
QString text(QSize size);

} // namespace CameraSizes
