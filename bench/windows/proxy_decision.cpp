// What the download's one proxy decision costs: reading the user's Internet options
// and, where they ask for it, running automatic detection or the configuration script.
// Decides RUNS times (each for another port, so that no answer is kept from the last)
// and prints one line of JSON: {"proxy": what was decided, "ms": [each decision]}.
//
//   proxy_decision RUNS
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "download/proxy_settings.h"

int wmain(int argc, wchar_t** argv)
{
    const int runs = argc == 2 ? _wtoi(argv[1]) : 0;
    if (runs <= 0) {
        std::fprintf(stderr, "usage: proxy_decision RUNS\n");
        return 2;
    }
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    std::wstring proxy;
    DownloadProxy decision;
    std::printf("{\"ms\":[");
    for (int i = 0; i < runs; ++i) {
        HttpTarget target{L"www.brinmark.com", static_cast<std::uint16_t>(443 + i), true, L"trial/lumaroute.exe"};
        LARGE_INTEGER before{}, after{};
        QueryPerformanceCounter(&before);
        proxy = decision.For(target);
        QueryPerformanceCounter(&after);
        std::printf("%s%.3f", i ? "," : "",
                    1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    std::printf("],\"proxy\":\"%ls\"}\n", proxy.c_str());
    return 0;
}
