#include "programs/timerprogram.h"

namespace {
bool sameMinute(const QDateTime &a, const QDateTime &b)
{
    return a.isValid() && a.date() == b.date() &&
           TimeKeys::key(a.time()) == TimeKeys::key(b.time());
}
} // namespace

void TimerProgram::setTimes(QTime start, QTime end)
{
    m_startKey = TimeKeys::key(start);
    m_endKey = TimeKeys::key(end);
}

bool TimerProgram::startDue(const QDateTime &now)
{
    if (!m_active || TimeKeys::key(now.time()) != m_startKey || sameMinute(m_lastStart, now) ||
        sameMinute(m_lastEnd, now))
        return false;
    m_lastStart = now;
    return true;
}

bool TimerProgram::endDue(const QDateTime &now)
{
    if (!m_active || TimeKeys::key(now.time()) != m_endKey)
        return false;
    m_lastEnd = now;
    return true;
}

bool TimerProgram::resumeDue(const QDateTime &now)
{
    const int key = TimeKeys::key(now.time());
    const bool within = m_startKey < m_endKey ? key >= m_startKey && key < m_endKey
                                              : key >= m_startKey || key < m_endKey;
    if (!m_active || m_startKey == m_endKey || !within)
        return false;
    m_lastStart = now;
    return true;
}
