#pragma once
// Where the full-screen picture goes in the main window: a 4:3 box as wide as the scale bar
// says, centred across the window's outer width. Positions are in the window's client area;
// a picture wider than the window gets a negative left and top.

#include <QRect>

namespace FullScreenGeometry {

inline constexpr int MinimumScale = 80;
inline constexpr int MaximumScale = 2500;
inline constexpr int InitialScale = 630;
/// The caption line sits this far above the picture's top-left corner.
inline constexpr int CaptionRise = 21;

/// The box after a scale change: width w, height trunc(0.75 w), left trunc((W - w) / 2),
/// top trunc(0.75 left), with W the window's outer width.
QRect scaledBox(int windowWidth, int scale);

/// The box as a step through the pictures re-centres it: the same size, the same left, and a
/// top of trunc(0.375 (W - w)) taken from the untruncated half width.
QRect recentredBox(int windowWidth, int scale);

/// Whether the caption line may show at this scale: up to 874 in a maximised window, up to
/// 650 otherwise.
bool captionAllowed(bool maximised, int scale);

} // namespace FullScreenGeometry
