#include "download/busy_queue.h"

void BusyQueue::Add(int index, std::uint32_t waitMs, bool front, std::uint64_t now)
{
    if (m_line.empty() || front)
        m_firstSince = now;
    if (front)
        m_line.push_front({index, waitMs});
    else
        m_line.push_back({index, waitMs});
}

std::optional<int> BusyQueue::TakeFirst(std::uint64_t now)
{
    if (m_line.empty())
        return std::nullopt;
    const int index = m_line.front().index;
    m_line.pop_front();
    m_firstSince = now;
    return index;
}

std::optional<std::uint64_t> BusyQueue::FirstDue() const
{
    if (m_line.empty())
        return std::nullopt;
    return m_firstSince + m_line.front().waitMs;
}
