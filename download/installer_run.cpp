#include "download/installer_run.h"

#include "app/handles.h"
#include "download/start_retry.h"

InstallerRun RunInstaller(const std::wstring& installer, std::wstring commandLine, const std::wstring& folder,
                          HANDLE stop, StartGate& gate, const std::function<void()>& started)
{
    using Outcome = InstallerRun::Outcome;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const DWORD firstTry = GetTickCount();
    // It runs in the working folder, never in the folder the setup was started from
    // (a Downloads folder takes anything), where it might look for its own DLLs.
    while (!CreateProcessW(installer.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                           folder.c_str(), &startup, &process)) {
        const DWORD error = GetLastError();
        const DWORD pause = StartRetryPause(error, GetTickCount() - firstTry);
        if (pause == 0)
            return {Outcome::Failed, error};
        if (WaitForSingleObject(stop, pause) != WAIT_TIMEOUT)
            return {Outcome::Stopped, 0};
    }
    const UniqueHandle thread(process.hThread);
    const UniqueHandle installerProcess(process.hProcess);
    // Suspended, it has run nothing yet. The resume passes the gate that a fatal box
    // and the program's end close: once either is decided, it is ended unrun; once it
    // runs, neither comes before it.
    DWORD resumeError = ERROR_SUCCESS;
    const bool passed = gate.Pass([&] {
        // The process runs from its mapped image now; the file can go once it has exited.
        started();
        if (ResumeThread(thread.get()) == static_cast<DWORD>(-1))
            resumeError = GetLastError();
    });
    if (!passed || resumeError != ERROR_SUCCESS) {
        // Never left suspended, to be waited for for ever.
        TerminateProcess(installerProcess.get(), passed ? resumeError : ERROR_OPERATION_ABORTED);
        return passed ? InstallerRun{Outcome::Failed, resumeError} : InstallerRun{Outcome::Stopped, 0};
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
