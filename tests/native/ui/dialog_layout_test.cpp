#include "ui/dialog_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogLayoutTest, PathLabelPlaceFollowsTheWholeUiLanguageId)
{
    const struct {
        std::uint16_t langId;
        ControlRect rect;
    } cases[] = {
        {0x0410, {12, 388, 130, 32}},  // Italian
        {0x040C, {12, 388, 130, 32}},  // French (France)
        {0x0404, {82, 388, 60, 32}},   // Chinese (Taiwan)
        {0x0409, {42, 388, 100, 32}},  // English (United States)
        {0x080C, {42, 388, 100, 32}},  // French (Belgium): not the French of France
        {0x0810, {42, 388, 100, 32}},  // Italian (Switzerland)
        {0x0804, {42, 388, 100, 32}},  // Chinese (PRC)
        {0x0000, {42, 388, 100, 32}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathLabelRect(c.langId), c.rect) << std::hex << c.langId;
}

TEST(DialogLayoutTest, PathLabelEndsLeftOfThePathField)
{
    for (const std::uint16_t langId : {0x0410, 0x040C, 0x0404, 0x0409}) {
        const ControlRect label = PathLabelRect(langId);
        EXPECT_LE(label.x + label.width, kPathEditRect.x) << std::hex << langId;
        EXPECT_GE(label.y, kCollapsedHeight) << "the label belongs to the custom area";
    }
}

TEST(DialogLayoutTest, CustomAreaControlsLieBetweenTheTwoHeights)
{
    for (const ControlRect& r : {kBrowseRect, kPathEditRect}) {
        EXPECT_GE(r.y, kCollapsedHeight);
        EXPECT_LE(r.y + r.height, kExpandedHeight);
        EXPECT_LE(r.x + r.width, kDialogWidth);
    }
}

TEST(DialogLayoutTest, ReadingOrderGoesRowByRowAndLeftToRightWithinARow)
{
    const struct {
        const char* what;
        std::vector<PlacedControl> controls;
        std::vector<int> order;
    } cases[] = {
        {"the dialog's keyboard controls",
         {{1000, kCloseRect}, {1001, kMinimizeRect}, {1002, kInstallRect}, {1003, kAgreeRect},
          {1004, kLicenceRect}, {1005, kCustomizeRect}, {1008, kBrowseRect}, {1009, kPathEditRect},
          {1014, kHideRect}, {1015, kLaunchRect}},
         {1001, 1000, 1002, 1015, 1003, 1004, 1005, 1014, 1009, 1008}},
        {"a taller control starts the row it shares with a lower one to its left",
         {{1, {100, 10, 50, 40}}, {2, {10, 20, 50, 10}}, {3, {10, 60, 50, 10}}}, {2, 1, 3}},
        {"rows that only touch are two rows",
         {{1, {100, 0, 10, 10}}, {2, {0, 10, 10, 10}}}, {1, 2}},
        {"nothing", {}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadingOrder(c.controls), c.order) << c.what;
}

}  // namespace
