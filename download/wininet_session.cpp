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
#include "download/error_kinds.h"
#include "download/exchange_handles.h"
#include "download/final_address.h"
#include "download/http_backends.h"
#include "download/proxy_settings.h"

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
    WinInetSession(DWORD timeoutMs, DownloadProxy& proxy) : m_timeoutMs(timeoutMs), m_proxy(proxy) {}

    bool Send(const HttpTarget& target, const wchar_t* verb, const std::wstring& header,
              bool raiseConnectionLimit, HttpStep& failedStep, unsigned long& error) override
    {
        m_handles.CloseAll();

        // The download's one proxy decision, which WinHTTP shares: WinINet's own reading
        // of the options would follow the account that approved the elevation, not the
        // desktop's user, and Wine's runs no script. The exceptions are applied already,
        // so WinINet is to bypass nothing, not even loopback.
        const std::wstring proxy = m_proxy.For(target);
        HINTERNET root = proxy.empty()
                             ? InternetOpenW(L"", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)
                             : InternetOpenW(L"", INTERNET_OPEN_TYPE_PROXY, proxy.c_str(), L"<-loopback>", 0);
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

        // A proxy that asks for a name and password gets what the user typed; one that
        // signs on by itself (Negotiate, NTLM) is answered by WinINet with this
        // process's own credentials.
        const auto credentials = m_proxy.Credentials();
        if (credentials) {
            InternetSetOptionW(request, INTERNET_OPTION_PROXY_USERNAME, const_cast<wchar_t*>(credentials->user.c_str()),
                               static_cast<DWORD>(credentials->user.size() + 1));
            InternetSetOptionW(request, INTERNET_OPTION_PROXY_PASSWORD,
                               const_cast<wchar_t*>(credentials->password.c_str()),
                               static_cast<DWORD>(credentials->password.size() + 1));
        }
        for (int attempt = 0;; ++attempt) {
            if (!HttpSendRequestW(request, nullptr, 0, nullptr, 0))
                return Fail(HttpStep::Send, m_handles.Aborted() ? kOperationCancelled : GetLastError(), failedStep,
                            error);
            // Where WinINet hands the challenge over instead of answering it, once more
            // with the credentials.
            if (attempt > 0 || !credentials || StatusCode() != kHttpProxyAuthRequired)
                break;
        }
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
    DownloadProxy& m_proxy;
    ExchangeHandles<CloseInternetHandle> m_handles;
};

}  // namespace

std::unique_ptr<HttpSession> OpenWinInetSession(unsigned long timeoutMs, DownloadProxy& proxy)
{
    return std::unique_ptr<HttpSession>(new (std::nothrow) WinInetSession(timeoutMs, proxy));
}
