// Running the product's installer (the stand-in beside this program): once a fatal box
// or the program's end has closed the gate, the installer never runs; stopped while
// it runs, the wait ends at once; held by someone else, it is started once let go.
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
    static std::wstring Folder()
    {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        return folder;
    }
    InstallerRun Run(const std::function<void()>& started, const std::wstring& name = L"stub_installer.exe")
    {
        return RunInstaller(Folder() + L"\\" + name, L" /verysilent /path=\"C:\\stub-target\"", Folder(), stop.get(),
                            gate, started);
    }

    UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    StartGate gate;
};

TEST_F(InstallerRunTest, OnceTheGateHasClosedTheInstallerIsEndedUnrun)
{
    gate.Close();
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

// A scanner keeps the new installer open, shared with nobody, for a second.
TEST_F(InstallerRunTest, AnInstallerHeldByAScannerIsStartedOnceLetGo)
{
    const std::wstring held = Folder() + L"\\held_installer.exe";
    ASSERT_TRUE(CopyFileW((Folder() + L"\\stub_installer.exe").c_str(), held.c_str(), FALSE));
    std::wstring command = L"stub_installer.exe /hold \"" + held + L"\" 1500";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION scanner{};
    ASSERT_TRUE(CreateProcessW((Folder() + L"\\stub_installer.exe").c_str(), command.data(), nullptr, nullptr, FALSE,
                               0, nullptr, nullptr, &startup, &scanner));
    const UniqueHandle scannerThread(scanner.hThread);
    const UniqueHandle scannerProcess(scanner.hProcess);
    // Held once nobody else can open it.
    for (int i = 0; i < 250; ++i) {
        const UniqueHandle probe(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        if (probe.get() == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
            break;
        Sleep(20);
    }
    ASSERT_EQ(WaitForSingleObject(scannerProcess.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still holding";

    int started = 0;
    const InstallerRun run = Run([&] { ++started; }, L"held_installer.exe");
    EXPECT_EQ(run.outcome, InstallerRun::Outcome::Exited) << run.code;
    EXPECT_EQ(started, 1);
    EXPECT_NE(GetFileAttributesW(kRecord), INVALID_FILE_ATTRIBUTES) << "it ran";
    WaitForSingleObject(scannerProcess.get(), 10000);
    DeleteFileW(held.c_str());
}

}  // namespace
