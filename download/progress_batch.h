// Gathers a worker's progress so that the window hears of it in steps, not once per
// read: every message costs the main thread (and, under Wine, the display server) a
// round trip, and tens of thousands of them would slow the whole download.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

class ProgressBatch {
public:
    // Bytes are reported through `report` once at least `step` have gathered, and
    // whatever is left when the batch ends: every byte is reported exactly once.
    ProgressBatch(std::uint32_t step, std::function<void(std::uint32_t)> report)
        : m_step(step), m_report(std::move(report))
    {
    }
    ~ProgressBatch() { Flush(); }
    ProgressBatch(const ProgressBatch&) = delete;
    ProgressBatch& operator=(const ProgressBatch&) = delete;

    void Add(std::uint32_t bytes)
    {
        m_gathered += bytes;
        if (m_gathered >= m_step)
            Flush();
    }

    void Flush()
    {
        if (m_gathered == 0)
            return;
        const std::uint32_t bytes = m_gathered;
        m_gathered = 0;
        m_report(bytes);
    }

private:
    std::uint32_t m_step;
    std::function<void(std::uint32_t)> m_report;
    std::uint32_t m_gathered = 0;
};

// A worker's step: about a thousand reports for a 256 MiB download.
inline constexpr std::uint32_t PROGRESS_STEP = 256 * 1024;
