// HttpSession over WinHTTP.
#include <windows.h>
#include <winhttp.h>

#include <cwchar>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "download/error_kinds.h"
#include "download/exchange_handles.h"
#include "download/final_address.h"
#include "download/http_backends.h"
#include "download/proxy_settings.h"

namespace {

BOOL WINAPI CloseWinHttpHandle(void* handle)
{
    return WinHttpCloseHandle(handle);
}

bool Fail(HttpStep step, DWORD code, HttpStep& failedStep, unsigned long& error)
{
    failedStep = step;
    error = code;
    return false;
}

class WinHttpSession final : public HttpSession {
public:
    WinHttpSession(DWORD timeoutMs, DownloadProxy& proxy) : m_timeoutMs(timeoutMs), m_proxy(proxy) {}

    bool Send(const HttpTarget& target, const wchar_t* verb, const std::wstring& header,
              bool raiseConnectionLimit, HttpStep& failedStep, unsigned long& error) override
    {
        m_handles.CloseAll();

        // The download's one proxy decision, which WinINet shares: WinHTTP's own default
        // is the machine's setting (netsh winhttp), not the user's Internet options, and
        // runs no script, so a company proxy would never be found. The exceptions are
        // applied already.
        const std::wstring proxy = m_proxy.For(target);
        HINTERNET root = proxy.empty() ? WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                                     WINHTTP_NO_PROXY_BYPASS, 0)
                                       : WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(),
                                                     WINHTTP_NO_PROXY_BYPASS, 0);
        if (!root || !m_handles.Keep(ExchangeSlot::Root, root))
            return Fail(HttpStep::OpenRoot, GetLastError(), failedStep, error);
        // A server that stops answering is then a failed request, retried like any
        // other, not a worker held for ever.
        const int timeout = static_cast<int>(m_timeoutMs);
        WinHttpSetTimeouts(root, timeout, timeout, timeout, timeout);

        // WinHTTP reads port 0 as "the scheme's default" and would quietly go to 80 or
        // 443; a target with port 0 came from an address whose port made no sense.
        if (target.port == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return Fail(HttpStep::Connect, ERROR_INVALID_PARAMETER, failedStep, error);
        }
        HINTERNET connection = WinHttpConnect(root, target.host.c_str(), target.port, 0);
        if (!connection || !m_handles.Keep(ExchangeSlot::Connection, connection))
            return Fail(HttpStep::Connect, GetLastError(), failedStep, error);

        if (raiseConnectionLimit) {
            // WinHTTP keeps the limit on the session handle, not on the connection. A
            // refusal leaves the default, which is slower but still correct.
            DWORD limit = 50;
            WinHttpSetOption(root, WINHTTP_OPTION_MAX_CONNS_PER_SERVER, &limit, sizeof(limit));
            WinHttpSetOption(root, WINHTTP_OPTION_MAX_CONNS_PER_1_0_SERVER, &limit, sizeof(limit));
        }

        // HTTP/1.1 wants the origin form of the target, which starts with "/". REFRESH
        // keeps a caching proxy's stale copy from standing in for the file.
        const std::wstring object = L"/" + target.path;
        LPCWSTR accept[] = {L"*/*", nullptr};
        const DWORD flags = WINHTTP_FLAG_REFRESH | (target.secure ? WINHTTP_FLAG_SECURE : 0);
        HINTERNET request = WinHttpOpenRequest(connection, verb, object.c_str(), L"HTTP/1.1", WINHTTP_NO_REFERER,
                                               accept, flags);
        if (!request || !m_handles.Keep(ExchangeSlot::Request, request))
            return Fail(HttpStep::OpenRequest, GetLastError(), failedStep, error);
        // The wait for the answer's headers has a time-out of its own, which the session's
        // time-outs do not bound everywhere (Wine waits for as long as the server stays
        // silent): a server that accepts the request and says nothing must fail it too.
        DWORD responseTimeout = m_timeoutMs;
        WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof(responseTimeout));
        // WinHTTP's default, set on the request so that nothing else decides it: every
        // redirect is followed except one from https to plain http.
        DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
        const bool policyHolds = WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy));
        // The proxy the user's options name is one the user trusts with this
        // process's own sign-on, wherever it stands on the network.
        if (!proxy.empty()) {
            DWORD logon = WINHTTP_AUTOLOGON_SECURITY_LEVEL_LOW;
            WinHttpSetOption(request, WINHTTP_OPTION_AUTOLOGON_POLICY, &logon, sizeof(logon));
        }

        if (!header.empty() &&
            !WinHttpAddRequestHeaders(request, header.c_str(), static_cast<DWORD>(header.size()),
                                      WINHTTP_ADDREQ_FLAG_ADD))
            return Fail(HttpStep::AddHeader, GetLastError(), failedStep, error);

        // WinHTTP reports refused certificates and dropped connections only when the
        // response is received, so for the caller they are failures to send.
        if (!SendAndReceive(request)) {
            unsigned long code = m_handles.Aborted() ? kOperationCancelled : GetLastError();
            // WinHTTP refuses a redirect that changes the scheme as a failed redirect;
            // one from https to plain http is reported as WinINet reports it, where the
            // redirect's own answer can still be read (under Wine it cannot, and the
            // failed redirect keeps its own code).
            if (code == ERROR_WINHTTP_REDIRECT_FAILED && target.secure &&
                RedirectLeavesHttps(StatusCode(), LocationHeader()))
                code = kHttpsToHttpRedirect;
            return Fail(HttpStep::Send, code, failedStep, error);
        }
        // Should a WinHTTP follow a redirect to plain http, or hand the redirect over
        // unfollowed, neither that nor an answer that came in clear is used.
        const std::wstring finalUrl = FinalUrl(request, policyHolds, target);
        if (const unsigned long refused = FinalAddressError(target.secure, finalUrl, StatusCode(), LocationHeader())) {
            SetLastError(refused);
            return Fail(HttpStep::Send, refused, failedStep, error);
        }
        return true;
    }

    // Sends and receives the answer's headers, answering a proxy's challenge once:
    // with what the user typed when there is that, else, for a proxy that signs on by
    // itself (Negotiate, NTLM), with this process's own credentials.
    bool SendAndReceive(HINTERNET request)
    {
        for (int attempt = 0;; ++attempt) {
            if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
                !WinHttpReceiveResponse(request, nullptr))
                return false;
            if (attempt > 0 || StatusCode() != kHttpProxyAuthRequired || !AnswerProxyChallenge(request))
                return true;
        }
    }

    bool AnswerProxyChallenge(HINTERNET request)
    {
        DWORD supported = 0, first = 0, target = 0;
        if (!WinHttpQueryAuthSchemes(request, &supported, &first, &target))
            return false;
        if (const auto credentials = m_proxy.Credentials())
            return WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, first, credentials->user.c_str(),
                                         credentials->password.c_str(), nullptr) != FALSE;
        for (const DWORD scheme : {DWORD{WINHTTP_AUTH_SCHEME_NEGOTIATE}, DWORD{WINHTTP_AUTH_SCHEME_NTLM}}) {
            if (supported & scheme)
                return WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, scheme, nullptr, nullptr,
                                             nullptr) != FALSE;
        }
        return false;
    }

    unsigned long StatusCode() override
    {
        HINTERNET request = m_handles.Get(ExchangeSlot::Request);
        DWORD code = 0;
        DWORD size = sizeof(code);
        if (!request || !WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                             WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX))
            return 0;
        return code;
    }

    bool Header(const wchar_t* name, std::wstring& value) override
    {
        HINTERNET request = m_handles.Get(ExchangeSlot::Request);
        if (!request)
            return false;
        std::vector<wchar_t> buffer(64);
        for (int attempt = 0; attempt < 3; ++attempt) {
            DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
            if (WinHttpQueryHeaders(request, WINHTTP_QUERY_CUSTOM, name, buffer.data(), &size,
                                    WINHTTP_NO_HEADER_INDEX)) {
                value.assign(buffer.data(), size / sizeof(wchar_t));
                return true;
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                return false;
            buffer.resize(size / sizeof(wchar_t) + 1);
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
        if (!WinHttpReadData(request, buffer, size, &got)) {
            error = m_handles.Aborted() ? kOperationCancelled : GetLastError();
            return false;
        }
        read = got;
        return true;
    }

    void Abort() override { m_handles.Abort(); }

private:
    // The address the answer came from, after any redirect WinHTTP followed; empty
    // when it cannot be read. Wine's WinHTTP knows no such option (it answers
    // ERROR_INVALID_PARAMETER); there the redirect policy, where it could be set on
    // the request, vouches that the scheme asked for is the scheme answered over.
    static std::wstring FinalUrl(HINTERNET request, bool policyHolds, const HttpTarget& target)
    {
        const std::wstring url = QueryGrowingText([request](wchar_t* buffer, DWORD& size) {
            return WinHttpQueryOption(request, WINHTTP_OPTION_URL, buffer, &size) != FALSE;
        });
        if (url.empty() && GetLastError() == ERROR_INVALID_PARAMETER && policyHolds)
            return (target.secure ? L"https://" : L"http://") + target.host + L"/" + target.path;
        return url;
    }

    std::optional<std::wstring> LocationHeader()
    {
        std::wstring location;
        return Header(L"Location", location) ? std::optional<std::wstring>(location) : std::nullopt;
    }

    const DWORD m_timeoutMs;
    DownloadProxy& m_proxy;
    ExchangeHandles<CloseWinHttpHandle> m_handles;
};

}  // namespace

std::unique_ptr<HttpSession> OpenWinHttpSession(unsigned long timeoutMs, DownloadProxy& proxy)
{
    return std::unique_ptr<HttpSession>(new (std::nothrow) WinHttpSession(timeoutMs, proxy));
}
