#pragma once
// The decoded frame: W x H pixels, top-down rows, blue-green-red bytes. One QImage is kept and
// overwritten by every frame, so a grab allocates nothing.

#include "capture/videoheader.h"

#include <QImage>

class FrameImage;

class FrameBitmap
{
public:
    FrameBitmap() = default;
    explicit FrameBitmap(const VideoHeader &header);

    /// Allocates a fresh bitmap for header; null when the header is not 24-bit or has no pixels.
    void rebuild(const VideoHeader &header);

    /// Decodes the bottom-up, padded rows of frame into the bitmap (rebuilding it first when
    /// frame has another format). Returns false when the format cannot be shown as a bitmap.
    bool load(const FrameImage &frame);

    /// The bitmap of the last frame. A copy taken by the caller keeps that frame; the next
    /// load() then writes into a buffer of its own instead of detaching a copy.
    const QImage &image() const { return m_image; }

private:
    static bool matches(const QImage &image, const VideoHeader &header);

    QImage m_image;
};
