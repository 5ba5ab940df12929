// How long a busy server is left alone: Retry-After in both forms, the backoff. (The
// probe's bounded waits are seen through the engine, in error_rules_test.)
#include "download/busy_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace {

// Sun, 06 Nov 1994 08:49:37 GMT
constexpr std::int64_t kNov6 = 784111777;

TEST(BusyRulesTest, RetryAfterIsSecondsOrADateCountedFromTheAnswersDate)
{
    using Text = std::optional<std::wstring_view>;
    const struct {
        Text retryAfter, date;
        std::optional<std::uint32_t> seconds;
    } cases[] = {
        {L"7", std::nullopt, 7u},
        {L"3600", std::nullopt, 30u},
        {L"99999999999999999999", std::nullopt, 30u},
        {L"Sun, 06 Nov 1994 08:49:49 GMT", L"Sun, 06 Nov 1994 08:49:37 GMT", 12u},
        {L"Sunday, 06-Nov-94 08:49:52 GMT", L"Sun, 06 Nov 1994 08:49:37 GMT", 15u},
        {L"Sun Nov  6 08:50:07 1994", L"Sun, 06 Nov 1994 08:49:37 GMT", 30u},
        {L"Sun, 06 Nov 1994 08:49:40 GMT", std::nullopt, 3u},  // from the client's clock
        {L"Sun, 06 Nov 1994 08:49:30 GMT", L"Sun, 06 Nov 1994 08:49:37 GMT", 0u},
        {L"Mon, 29 Feb 1993 08:49:40 GMT", std::nullopt, std::nullopt},
        {L"Sun, 06 Nov 1994 08:49:40 UTC", std::nullopt, std::nullopt},
        {L"-5", std::nullopt, std::nullopt},
        {L"", std::nullopt, std::nullopt},
        {std::nullopt, L"Sun, 06 Nov 1994 08:49:37 GMT", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::wstring what(c.retryAfter.value_or(L"(none)"));
        EXPECT_EQ(RetryAfterSeconds(c.retryAfter, c.date, kNov6), c.seconds) << std::string(what.begin(), what.end());
    }
}

TEST(BusyRulesTest, BackoffStartsNearHalfASecondAndDoublesToFourWithAQuarterEitherWay)
{
    const std::uint32_t bases[] = {500, 1000, 2000, 4000, 4000, 4000};
    for (int refusals = 1; refusals <= 6; ++refusals) {
        const std::uint32_t base = bases[refusals - 1];
        EXPECT_EQ(BackoffMs(refusals, 0), base * 3 / 4) << refusals;
        EXPECT_EQ(BackoffMs(refusals, 1000), base * 5 / 4) << refusals;
        EXPECT_EQ(BackoffMs(refusals, 500), base) << refusals;
    }
    EXPECT_EQ(RangeWaitMs(12u, 1, 0), 12000u) << "Retry-After replaces the backoff";
    EXPECT_EQ(RangeWaitMs(0u, 3, 0), 500u) << "but never asks again at once";
}

}  // namespace
