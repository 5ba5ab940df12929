// Wall-clock time in Unix seconds, the clock nginx's access log keeps, so that a
// moment a Windows program notes under Wine lines up with the server's log.
#pragma once

#include <windows.h>

#include <cstdint>

inline double UnixSecondsNow()
{
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const std::uint64_t ticks = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ull;  // 1970-01-01 in 100 ns ticks
    return static_cast<double>(ticks - kUnixEpochTicks) / 1e7;
}
