// Running the product's installer (the stand-in beside this program) while the program
// may begin to end: stopped before the start, the installer never runs; stopped while
// it runs, the wait ends at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/handles.h"
#include "download/installer_run.h"

namespace {

const wchar_t kRecord[] = L"C:\\stub-records\\installer.txt";
const wchar_t kHold[] = L"C:\\stub-records\\hold";

class InstallerRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(L"C:\\stub-records", nullptr);
        DeleteFileW(kRecord);
    }
    void TearDown() override { DeleteFileW(kHold); }
    // The stand-in lies beside this program, which runs in that folder.
    InstallerRun Run(const std::function<void()>& started)
    {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        return RunInstaller(std::wstring(folder) + L"\\stub_installer.exe", L" /verysilent /path=\"C:\\stub-target\"",
                            folder, stop.get(), started);
    }

    UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

TEST_F(InstallerRunTest, StoppedBeforeItsStartTheInstallerIsEndedUnrun)
{
    SetEvent(stop.get());
    int started = 0;
    EXPECT_EQ(Run([&] { ++started; }).outcome, InstallerRun::Outcome::Stopped);
    EXPECT_EQ(started, 0) << "nothing held was let go";
    Sleep(500);  // long enough for a resumed stand-in to write its record
    EXPECT_EQ(GetFileAttributesW(kRecord), INVALID_FILE_ATTRIBUTES) << "it never ran";
}

TEST_F(InstallerRunTest, StoppedWhileTheInstallerRunsTheWaitEndsAtOnce)
{
    // The stand-in waits up to two minutes while this file exists.
    CloseHandle(CreateFileW(kHold, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    int started = 0;
    const InstallerRun run = Run([&] {
        ++started;
        SetEvent(stop.get());  // the program begins to end as the installer starts
    });
    EXPECT_EQ(run.outcome, InstallerRun::Outcome::Stopped);
    EXPECT_EQ(started, 1);
    // It was left running: it writes its record, then ends once let go.
    for (int i = 0; i < 100 && GetFileAttributesW(kRecord) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    EXPECT_NE(GetFileAttributesW(kRecord), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
