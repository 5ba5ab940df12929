// The bare reference the benchmark holds the setup against: one file fetched as 40
// WinINet range requests on 40 threads straight into one buffer, then written to disk
// once and flushed. No retries, no progress, no copies: what WinINet can do here.
//
//   range_fetch HOST PORT PATH SIZE OUTFILE
//
// prints one line of JSON with three moments in Unix seconds ("started": the threads
// are about to ask, "received": every range is in memory, "written": the file is on
// disk) or an "error" and exits with 1.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/windows/wall_clock.h"

namespace {

constexpr int kRanges = 40;
constexpr DWORD kReadSize = 1024 * 1024;

struct InternetCloser {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using UniqueInternet = std::unique_ptr<void, InternetCloser>;

struct HandleCloser {
    void operator()(HANDLE handle) const
    {
        if (handle && handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct Range {
    const wchar_t* host;
    INTERNET_PORT port;
    const wchar_t* path;
    unsigned char* buffer;  // the whole file's buffer
    std::uint64_t first;
    std::uint64_t last;
    DWORD error;  // 0 when every byte of the range arrived
};

DWORD Fetch(Range& range)
{
    const UniqueInternet root(InternetOpenW(L"range-fetch-reference", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!root)
        return GetLastError();
    const UniqueInternet connection(
        InternetConnectW(root.get(), range.host, range.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection)
        return GetLastError();
    LPCWSTR accept[] = {L"*/*", nullptr};
    const UniqueInternet request(HttpOpenRequestW(connection.get(), L"GET", range.path, L"HTTP/1.1", nullptr, accept,
                                                  INTERNET_FLAG_SECURE | INTERNET_FLAG_RELOAD |
                                                      INTERNET_FLAG_NO_CACHE_WRITE,
                                                  0));
    if (!request)
        return GetLastError();
    const std::wstring header = L"Range: bytes=" + std::to_wstring(range.first) + L"-" + std::to_wstring(range.last);
    if (!HttpSendRequestW(request.get(), header.c_str(), static_cast<DWORD>(header.size()), nullptr, 0))
        return GetLastError();
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return GetLastError();
    if (status != 206)
        return status;
    std::uint64_t at = range.first;
    while (at <= range.last) {
        const std::uint64_t left = range.last + 1 - at;
        DWORD read = 0;
        if (!InternetReadFile(request.get(), range.buffer + at, left < kReadSize ? static_cast<DWORD>(left) : kReadSize,
                              &read))
            return GetLastError();
        if (read == 0)
            return ERROR_HANDLE_EOF;
        at += read;
    }
    return 0;
}

DWORD WINAPI RangeThread(void* argument)
{
    Range& range = *static_cast<Range*>(argument);
    range.error = Fetch(range);
    return 0;
}

DWORD WriteOnce(const wchar_t* path, const unsigned char* data, std::uint64_t size)
{
    const UniqueHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return GetLastError();
    while (size != 0) {
        const DWORD chunk = size < 0x40000000u ? static_cast<DWORD>(size) : 0x40000000u;
        DWORD written = 0;
        if (!WriteFile(file.get(), data, chunk, &written, nullptr))
            return GetLastError();
        data += written;
        size -= written;
    }
    return FlushFileBuffers(file.get()) ? 0 : GetLastError();
}

int Fail(const char* what, DWORD code)
{
    std::printf("{\"error\":\"%s\",\"code\":%lu}\n", what, static_cast<unsigned long>(code));
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: range_fetch HOST PORT PATH SIZE OUTFILE\n");
        return 2;
    }
    const auto port = static_cast<INTERNET_PORT>(std::wcstoul(argv[2], nullptr, 10));
    const std::uint64_t size = std::wcstoull(argv[4], nullptr, 10);
    if (port == 0 || size < kRanges)
        return Fail("bad port or size", ERROR_INVALID_PARAMETER);
    auto* buffer = static_cast<unsigned char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!buffer)
        return Fail("memory", GetLastError());

    // WinINet would otherwise hold a process to a few connections per server.
    DWORD limit = kRanges + 2;
    InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &limit, sizeof(limit));
    InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &limit, sizeof(limit));

    Range ranges[kRanges];
    const std::uint64_t per = size / kRanges;
    for (int i = 0; i < kRanges; ++i) {
        const std::uint64_t first = per * i;
        ranges[i] = Range{argv[1], port, argv[3], buffer, first, i == kRanges - 1 ? size - 1 : first + per - 1, 0};
    }
    const double started = UnixSecondsNow();
    UniqueHandle threads[kRanges];
    HANDLE waits[kRanges];
    for (int i = 0; i < kRanges; ++i) {
        threads[i].reset(CreateThread(nullptr, 0, RangeThread, &ranges[i], 0, nullptr));
        if (!threads[i])
            return Fail("thread", GetLastError());
        waits[i] = threads[i].get();
    }
    WaitForMultipleObjects(kRanges, waits, TRUE, INFINITE);
    const double received = UnixSecondsNow();
    for (const Range& range : ranges) {
        if (range.error != 0)
            return Fail("range", range.error);
    }
    if (const DWORD error = WriteOnce(argv[5], buffer, size))
        return Fail("write", error);
    const double written = UnixSecondsNow();
    std::printf("{\"started\":%.6f,\"received\":%.6f,\"written\":%.6f}\n", started, received, written);
    return 0;
}
