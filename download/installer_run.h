// Running the product's installer and waiting for it, stoppable at every point where
// the program may begin to end.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/start_gate.h"

struct InstallerRun {
    enum class Outcome {
        Exited,   // `code` is the installer's exit code
        Stopped,  // the stop event came, or the gate closed, first: before the resume
                  // the installer was ended unrun; while waiting it was left to finish
        Failed,   // `code` is the error of the call that failed
    };
    Outcome outcome = Outcome::Failed;
    unsigned long code = 0;
};

// Starts `installer` suspended with `commandLine`, in `folder`, trying again for a
// while when something else holds the file (see StartRetryPause); once its process
// exists, and only while `gate` is open, calls `started` (which lets go of what was
// held until then) and resumes it, then waits until it exits or `stop` is signalled.
InstallerRun RunInstaller(const std::wstring& installer, std::wstring commandLine, const std::wstring& folder,
                          HANDLE stop, StartGate& gate, const std::function<void()>& started);
