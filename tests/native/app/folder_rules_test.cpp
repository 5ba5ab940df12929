// What the setup does with a folder, from what its handle showed, for each kind.
#include "app/folder_rules.h"

#include <gtest/gtest.h>

namespace {

using Open = FolderFacts::Open;
using Action = FolderAction;

TEST(FolderRulesTest, OnlyARealFolderOfAdministratorsWithExactlyOurListIsKept)
{
    // open, path link, handle link, directory, owner admins, our list
    const FolderFacts ours{Open::Opened, false, false, true, true, true};
    FolderFacts link = ours, linkBehindPlainHandle = ours, file = ours, otherOwner = ours, otherList = ours;
    link.pathIsLink = link.handleIsLink = true;
    linkBehindPlainHandle.pathIsLink = true;  // Wine opens the target even when told not to
    file.isDirectory = false;
    otherOwner.ownedByAdmins = false;
    otherList.listIsOurs = false;
    const struct {
        const char* what;
        FolderFacts facts;
        Action data, working;
    } cases[] = {
        {"absent", {Open::Absent}, Action::Create, Action::Create},
        {"ours", ours, Action::Keep, Action::Keep},
        {"a link", link, Action::UseEmbedded, Action::MoveAsideAndCreate},
        {"a link the handle does not show", linkBehindPlainHandle, Action::UseEmbedded, Action::Fail},
        {"a file", file, Action::UseEmbedded, Action::MoveAsideAndCreate},
        {"another owner", otherOwner, Action::UseEmbedded, Action::MoveAsideAndCreate},
        {"another list", otherList, Action::UseEmbedded, Action::MoveAsideAndCreate},
        {"unreadable to the setup", {Open::Unreadable}, Action::UseEmbedded, Action::MoveAsideAndCreate},
        {"cannot be opened", {Open::Failed}, Action::UseEmbedded, Action::Fail},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecideFolder(FolderKind::Data, c.facts), c.data) << c.what;
        EXPECT_EQ(DecideFolder(FolderKind::Working, c.facts), c.working) << c.what;
    }
}

TEST(FolderRulesTest, AFolderMovedAsideIsNamedByTheTimeBesideItself)
{
    EXPECT_EQ(AsideName(L"Quorvex", 2026, 12, 9, 21, 54, 0, 123, 0), L"Quorvex.20261209T215400.123Z.aside");
    EXPECT_EQ(AsideName(L"Quorvex", 2026, 1, 2, 3, 4, 5, 6, 2), L"Quorvex.20260102T030405.006Z.2.aside");
}

}  // namespace
