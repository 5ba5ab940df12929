// How long Windows (here: Wine) takes from CreateProcess to a new program's first line:
// the floor under the setup's hand-off. Starts PROGRAM (the benchmark's start_stamp.exe,
// which notes when it begins), waits for it, and prints the moment just before the call
// as one line of JSON: {"spawned": Unix seconds}.
//
//   spawn_clock PROGRAM
#include "bench/windows/wall_clock.h"

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: spawn_clock PROGRAM\n");
        return 2;
    }
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const double spawned = UnixSecondsNow();
    if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("{\"error\":%lu}\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("{\"spawned\":%.6f}\n", spawned);
    return 0;
}
