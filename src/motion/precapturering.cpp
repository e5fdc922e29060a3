#include "motion/precapturering.h"

#include <algorithm>
#include <cmath>

void PreCaptureRing::setCapacity(int frames)
{
    const int capacity = std::clamp(frames, 0, MaxFrames);
    m_slots.assign(static_cast<std::size_t>(capacity), TimedFrame{});
    m_next = 0;
    m_count = 0;
}

void PreCaptureRing::push(const QImage &frame, const QDateTime &grabbed)
{
    if (m_slots.empty())
        return;
    TimedFrame &slot = m_slots[static_cast<std::size_t>(m_next)];
    slot.frame = frame; // shares the pixels; the slot lets go of the oldest frame's
    slot.grabbed = grabbed;
    m_next = (m_next + 1) % capacity();
    m_count = std::min(m_count + 1, capacity());
}

std::vector<TimedFrame> PreCaptureRing::take()
{
    std::vector<TimedFrame> frames;
    frames.reserve(static_cast<std::size_t>(m_count));
    const int first = (m_next - m_count + capacity()) % std::max(capacity(), 1);
    for (int i = 0; i < m_count; ++i)
        frames.push_back(std::move(m_slots[static_cast<std::size_t>((first + i) % capacity())]));
    clear();
    return frames;
}

void PreCaptureRing::clear()
{
    for (TimedFrame &slot : m_slots)
        slot = TimedFrame{};
    m_next = 0;
    m_count = 0;
}

double PreCaptureRing::megabytes(int frames, qint64 frameBytes)
{
    const double bytes = static_cast<double>(std::max<qint64>(frameBytes, 0)) * std::max(frames, 0);
    return std::ceil(bytes / (1024.0 * 1024.0) * 10.0) / 10.0;
}
