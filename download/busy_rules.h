// How long the engine leaves a busy server alone: a 503 or 429 answer asks the client
// to come back later, with Retry-After saying when or, without it, after a backoff.
// No windows.h here.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The two answers that mean "busy, ask again later" rather than "failed".
bool IsBusyStatus(unsigned long status);

// The longest wait the engine grants a server's Retry-After: beyond it the user would
// think the download had hung.
inline constexpr std::uint32_t kMaxRetryAfterSeconds = 30;

// Retry-After's seconds: a number of seconds, or an HTTP date counted from the answer's
// own Date (from `nowUnix` when it has none or an invalid one), so that a clock set
// wrong on either side does not matter. Past dates give 0, waits beyond the longest are
// cut to it. An invalid or missing value gives nothing (the backoff applies).
std::optional<std::uint32_t> RetryAfterSeconds(std::optional<std::wstring_view> retryAfter,
                                               std::optional<std::wstring_view> date, std::int64_t nowUnix);

// The wait before a range refused `refusals` times in a row is asked again without
// Retry-After: half a second, doubling with each refusal up to four seconds, spread by
// a quarter either way according to `random` so that refused ranges do not come back
// all at once.
std::uint32_t BackoffMs(int refusals, std::uint32_t random);

// The wait of a range: Retry-After's (never below the backoff's first step, so that
// "0" cannot set off a stream of requests), else the backoff.
std::uint32_t RangeWaitMs(std::optional<std::uint32_t> retryAfterSeconds, int refusals, std::uint32_t random);

// Bounds on the size probe's waits while the server is busy, per HTTP interface: after
// that its remaining tries go at once, so that the switch to the other interface (and
// the user's answer) is never more than this far off.
inline constexpr std::uint32_t kMaxProbeWaitMs = 5000;
inline constexpr std::uint32_t kMaxProbeWaitsMs = 30000;

// The wait before the probe's `busyAnswers`-th busy answer is asked again, when
// `waitedMs` have been spent waiting on this interface already: as a range's wait, at
// most kMaxProbeWaitMs, and 0 once the waits have used up kMaxProbeWaitsMs.
std::uint32_t ProbeWaitMs(std::optional<std::uint32_t> retryAfterSeconds, int busyAnswers, std::uint32_t random,
                          std::uint32_t waitedMs);

// A busy answer as the worker reports it in one message parameter: the status, and
// Retry-After's seconds when there are any.
struct BusyAnswer {
    unsigned long status = 0;
    std::optional<std::uint32_t> retryAfterSeconds;
};
std::uintptr_t PackBusyAnswer(const BusyAnswer& answer);
BusyAnswer UnpackBusyAnswer(std::uintptr_t packed);
