#include "download/responses.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace {

TEST(ResponsesTest, ProbeSizeAcceptsOnlyASuccessWithAPlainPositiveLength)
{
    const struct {
        unsigned long status;
        std::optional<std::wstring_view> length;
        std::optional<std::uint32_t> size;
    } cases[] = {
        {200, L"10000003", 10000003u},
        {299, L"1", 1u},
        {204, L"2147483647", 2147483647u},
        {199, L"100", std::nullopt},
        {300, L"100", std::nullopt},
        {404, L"100", std::nullopt},
        {200, std::nullopt, std::nullopt},
        {200, L"", std::nullopt},
        {200, L"abc", std::nullopt},
        {200, L"12abc", std::nullopt},
        {200, L" 12", std::nullopt},
        {200, L"12 ", std::nullopt},
        {200, L"+12", std::nullopt},
        {200, L"-12", std::nullopt},
        {200, L"0", std::nullopt},
        {200, L"2147483648", std::nullopt},
        {200, L"4294967297", std::nullopt},  // would wrap to 1 in 32 bits
        {200, L"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProbeSize(c.status, c.length), c.size) << c.status << " " << (c.length ? c.length->size() : 0);
}

TEST(ResponsesTest, RangeIsStoredOnlyWhenItIsTheOneAskedForOfTheProbedFile)
{
    constexpr std::uint32_t first = 250000, last = 499999, total = 10000003;
    const struct {
        unsigned long status;
        std::optional<std::wstring_view> range;
        std::optional<std::uint32_t> expected;  // the span that may be stored
    } cases[] = {
        {206, L"bytes 250000-499999/10000003", 250000},
        {206, L"BYTES 250000-499999/10000003", 250000},
        {206, L"bytes   250000-499999/10000003", 250000},
        {206, L"bytes 250000-300000/10000003", 50001},  // shorter: the worker asks again
        {206, L"bytes 250000-250000/10000003", 1},
        {200, L"bytes 250000-499999/10000003", std::nullopt},
        {206, std::nullopt, std::nullopt},
        {206, L"", std::nullopt},
        {206, L"bytes250000-499999/10000003", std::nullopt},
        {206, L"items 250000-499999/10000003", std::nullopt},
        {206, L"bytes 250001-499999/10000003", std::nullopt},
        {206, L"bytes 0-499999/10000003", std::nullopt},
        {206, L"bytes 250000-500000/10000003", std::nullopt},
        {206, L"bytes 250000-249999/10000003", std::nullopt},
        {206, L"bytes 250000-499999/10000004", std::nullopt},
        {206, L"bytes 250000-499999/*", std::nullopt},
        {206, L"bytes 250000-499999", std::nullopt},
        {206, L"bytes 250000-499999/10000003 ", std::nullopt},
        {206, L"bytes -499999/10000003", std::nullopt},
        {206, L"bytes 250000-+499999/10000003", std::nullopt},
        {206, L"bytes 4295217296-499999/10000003", std::nullopt},  // 250000 + 2^32
        {206, L"bytes 250000-499999/4304967299", std::nullopt},    // total + 2^32
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AcceptedRangeLength(c.status, c.range, first, last, total), c.expected)
            << c.status << " case " << (&c - cases);
    }
}

}  // namespace
