// HttpSession over WinHTTP.
#include <windows.h>
#include <winhttp.h>

#include <memory>
#include <string>
#include <vector>

#include "download/http_backends.h"

namespace {

struct WinHttpHandleCloser {
    void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using UniqueWinHttpHandle = std::unique_ptr<void, WinHttpHandleCloser>;

bool Fail(HttpStep step, DWORD code, HttpStep& failedStep, unsigned long& error)
{
    failedStep = step;
    error = code;
    return false;
}

class WinHttpSession final : public HttpSession {
public:
    ~WinHttpSession() override { Close(); }

    bool Send(const HttpTarget& target, const wchar_t* verb, const std::wstring& header,
              bool raiseConnectionLimit, HttpStep& failedStep, unsigned long& error) override
    {
        Close();

        const DWORD access = ConnectionUsesProxy() ? WINHTTP_ACCESS_TYPE_DEFAULT_PROXY
                                                   : WINHTTP_ACCESS_TYPE_NO_PROXY;
        HINTERNET root = WinHttpOpen(nullptr, access, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        if (!root)
            return Fail(HttpStep::OpenRoot, GetLastError(), failedStep, error);
        m_root.reset(root);

        // WinHTTP reads port 0 as "the scheme's default" and would quietly go to 80 or
        // 443; a target with port 0 came from an address whose port made no sense.
        if (target.port == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return Fail(HttpStep::Connect, ERROR_INVALID_PARAMETER, failedStep, error);
        }
        HINTERNET connection = WinHttpConnect(m_root.get(), target.host.c_str(), target.port, 0);
        if (!connection)
            return Fail(HttpStep::Connect, GetLastError(), failedStep, error);
        m_connection.reset(connection);

        if (raiseConnectionLimit) {
            // WinHTTP keeps the limit on the session handle, not on the connection. A
            // refusal leaves the default, which is slower but still correct.
            DWORD limit = 50;
            WinHttpSetOption(m_root.get(), WINHTTP_OPTION_MAX_CONNS_PER_SERVER, &limit, sizeof(limit));
            WinHttpSetOption(m_root.get(), WINHTTP_OPTION_MAX_CONNS_PER_1_0_SERVER, &limit, sizeof(limit));
        }

        // HTTP/1.1 wants the origin form of the target, which starts with "/". REFRESH
        // keeps a caching proxy's stale copy from standing in for the file.
        const std::wstring object = L"/" + target.path;
        LPCWSTR accept[] = {L"*/*", nullptr};
        const DWORD flags = WINHTTP_FLAG_REFRESH | (target.secure ? WINHTTP_FLAG_SECURE : 0);
        HINTERNET request = WinHttpOpenRequest(m_connection.get(), verb, object.c_str(), L"HTTP/1.1",
                                               WINHTTP_NO_REFERER, accept, flags);
        if (!request)
            return Fail(HttpStep::OpenRequest, GetLastError(), failedStep, error);
        m_request.reset(request);

        if (!header.empty() &&
            !WinHttpAddRequestHeaders(m_request.get(), header.c_str(), static_cast<DWORD>(header.size()),
                                      WINHTTP_ADDREQ_FLAG_ADD))
            return Fail(HttpStep::AddHeader, GetLastError(), failedStep, error);

        if (!WinHttpSendRequest(m_request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                                0, 0))
            return Fail(HttpStep::Send, GetLastError(), failedStep, error);
        // WinHTTP reports refused certificates and dropped connections only here, so
        // for the caller they are failures to send.
        if (!WinHttpReceiveResponse(m_request.get(), nullptr))
            return Fail(HttpStep::Send, GetLastError(), failedStep, error);
        return true;
    }

    unsigned long StatusCode() override
    {
        if (!m_request)
            return 0;
        DWORD code = 0;
        DWORD size = sizeof(code);
        if (!WinHttpQueryHeaders(m_request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX))
            return 0;
        return code;
    }

    bool Header(const wchar_t* name, std::wstring& value) override
    {
        if (!m_request)
            return false;
        std::vector<wchar_t> buffer(64);
        for (int attempt = 0; attempt < 3; ++attempt) {
            DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
            if (WinHttpQueryHeaders(m_request.get(), WINHTTP_QUERY_CUSTOM, name, buffer.data(), &size,
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
        if (!m_request) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        DWORD got = 0;
        if (!WinHttpReadData(m_request.get(), buffer, size, &got)) {
            error = GetLastError();
            return false;
        }
        read = got;
        return true;
    }

private:
    // A request's handle belongs to its connection, and the connection's to the session.
    void Close()
    {
        m_request.reset();
        m_connection.reset();
        m_root.reset();
    }

    UniqueWinHttpHandle m_root;
    UniqueWinHttpHandle m_connection;
    UniqueWinHttpHandle m_request;
};

}  // namespace

std::unique_ptr<HttpSession> OpenWinHttpSession()
{
    return std::make_unique<WinHttpSession>();
}
