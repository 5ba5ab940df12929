#include "download/installer_run.h"

#include "app/handles.h"

InstallerRun RunInstaller(const std::wstring& installer, std::wstring commandLine, const std::wstring& folder,
                          HANDLE stop, const std::function<void()>& started)
{
    using Outcome = InstallerRun::Outcome;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    // It runs in the working folder, never in the folder the setup was started from
    // (a Downloads folder takes anything), where it might look for its own DLLs.
    if (!CreateProcessW(installer.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        folder.c_str(), &startup, &process))
        return {Outcome::Failed, GetLastError()};
    const UniqueHandle thread(process.hThread);
    const UniqueHandle installerProcess(process.hProcess);
    // Suspended, it has run nothing yet: a program that is ending does not start it.
    if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) {
        TerminateProcess(installerProcess.get(), ERROR_OPERATION_ABORTED);
        return {Outcome::Stopped, 0};
    }
    // The process runs from its mapped image now; the file can go once it has exited.
    started();
    if (ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
        const DWORD error = GetLastError();
        // Never left suspended, to be waited for for ever.
        TerminateProcess(installerProcess.get(), error);
        return {Outcome::Failed, error};
    }
    const HANDLE waits[] = {installerProcess.get(), stop};
    const DWORD waited = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (waited == WAIT_OBJECT_0 + 1)
        return {Outcome::Stopped, 0};
    if (waited != WAIT_OBJECT_0)
        return {Outcome::Failed, GetLastError()};
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(installerProcess.get(), &exitCode))
        return {Outcome::Failed, GetLastError()};
    return {Outcome::Exited, exitCode};
}
