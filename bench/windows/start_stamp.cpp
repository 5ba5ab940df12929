// Stands in for the product installer in the benchmark: the moment it starts is the end
// of the setup's work. It writes that moment (Unix seconds) to C:\bench-records\started.txt
// and ends with 0, so that the setup finishes as after a good installation.
#include "bench/windows/wall_clock.h"

#include <cstdio>

int wmain()
{
    const double started = UnixSecondsNow();
    CreateDirectoryW(L"C:\\bench-records", nullptr);
    // Written under another name and renamed, so that a reader never sees half a number.
    FILE* file = _wfopen(L"C:\\bench-records\\started.tmp", L"w");
    if (!file)
        return 2;
    std::fprintf(file, "%.6f\n", started);
    std::fclose(file);
    return MoveFileExW(L"C:\\bench-records\\started.tmp", L"C:\\bench-records\\started.txt",
                       MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}
