#pragma once
// The frames scanned just before a motion: a ring of a fixed number of frames with their grab
// times. A frame is kept by sharing its pixels, never copied, and its slot is reused.

#include "capture/timedframe.h"

#include <QtGlobal>

#include <cstddef>
#include <vector>

class PreCaptureRing
{
public:
    static constexpr int MaxFrames = 50;

    /// Keeps at most frames (0..MaxFrames) frames; the kept ones go.
    void setCapacity(int frames);
    int capacity() const { return static_cast<int>(m_slots.size()); }
    /// The newest frame; the oldest goes when the ring is full. Nothing without capacity.
    void push(const QImage &frame, const QDateTime &grabbed);
    /// The kept frames, oldest first; the ring is empty afterwards.
    std::vector<TimedFrame> take();
    int size() const { return m_count; }
    void clear();

    /// What frames of frameBytes each cost in memory, in megabytes (2^20 bytes), rounded up to
    /// a tenth.
    static double megabytes(int frames, qint64 frameBytes);

private:
    std::vector<TimedFrame> m_slots;
    int m_next = 0; // where the next frame goes
    int m_count = 0;
};
