// The two HTTP interfaces behind HttpSession. Each lives in a file of its own, since
// wininet.h and winhttp.h cannot be included together; nothing here needs either.
#pragma once

#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "download/http_session.h"

std::unique_ptr<HttpSession> OpenWinInetSession(unsigned long timeoutMs, DownloadProxy& proxy);
std::unique_ptr<HttpSession> OpenWinHttpSession(unsigned long timeoutMs, DownloadProxy& proxy);

// A text that `query(buffer, bytes)` writes into a buffer and, when the buffer is too
// small, answers with the size it needs (ERROR_INSUFFICIENT_BUFFER): asked again with
// that size, a few times at most. Empty, with the last error kept, when it cannot be had.
template <class Query>
std::wstring QueryGrowingText(Query query)
{
    std::vector<wchar_t> buffer(256);
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (query(buffer.data(), size))
            return std::wstring(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return {};
        buffer.resize(size / sizeof(wchar_t) + 1);
    }
    return {};
}
