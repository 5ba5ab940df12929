// The finished download, held until the installer starts: nobody else can write,
// delete or rename it, and renaming it through the held handle keeps it held.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/own_folder.h"
#include "download/held_file.h"

namespace {

class HeldFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"held-file-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        download = folder + L"\\lumaroute.down";
        installer = folder + L"\\lumaroute.exe";
        Write(download, "the installer");
    }
    void TearDown() override
    {
        DeleteFileW(download.c_str());
        DeleteFileW(installer.c_str());
        DeleteFileW((folder + L"\\other.exe").c_str());
        RemoveDirectoryW(folder.c_str());
    }
    static void Write(const std::wstring& path, const char* text)
    {
        const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    }
    // What another process that wants to change the file gets.
    static DWORD OpenForWriting(const std::wstring& path)
    {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return GetLastError();
        CloseHandle(file);
        return ERROR_SUCCESS;
    }

    std::wstring folder, download, installer;
};

TEST_F(HeldFileTest, NobodyElseCanChangeTheFileWhileItIsHeldUnderEitherName)
{
    UniqueHandle held = HoldFile(download);
    ASSERT_TRUE(held);
    EXPECT_EQ(OpenForWriting(download), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileW(download.c_str()));

    ASSERT_TRUE(RenameHeldFile(held.get(), installer));
    EXPECT_EQ(GetFileAttributesW(download.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(OpenForWriting(installer), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileW(installer.c_str()));
    EXPECT_FALSE(MoveFileW(installer.c_str(), (folder + L"\\other.exe").c_str()));

    held.reset();
    EXPECT_EQ(OpenForWriting(installer), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(DeleteFileW(installer.c_str()));
}

TEST_F(HeldFileTest, ARenameNeverReplacesAFileOfTheNewName)
{
    Write(installer, "someone else's");
    UniqueHandle held = HoldFile(download);
    ASSERT_TRUE(held);
    EXPECT_FALSE(RenameHeldFile(held.get(), installer));
    EXPECT_NE(GetFileAttributesW(download.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(HeldFileTest, AFilePutInTheDownloadsPlaceIsNotTheOneTheWriterMade)
{
    FileIdentity made{};
    {
        const UniqueHandle writer(CreateFileW(download.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(ReadFileIdentity(writer.get(), made));
    }
    EXPECT_EQ(CheckHeldFileIdentity(HoldFile(download).get(), made), static_cast<DWORD>(ERROR_SUCCESS));

    // Between the writer's close and the hold, the file was swapped for another.
    ASSERT_TRUE(MoveFileW(download.c_str(), installer.c_str()));
    Write(download, "the installer");
    EXPECT_EQ(CheckHeldFileIdentity(HoldFile(download).get(), made), static_cast<DWORD>(ERROR_FILE_INVALID));
}

}  // namespace
