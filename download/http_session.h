// One HTTP exchange over WinINet or WinHTTP, behind one small interface so that the
// two (whose headers cannot meet in one file) are interchangeable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Where a request goes: the host text split into name and port, TLS or not.
struct HttpTarget {
    std::wstring host;       // name or address, without a port
    std::uint16_t port = 0;  // 443 for https, 80 for http unless the address names one
    bool secure = false;     // TLS with full certificate validation
    std::wstring path;       // without its leading "/"
};

// Which step of Send failed.
enum class HttpStep { OpenRoot, Connect, OpenRequest, AddHeader, Send };

class HttpSession {
public:
    virtual ~HttpSession() = default;

    // Opens the root handle (through the download's proxy, if any), connects, raises the
    // per-server connection limit when asked, opens the request with `verb` and the
    // cache-bypassing flags, adds `header` (a "Name:value" line) unless empty, and
    // sends it (WinHTTP also receives the response), answering a proxy's 407 once with
    // the credentials the user gave (or, for Negotiate and NTLM, the process's own);
    // a 407 still standing is the answer the caller sees. On failure: false, with the step
    // and the thread's last error code right after the failing call.
    virtual bool Send(const HttpTarget& target, const wchar_t* verb, const std::wstring& header,
                      bool raiseConnectionLimit, HttpStep& failedStep, unsigned long& error) = 0;

    // The response's status code; 0 when it cannot be read.
    virtual unsigned long StatusCode() = 0;
    // A response header's raw text (e.g. L"Content-Length", L"Content-Range");
    // false when the response has none.
    virtual bool Header(const wchar_t* name, std::wstring& value) = 0;
    // Reads up to `size` bytes; `read` is 0 at the end of the body. False (with the
    // last error) when the read fails.
    virtual bool Read(void* buffer, unsigned long size, unsigned long& read, unsigned long& error) = 0;

    // From another thread: closes the handles so that a Send or Read blocked on them
    // returns (with a failure), and makes every later call fail. The session is still
    // destroyed by its owner.
    virtual void Abort() = 0;
};

// A session over WinHTTP when `useWinHttp`, else over WinINet, whose connect, send
// and receive each give up after `timeoutMs` (a stalled server is then a failure like
// any other), through the proxy `proxy` decides (which must outlive the session). The
// handles are closed (request, connection, root) when the session goes. Null when
// there is no memory for it.
class DownloadProxy;
std::unique_ptr<HttpSession> OpenHttpSession(bool useWinHttp, unsigned long timeoutMs, DownloadProxy& proxy);

// WinINet limits connections per server for the whole process (2 or 6 by default);
// called once, before the first worker starts, so that 40 ranges really run at once.
void RaiseProcessConnectionLimit();
