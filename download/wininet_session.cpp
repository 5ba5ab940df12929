// HttpSession over WinINet.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "download/http_backends.h"

namespace {

struct InternetHandleCloser {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using UniqueInternetHandle = std::unique_ptr<void, InternetHandleCloser>;

bool Fail(HttpStep step, DWORD code, HttpStep& failedStep, unsigned long& error)
{
    failedStep = step;
    error = code;
    return false;
}

class WinInetSession final : public HttpSession {
public:
    ~WinInetSession() override { Close(); }

    bool Send(const HttpTarget& target, const wchar_t* verb, const std::wstring& header,
              bool raiseConnectionLimit, HttpStep& failedStep, unsigned long& error) override
    {
        Close();

        // Without a proxy, automatic proxy discovery would only cost time (WPAD lookups)
        // before every one of the 40 requests.
        const DWORD access = ConnectionUsesProxy() ? INTERNET_OPEN_TYPE_PRECONFIG
                                                   : INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY;
        HINTERNET root = InternetOpenW(L"", access, nullptr, nullptr, 0);
        if (!root)
            return Fail(HttpStep::OpenRoot, GetLastError(), failedStep, error);
        m_root.reset(root);

        // WinINet reads port 0 as "the service's default" and would quietly go to 80 or
        // 443; a target with port 0 came from an address whose port made no sense.
        if (target.port == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return Fail(HttpStep::Connect, ERROR_INVALID_PARAMETER, failedStep, error);
        }
        HINTERNET connection = InternetConnectW(m_root.get(), target.host.c_str(), target.port, nullptr,
                                                nullptr, INTERNET_SERVICE_HTTP, 0, 0);
        if (!connection)
            return Fail(HttpStep::Connect, GetLastError(), failedStep, error);
        m_connection.reset(connection);

        if (raiseConnectionLimit) {
            // WinINet mostly keeps these per process (RaiseProcessConnectionLimit) and may
            // refuse them on a connection handle; a refusal leaves the process-wide value.
            DWORD limit = 50;
            InternetSetOptionW(m_connection.get(), INTERNET_OPTION_MAX_CONNS_PER_SERVER, &limit, sizeof(limit));
            InternetSetOptionW(m_connection.get(), INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &limit,
                               sizeof(limit));
        }

        // HTTP/1.1 wants the origin form of the target, which starts with "/". RELOAD
        // keeps a stale cached copy (or a caching proxy's) from standing in for the file.
        const std::wstring object = L"/" + target.path;
        LPCWSTR accept[] = {L"*/*", nullptr};
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS |
                            (target.secure ? INTERNET_FLAG_SECURE : 0);
        HINTERNET request = HttpOpenRequestW(m_connection.get(), verb, object.c_str(), L"HTTP/1.1", nullptr,
                                             accept, flags, 0);
        if (!request)
            return Fail(HttpStep::OpenRequest, GetLastError(), failedStep, error);
        m_request.reset(request);

        if (!header.empty() &&
            !HttpAddRequestHeadersW(m_request.get(), header.c_str(), static_cast<DWORD>(header.size()),
                                    HTTP_ADDREQ_FLAG_ADD))
            return Fail(HttpStep::AddHeader, GetLastError(), failedStep, error);

        if (!HttpSendRequestW(m_request.get(), nullptr, 0, nullptr, 0))
            return Fail(HttpStep::Send, GetLastError(), failedStep, error);
        return true;
    }

    unsigned long StatusCode() override
    {
        if (!m_request)
            return 0;
        DWORD code = 0;
        DWORD size = sizeof(code);
        if (!HttpQueryInfoW(m_request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size,
                            nullptr))
            return 0;
        return code;
    }

    bool Header(const wchar_t* name, std::wstring& value) override
    {
        if (!m_request)
            return false;
        // HTTP_QUERY_CUSTOM takes the header's name in the buffer the value comes back
        // in, so the name goes in again whenever the buffer has to grow.
        const std::size_t nameLength = std::wcslen(name);
        std::vector<wchar_t> buffer(nameLength + 64);
        for (int attempt = 0; attempt < 3; ++attempt) {
            std::wmemcpy(buffer.data(), name, nameLength + 1);
            DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
            if (HttpQueryInfoW(m_request.get(), HTTP_QUERY_CUSTOM, buffer.data(), &size, nullptr)) {
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
        if (!m_request) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        DWORD got = 0;
        if (!InternetReadFile(m_request.get(), buffer, size, &got)) {
            error = GetLastError();
            return false;
        }
        read = got;
        return true;
    }

private:
    // A request's handle belongs to its connection, and the connection's to the root.
    void Close()
    {
        m_request.reset();
        m_connection.reset();
        m_root.reset();
    }

    UniqueInternetHandle m_root;
    UniqueInternetHandle m_connection;
    UniqueInternetHandle m_request;
};

}  // namespace

std::unique_ptr<HttpSession> OpenWinInetSession()
{
    return std::make_unique<WinInetSession>();
}

bool ConnectionUsesProxy()
{
    // The flags are filled in even when the call reports no connection.
    DWORD flags = 0;
    InternetGetConnectedState(&flags, 0);
    return (flags & INTERNET_CONNECTION_PROXY) != 0;
}
