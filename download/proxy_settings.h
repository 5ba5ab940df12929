// The proxy of a download, as the desktop's user has set it in the Internet options,
// decided once and given to both HTTP interfaces; and the proxy credentials the user
// typed, kept in memory only.
#pragma once

#include <optional>
#include <string>

#include "download/http_session.h"

// How long a configuration script or automatic detection may take before the choice
// falls back to the fixed proxy (or none).
inline constexpr unsigned long kProxyScriptTimeoutMs = 5000;

// The proxy ("host:port") every request to `target` goes through, or empty for none.
// The first request to a target decides (reading the options and, where they ask for
// it, running the script or the detection); every later one gets that answer at once.
std::wstring DownloadProxy(const HttpTarget& target);

struct ProxyCredentials {
    std::wstring user;
    std::wstring password;
};
// What the user typed for the proxy; nothing until then. Read from any thread.
std::optional<ProxyCredentials> StoredProxyCredentials();
void StoreProxyCredentials(ProxyCredentials credentials);
