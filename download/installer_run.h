// Running the product's installer and waiting for it, stoppable at every point where
// the program may begin to end.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct InstallerRun {
    enum class Outcome {
        Exited,   // `code` is the installer's exit code
        Stopped,  // the stop event came first: before the start the installer was
                  // ended unrun; while waiting it was left to finish alone
        Failed,   // `code` is the error of the call that failed
    };
    Outcome outcome = Outcome::Failed;
    unsigned long code = 0;
};

// Starts `installer` suspended with `commandLine`, in `folder`; once its process
// exists calls `started` (which lets go of what was held until then), resumes it and
// waits until it exits or `stop` is signalled.
InstallerRun RunInstaller(const std::wstring& installer, std::wstring commandLine, const std::wstring& folder,
                          HANDLE stop, const std::function<void()>& started);
