// Picks the interface, and lifts WinINet's process-wide limit on connections per server.
#include <windows.h>
#include <wininet.h>

#include "download/http_backends.h"

std::unique_ptr<HttpSession> OpenHttpSession(bool useWinHttp, unsigned long timeoutMs, DownloadProxy& proxy)
{
    return useWinHttp ? OpenWinHttpSession(timeoutMs, proxy) : OpenWinInetSession(timeoutMs, proxy);
}

void RaiseProcessConnectionLimit()
{
    // These two only count without a handle: WinINet keeps them per process. A failure
    // leaves the default in place, which is slower but still correct.
    DWORD limit = 50;
    InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &limit, sizeof(limit));
    InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &limit, sizeof(limit));
}
