#pragma once
// The pixel passes of the motion detector. They work on 24-bit rows directly (blue, green, red
// byte order in the working pictures), never through drawing calls per pixel.

#include "motion/tmj.h"

#include <QImage>

namespace MotionRaster {

/// Makes image a width x height Format_BGR888 picture, keeping the overlapping top-left part of
/// its content and filling the rest black. Does nothing when the size is right already.
void resizeKeeping(QImage &image, int width, int height);

/// Stretches picture (Format_BGR888 or Format_RGB888) onto the whole of target, nearest
/// neighbour: each target pixel takes the source pixel under its centre.
void drawStretched(const QImage &picture, QImage &target);

/// Fills target black and copies picture unscaled to its top-left corner, cut at the right and
/// bottom where it is larger.
void drawUnscaled(const QImage &picture, QImage &target);

/// Black where a pixel of picture differs from its left neighbour by a colour distance (rounded)
/// above sensitivity, white elsewhere; the first column is white. edges takes picture's size.
void makeEdgeMap(const QImage &picture, QImage &edges, int sensitivity);

/// Adds every pixel of picture to the sums of its cell of a rows x columns grid.
void accumulateCells(const QImage &picture, int rows, int columns, TScanMatrix &matrix);

/// Brightens the pixels (x0..x1, y0..y1), coordinates past the picture taken as its last column
/// or row (such pixels are brightened more than once). With edgeMap the red and green bytes
/// become 255, otherwise both become the larger of red x 1.5 and green x 1.5 (rounded, at most
/// 255).
void brightenRect(QImage &image, int x0, int y0, int x1, int y1, bool edgeMap);

/// One-pixel grey (128) lines below each cell row and right of each cell column.
void drawGrid(QImage &image, int rows, int columns);

} // namespace MotionRaster
