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

TEST(DialogLayoutTest, EveryLengthScalesByTheDpiWithOneRoundingRule)
{
    const struct {
        int dpi;
        int width, collapsed, expanded;
        ControlRect agree, install, progress;
        int fontHeight, skinScale;
    } cases[] = {
        {96, 750, 360, 434, {20, 329, 11, 11}, {298, 235, 168, 46}, {48, 320, 540, 15}, -12, 1},
        // 125 %: a half pixel rounds up.
        {120, 938, 450, 543, {25, 411, 14, 14}, {373, 294, 210, 58}, {60, 400, 675, 19}, -15, 2},
        {144, 1125, 540, 651, {30, 494, 17, 17}, {447, 353, 252, 69}, {72, 480, 810, 23}, -18, 2},
        {192, 1500, 720, 868, {40, 658, 22, 22}, {596, 470, 336, 92}, {96, 640, 1080, 30}, -24, 2},
        // Beyond the denser set, its pictures are scaled up.
        {288, 2250, 1080, 1302, {60, 987, 33, 33}, {894, 705, 504, 138}, {144, 960, 1620, 45}, -36, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(ScaleToDpi(kDialogWidth, c.dpi), c.width);
        EXPECT_EQ(ScaleToDpi(kCollapsedHeight, c.dpi), c.collapsed);
        EXPECT_EQ(ScaleToDpi(kExpandedHeight, c.dpi), c.expanded);
        EXPECT_EQ(ScaleToDpi(ControlPlace(1003, 0x0409), c.dpi), c.agree);
        EXPECT_EQ(ScaleToDpi(ControlPlace(1002, 0x0409), c.dpi), c.install);
        EXPECT_EQ(ScaleToDpi(ControlPlace(1010, 0x0409), c.dpi), c.progress);
        EXPECT_EQ(DialogFontHeight(c.dpi), c.fontHeight);
        EXPECT_EQ(SkinScaleFor(c.dpi), c.skinScale);
    }
    EXPECT_EQ(ScaleToDpi(-3, 120), -4) << "halves away from zero, below it too";
    EXPECT_EQ(ControlPlace(1012, 0x0410), PathLabelRect(0x0410));
    EXPECT_EQ(ControlPlace(4242, 0x0409), ControlRect{}) << "a control the dialog does not place";
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
