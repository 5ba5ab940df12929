// The ranges a busy server has refused, in line. Asking them all again when their
// waits end would only be refused again, so one at a time is asked: the first in line
// once its wait is over, counted from its refusal or from the moment it came first,
// whichever is later; and the first at once whenever a running range ends, since the
// server then has room for one more. No windows.h here.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

class BusyQueue {
public:
    // A refused range joins the line with its wait: at the back, or at the front when
    // it was asked from the front and refused again (it keeps its place).
    void Add(int index, std::uint32_t waitMs, bool front, std::uint64_t now);
    // The first in line, taken out; the next one's wait starts now.
    std::optional<int> TakeFirst(std::uint64_t now);
    // When the first in line is due, if anyone waits.
    std::optional<std::uint64_t> FirstDue() const;
    void Clear() { m_line.clear(); }

private:
    struct Waiting {
        int index;
        std::uint32_t waitMs;
    };
    std::deque<Waiting> m_line;
    std::uint64_t m_firstSince = 0;  // since when the first in line has been first
};
