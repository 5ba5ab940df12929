// The proxy of a download, as the desktop's user has set it in the Internet options,
// decided once and given to both HTTP interfaces; and the proxy credentials the user
// typed, kept in memory only.
#pragma once

#include <optional>
#include <string>

#include "app/handles.h"
#include "download/http_session.h"

// How long a configuration script or automatic detection may take before the choice
// falls back to the fixed proxy (or none).
inline constexpr unsigned long kProxyScriptTimeoutMs = 5000;

struct ProxyCredentials {
    std::wstring user;
    std::wstring password;
};

// The proxy of one download and what the user typed for it: the first request decides
// (reading the options and, where they ask for it, running the script or the
// detection) and every later one, on either interface, gets that answer at once. The
// dialog owns one for its download; any thread may ask it.
class DownloadProxy {
public:
    // The proxy ("host:port") every request to `target` goes through, or empty for none.
    std::wstring For(const HttpTarget& target);

    // What the user typed for the proxy, kept in memory only; nothing until then.
    std::optional<ProxyCredentials> Credentials();
    void StoreCredentials(ProxyCredentials credentials);

private:
    CriticalSection m_decisionLock;  // held while deciding, which may take seconds
    std::wstring m_decidedFor;
    std::wstring m_proxy;
    CriticalSection m_credentialsLock;
    std::optional<ProxyCredentials> m_credentials;
};
