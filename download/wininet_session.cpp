// HttpSession over WinINet.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/handles.h"
#include "download/exchange_handles.h"
#include "download/final_address.h"
#include "download/http_backends.h"

namespace {

BOOL WINAPI CloseInternetHandle(void* handle)
{
    return InternetCloseHandle(handle);
}

bool Fail(HttpStep step, DWORD code, HttpStep& failedStep, unsigned long& error)
{
    failedStep = step;
    error = code;
    return false;
}

class WinInetSession final : public HttpSession {
public:
    explicit WinInetSession(DWORD timeoutMs) : m_timeoutMs(timeoutMs) {}

    bool Send(const HttpTarget& target, const wchar_t* verb, const std::wstring& header,
              bool raiseConnectionLimit, HttpStep& failedStep, unsigned long& error) override
    {
        m_handles.CloseAll();

        // Without a proxy, automatic proxy discovery would only cost time (WPAD lookups)
        // before every one of the 40 requests.
        const DWORD access = ConnectionUsesProxy() ? INTERNET_OPEN_TYPE_PRECONFIG
                                                   : INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY;
        HINTERNET root = InternetOpenW(L"", access, nullptr, nullptr, 0);
        if (!root || !m_handles.Keep(ExchangeSlot::Root, root))
            return Fail(HttpStep::OpenRoot, GetLastError(), failedStep, error);
        SetTimeouts(root);

        // WinINet reads port 0 as "the service's default" and would quietly go to 80 or
        // 443; a target with port 0 came from an address whose port made no sense.
        if (target.port == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return Fail(HttpStep::Connect, ERROR_INVALID_PARAMETER, failedStep, error);
        }
        HINTERNET connection = InternetConnectW(root, target.host.c_str(), target.port, nullptr, nullptr,
                                                INTERNET_SERVICE_HTTP, 0, 0);
        if (!connection || !m_handles.Keep(ExchangeSlot::Connection, connection))
            return Fail(HttpStep::Connect, GetLastError(), failedStep, error);

        if (raiseConnectionLimit) {
            // WinINet mostly keeps these per process (RaiseProcessConnectionLimit) and may
            // refuse them on a connection handle; a refusal leaves the process-wide value.
            DWORD limit = 50;
            InternetSetOptionW(connection, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &limit, sizeof(limit));
            InternetSetOptionW(connection, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &limit, sizeof(limit));
        }

        // HTTP/1.1 wants the origin form of the target, which starts with "/". RELOAD
        // keeps a stale cached copy (or a caching proxy's) from standing in for the file;
        // NO_CACHE_WRITE keeps the installer out of the user's browser cache.
        const std::wstring object = L"/" + target.path;
        LPCWSTR accept[] = {L"*/*", nullptr};
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                            INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS | (target.secure ? INTERNET_FLAG_SECURE : 0);
        HINTERNET request = HttpOpenRequestW(connection, verb, object.c_str(), L"HTTP/1.1", nullptr, accept,
                                             flags, 0);
        if (!request || !m_handles.Keep(ExchangeSlot::Request, request))
            return Fail(HttpStep::OpenRequest, GetLastError(), failedStep, error);
        SetTimeouts(request);

        if (!header.empty() &&
            !HttpAddRequestHeadersW(request, header.c_str(), static_cast<DWORD>(header.size()),
                                    HTTP_ADDREQ_FLAG_ADD))
            return Fail(HttpStep::AddHeader, GetLastError(), failedStep, error);

        if (!HttpSendRequestW(request, nullptr, 0, nullptr, 0))
            return Fail(HttpStep::Send, m_handles.Aborted() ? kOperationCancelled : GetLastError(), failedStep,
                        error);
        // Windows' WinINet refuses a redirect from https to plain http with this very
        // code; Wine's follows it. Either way nothing fetched in clear is used.
        if (const unsigned long refused = FinalAddressError(target.secure, FinalUrl(request), StatusCode(),
                                                            LocationHeader())) {
            SetLastError(refused);
            return Fail(HttpStep::Send, refused, failedStep, error);
        }
        return true;
    }

    unsigned long StatusCode() override
    {
        HINTERNET request = m_handles.Get(ExchangeSlot::Request);
        DWORD code = 0;
        DWORD size = sizeof(code);
        if (!request ||
            !HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr))
            return 0;
        return code;
    }

    bool Header(const wchar_t* name, std::wstring& value) override
    {
        HINTERNET request = m_handles.Get(ExchangeSlot::Request);
        if (!request)
            return false;
        // HTTP_QUERY_CUSTOM takes the header's name in the buffer the value comes back
        // in, so the name goes in again whenever the buffer has to grow.
        const std::size_t nameLength = std::wcslen(name);
        std::vector<wchar_t> buffer(nameLength + 64);
        for (int attempt = 0; attempt < 3; ++attempt) {
            std::wmemcpy(buffer.data(), name, nameLength + 1);
            DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
            if (HttpQueryInfoW(request, HTTP_QUERY_CUSTOM, buffer.data(), &size, nullptr)) {
                value.assign(buffer.data(), size / sizeof(wchar_t));
                return true;
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                return false;
            buffer.resize(std::max<std::size_t>(size / sizeof(wchar_t) + 1, nameLength + 1));
        }
        return false;
    }

    bool Read(void* buffer, unsigned long size, unsigned long& read, unsigned long& error) override
    {
        read = 0;
        HINTERNET request = m_handles.Get(ExchangeSlot::Request);
        if (!request) {
            error = m_handles.Aborted() ? kOperationCancelled : ERROR_INVALID_HANDLE;
            return false;
        }
        DWORD got = 0;
        if (!InternetReadFile(request, buffer, size, &got)) {
            error = m_handles.Aborted() ? kOperationCancelled : GetLastError();
            return false;
        }
        read = got;
        return true;
    }

    void Abort() override { m_handles.Abort(); }

private:
    // The address the answer came from, after any redirect WinINet followed; empty
    // when it cannot be read.
    static std::wstring FinalUrl(HINTERNET request)
    {
        return QueryGrowingText([request](wchar_t* buffer, DWORD& size) {
            return InternetQueryOptionW(request, INTERNET_OPTION_URL, buffer, &size) != FALSE;
        });
    }

    std::optional<std::wstring> LocationHeader()
    {
        std::wstring location;
        return Header(L"Location", location) ? std::optional<std::wstring>(location) : std::nullopt;
    }

    // A server that stops answering is then a failed request, retried like any other,
    // not a worker held for ever. Windows hands the root's values down to the request;
    // Wine's WinINet heeds them only on the request itself.
    void SetTimeouts(HINTERNET handle)
    {
        for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                   INTERNET_OPTION_RECEIVE_TIMEOUT}) {
            DWORD timeout = m_timeoutMs;
            InternetSetOptionW(handle, option, &timeout, sizeof(timeout));
        }
    }

    const DWORD m_timeoutMs;
    ExchangeHandles<CloseInternetHandle> m_handles;
};

}  // namespace

std::unique_ptr<HttpSession> OpenWinInetSession(unsigned long timeoutMs)
{
    return std::unique_ptr<HttpSession>(new (std::nothrow) WinInetSession(timeoutMs));
}

bool ConnectionUsesProxy()
{
    // The question takes tens of milliseconds (some 40 under Wine), and all 40 workers
    // ask it the moment a download starts: asked one after the other, it would hold the
    // last ranges back by most of a second. So one answer serves everyone for a few
    // seconds; a restart after that asks again, in case the network has changed.
    constexpr ULONGLONG kAnswerLifeMs = 5000;
    static CriticalSection lock;
    static ULONGLONG askedAt = 0;
    static bool usesProxy = false;
    CriticalSectionLock hold(lock);
    const ULONGLONG now = GetTickCount64();
    if (askedAt == 0 || now - askedAt > kAnswerLifeMs) {
        // The flags are filled in even when the call reports no connection.
        DWORD flags = 0;
        InternetGetConnectedState(&flags, 0);
        usesProxy = (flags & INTERNET_CONNECTION_PROXY) != 0;
        askedAt = now;
    }
    return usesProxy;
}
