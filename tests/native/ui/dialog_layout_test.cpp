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

}  // namespace
