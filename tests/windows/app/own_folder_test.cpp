// The setup's own folders: made with their security at creation and checked through a
// handle, someone else's working folder moved aside untouched, and a held folder that
// nobody can rename while files are still made and renamed inside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/own_folder.h"
#include "tests/windows/under_wine.h"

namespace {

namespace fs = std::filesystem;

class OwnFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fs::create_directory(parent)); }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(parent, ignored);
    }

    const fs::path parent = fs::temp_directory_path() / ("own-folder-" + std::to_string(GetCurrentProcessId()));
    const std::wstring path = (parent / "Quorvex").wstring();
};

TEST_F(OwnFolderTest, AMissingFolderIsMadeWithItsSecurityAndCheckedThroughItsHandle)
{
    OwnFolder folder;
    ASSERT_EQ(HoldOwnFolder(path, FolderKind::Working, folder), OwnFolderOutcome::Held) << GetLastError();
    ASSERT_TRUE(folder.held);
    const FolderFacts facts = ReadFolderFacts(path);
    EXPECT_EQ(facts.open, FolderFacts::Open::Opened);
    EXPECT_TRUE(facts.isDirectory);
    EXPECT_FALSE(facts.handleIsLink);
    // Wine keeps no descriptor: it reads back an owner and a list made up from the
    // folder's Unix owner (owner the user; SYSTEM and the user), so there a folder
    // found again is never counted as the setup's own.
    EXPECT_EQ(facts.listIsOurs, !UnderWine()) << "protected, and exactly SYSTEM and Administrators";
    EXPECT_EQ(facts.ownedByAdmins, !UnderWine());
    folder.held.reset();

    OwnFolder again;
    EXPECT_EQ(HoldOwnFolder(path, FolderKind::Data, again),
              UnderWine() ? OwnFolderOutcome::UseEmbedded : OwnFolderOutcome::Held);
    again.held.reset();

    RemoveOwnFolderIfEmpty(path, folder.identity);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "the empty folder it made is gone";
}

TEST_F(OwnFolderTest, SomeoneElsesWorkingFolderIsMovedAsideUntouchedAndADataFolderLeftAlone)
{
    ASSERT_TRUE(fs::create_directory(path));
    std::ofstream(fs::path(path) / "theirs.txt") << "theirs";

    OwnFolder data;
    EXPECT_EQ(HoldOwnFolder(path, FolderKind::Data, data), OwnFolderOutcome::UseEmbedded);
    EXPECT_TRUE(fs::exists(fs::path(path) / "theirs.txt"));

    OwnFolder working;
    ASSERT_EQ(HoldOwnFolder(path, FolderKind::Working, working), OwnFolderOutcome::Held) << GetLastError();
    EXPECT_TRUE(fs::is_empty(path)) << "a new folder";
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(parent))
        if (entry.path().filename().string().starts_with("Quorvex.") && entry.path().extension() == ".aside")
            aside.push_back(entry.path());
    ASSERT_EQ(aside.size(), 1u) << "theirs was moved to Quorvex.<time>.aside";
    std::string text;
    std::ifstream(aside[0] / "theirs.txt") >> text;
    EXPECT_EQ(text, "theirs");
}

TEST_F(OwnFolderTest, AHeldFolderCannotBeRenamedWhileFilesAreMadeAndRenamedInIt)
{
    OwnFolder folder;
    ASSERT_EQ(HoldOwnFolder(path, FolderKind::Working, folder), OwnFolderOutcome::Held);
    const std::wstring elsewhere = (parent / "elsewhere").wstring();
    EXPECT_FALSE(MoveFileW(path.c_str(), elsewhere.c_str()));

    const std::wstring inside = path + L"\\inside.tmp";
    ASSERT_TRUE(std::ofstream(fs::path(inside)) << "made");
    EXPECT_TRUE(MoveFileW(inside.c_str(), (path + L"\\inside.exe").c_str()));

    folder.held.reset();
    EXPECT_TRUE(MoveFileW(path.c_str(), elsewhere.c_str())) << "only while it is held";
}

}  // namespace
