// Which validator ties the ranges to the release the probe measured, and what a
// whole-file answer to it means.
#include "download/release_check.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace {

TEST(ReleaseCheckTest, IfRangeTakesAStrongETagElseADateASecondOlderThanTheAnswer)
{
    using Text = std::optional<std::wstring_view>;
    const Text date = L"Sun, 06 Nov 1994 08:49:37 GMT";
    const struct {
        const char* what;
        Text etag, lastModified, date;
        std::wstring validator;
    } cases[] = {
        {"a strong tag", L"\"5f2-a1\"", L"Sun, 06 Nov 1994 08:00:00 GMT", date, L"\"5f2-a1\""},
        {"a weak tag leaves the date", L"W/\"5f2\"", L"Sun, 06 Nov 1994 08:49:36 GMT", date,
         L"Sun, 06 Nov 1994 08:49:36 GMT"},
        {"a date of the same second as the answer", std::nullopt, L"Sun, 06 Nov 1994 08:49:37 GMT", date, L""},
        {"a date without the answer's", std::nullopt, L"Sun, 06 Nov 1994 08:00:00 GMT", std::nullopt, L""},
        {"an invalid date", std::nullopt, L"yesterday", date, L""},
        {"a tag that is not quoted", L"5f2", std::nullopt, date, L""},
        {"nothing", std::nullopt, std::nullopt, date, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IfRangeValidator(c.etag, c.lastModified, c.date), c.validator) << c.what;
}

TEST(ReleaseCheckTest, AWholeFileOfTheSameReleaseIsNoChange)
{
    const std::wstring tag = L"\"v1\"", modified = L"Sun, 06 Nov 1994 08:49:36 GMT";
    EXPECT_TRUE(ReleaseChanged(tag, L"\"v2\"", modified));
    EXPECT_TRUE(ReleaseChanged(tag, std::nullopt, modified));
    EXPECT_FALSE(ReleaseChanged(tag, L"\"v1\"", std::nullopt));
    EXPECT_TRUE(ReleaseChanged(modified, L"\"v1\"", L"Sun, 06 Nov 1994 09:00:00 GMT"));
    EXPECT_FALSE(ReleaseChanged(modified, L"\"v1\"", modified));
}

}  // namespace
