// The setup's own folders: made with their security at creation and checked through a
// handle, someone else's working folder moved aside untouched, and a held folder that
// nobody can rename while files are still made and renamed inside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/own_folder.h"
#include "tests/windows/under_wine.h"

namespace {

class OwnFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        parent = std::wstring(temp) + L"own-folder-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(parent.c_str(), nullptr));
        path = parent + L"\\Quorvex";
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(parent, ignored);
    }
    // The folder the working folder was moved aside to, if any.
    std::wstring AsideFolder() const
    {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((parent + L"\\Quorvex.*.aside").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return {};
        FindClose(search);
        return parent + L"\\" + found.cFileName;
    }

    std::wstring parent, path;
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
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    const HANDLE theirs = CreateFileW((path + L"\\theirs.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(theirs, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(theirs, "theirs", 6, &written, nullptr);
    CloseHandle(theirs);

    OwnFolder data;
    EXPECT_EQ(HoldOwnFolder(path, FolderKind::Data, data), OwnFolderOutcome::UseEmbedded);
    EXPECT_NE(GetFileAttributesW((path + L"\\theirs.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    OwnFolder working;
    ASSERT_EQ(HoldOwnFolder(path, FolderKind::Working, working), OwnFolderOutcome::Held) << GetLastError();
    EXPECT_EQ(GetFileAttributesW((path + L"\\theirs.txt").c_str()), INVALID_FILE_ATTRIBUTES) << "a new folder";
    const std::wstring aside = AsideFolder();
    ASSERT_FALSE(aside.empty()) << "theirs was moved to Quorvex.<time>.aside";
    const HANDLE kept = CreateFileW((aside + L"\\theirs.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(kept, INVALID_HANDLE_VALUE);
    char text[8] = {};
    ReadFile(kept, text, sizeof(text), &written, nullptr);
    CloseHandle(kept);
    EXPECT_EQ(std::string(text, written), "theirs");

    // The folder it leaves behind is theirs: the setup never deletes it.
    working.held.reset();
    RemoveOwnFolderIfEmpty(aside, working.identity);
    EXPECT_NE(GetFileAttributesW(aside.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(OwnFolderTest, AHeldFolderCannotBeRenamedWhileFilesAreMadeAndRenamedInIt)
{
    OwnFolder folder;
    ASSERT_EQ(HoldOwnFolder(path, FolderKind::Working, folder), OwnFolderOutcome::Held);
    const std::wstring elsewhere = parent + L"\\elsewhere";
    EXPECT_FALSE(MoveFileW(path.c_str(), elsewhere.c_str()));

    const std::wstring inside = path + L"\\inside.tmp";
    const HANDLE file = CreateFileW(inside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_TRUE(MoveFileW(inside.c_str(), (path + L"\\inside.exe").c_str()));

    folder.held.reset();
    EXPECT_TRUE(MoveFileW(path.c_str(), elsewhere.c_str())) << "only while it is held";
}

}  // namespace
