// Which proxy, if any, every request of a download goes through: the user's Internet
// options, read as Windows keeps them, and the one choice made from them for the
// download address. No windows.h here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The user's Internet options as far as they concern proxies.
struct ProxyOptions {
    bool autoDetect = false;    // "Automatically detect settings"
    std::wstring autoConfigUrl; // "Use automatic configuration script"; empty: none
    std::wstring proxy;         // the fixed proxy ("host:port", or "scheme=host:port;..."); empty: none
    std::wstring bypass;        // its exceptions, ";"-separated, "<local>" for names without a dot
};

// The options from the binary record Windows keeps them in
// (Connections\DefaultConnectionSettings); nothing when the record is too short or
// its lengths run past its end.
std::optional<ProxyOptions> ParseConnectionSettings(const std::vector<unsigned char>& record);

// Whether a script or automatic detection has to be asked before the choice.
bool NeedsProxyScript(const ProxyOptions& options);

// What a script or automatic detection answered for the download address.
struct ProxyScriptAnswer {
    unsigned long error = 0;  // 0: answered; else why not (12180 nothing detected, 12167 no script, ...)
    bool direct = false;      // the answer is "no proxy"
    std::wstring proxy;       // otherwise the proxies named, in order
    std::wstring bypass;
};

// Out of a proxy list ("host:port", "http=a:1;https=b:2", "a:1;b:2"), the first proxy
// for the scheme of a request (https when `secure`), as "host:port"; empty when the
// list names none for it.
std::wstring ProxyForScheme(std::wstring_view list, bool secure);

// Whether `host` (with `port`) is one of the exceptions of `bypass`.
bool BypassesProxy(std::wstring_view bypass, std::wstring_view host, std::uint16_t port);

// The proxy ("host:port") every request to `host`:`port` goes through, or empty for
// none. A script's or detection's answer wins; where it has none (nothing detected,
// the script could not be fetched or run, or it took too long), the fixed proxy if
// there is one, else none.
std::wstring ChooseProxy(const ProxyOptions& options, const std::optional<ProxyScriptAnswer>& script,
                         std::wstring_view host, std::uint16_t port, bool secure);
