#include "app/number_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// What swprintf's %d, %0Nd and %0Nlx wrote before; the other callers' texts are pinned
// by their own tests (the aside name, the error box, the range header), as is reading
// (Retry-After, HTTP dates, ports).
TEST(NumberTextTest, DigitsAsTheFormattedPrintingWroteThem)
{
    EXPECT_EQ(DecimalText(0), L"0");
    EXPECT_EQ(DecimalText(-7, 3), L"-007");
    EXPECT_EQ(DecimalText(std::numeric_limits<std::int64_t>::min()), L"-9223372036854775808");
    EXPECT_EQ(DecimalText(12345, 2), L"12345");
    EXPECT_EQ(HexText(0xABC, 6), L"000abc");
    EXPECT_EQ(HexText(0xFFFFFF, 6), L"ffffff");
}

}  // namespace
