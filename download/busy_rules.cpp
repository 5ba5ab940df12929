#include "download/busy_rules.h"

#include <algorithm>

#include "app/number_text.h"
#include "download/http_date.h"

namespace {

constexpr std::uint32_t kFirstBackoffMs = 500;
constexpr std::uint32_t kLongestBackoffMs = 4000;

}  // namespace

bool IsBusyStatus(unsigned long status)
{
    return status == 503 || status == 429;
}

std::optional<std::uint32_t> RetryAfterSeconds(std::optional<std::wstring_view> retryAfter,
                                               std::optional<std::wstring_view> date, std::int64_t nowUnix)
{
    if (!retryAfter)
        return std::nullopt;
    const std::wstring_view value = TrimBlanks(*retryAfter);
    if (value.empty())
        return std::nullopt;
    if (const auto seconds = DecimalValue(value, kMaxRetryAfterSeconds))
        return static_cast<std::uint32_t>(*seconds);
    const auto until = ParseHttpDate(value);
    if (!until)
        return std::nullopt;
    const auto answered = date ? ParseHttpDate(TrimBlanks(*date)) : std::nullopt;
    const std::int64_t wait = *until - answered.value_or(nowUnix);
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(wait, 0, kMaxRetryAfterSeconds));
}

std::uint32_t BackoffMs(int refusals, std::uint32_t random)
{
    std::uint32_t base = kFirstBackoffMs;
    for (int i = 1; i < refusals && base < kLongestBackoffMs; ++i)
        base *= 2;
    base = std::min(base, kLongestBackoffMs);
    // From three quarters to five quarters of the base, in thousandths.
    const std::uint32_t spread = random % 1001;
    return base * (750 + spread / 2) / 1000;
}

std::uint32_t RangeWaitMs(std::optional<std::uint32_t> retryAfterSeconds, int refusals, std::uint32_t random)
{
    if (retryAfterSeconds)
        return std::max(std::min(*retryAfterSeconds, kMaxRetryAfterSeconds) * 1000, kFirstBackoffMs);
    return BackoffMs(refusals, random);
}

std::uint32_t ProbeWaitMs(std::optional<std::uint32_t> retryAfterSeconds, int busyAnswers, std::uint32_t random,
                          std::uint32_t waitedMs)
{
    if (waitedMs >= kMaxProbeWaitsMs)
        return 0;
    const std::uint32_t wait = std::min(RangeWaitMs(retryAfterSeconds, busyAnswers, random), kMaxProbeWaitMs);
    return std::min(wait, kMaxProbeWaitsMs - waitedMs);
}

std::uintptr_t PackBusyAnswer(const BusyAnswer& answer)
{
    // Status in the low 16 bits; Retry-After's seconds plus one above them (0: none).
    const std::uintptr_t seconds = answer.retryAfterSeconds ? *answer.retryAfterSeconds + 1 : 0;
    return (seconds << 16) | (answer.status & 0xFFFF);
}

BusyAnswer UnpackBusyAnswer(std::uintptr_t packed)
{
    BusyAnswer answer;
    answer.status = packed & 0xFFFF;
    const std::uintptr_t seconds = (packed >> 16) & 0xFFFF;
    if (seconds != 0)
        answer.retryAfterSeconds = static_cast<std::uint32_t>(seconds - 1);
    return answer;
}
