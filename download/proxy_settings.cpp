// Reads the Internet options of the desktop's user and asks WinHTTP to run their
// configuration script or automatic detection.
#include "download/proxy_settings.h"

#include <windows.h>
#include <winhttp.h>

#include <memory>
#include <new>
#include <vector>

#include "app/handles.h"
#include "app/number_text.h"
#include "download/proxy_rules.h"
#include "install/shell_token.h"

namespace {

constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The Internet settings key of the desktop's user. An elevated setup runs as whoever
// approved the elevation, who may be another account than the one at the desktop
// (a standard user typing an administrator's password); the options that count are
// the desktop user's. Where that user cannot be had, the setup's own.
UniqueRegKey OpenInternetSettings()
{
    HKEY root = HKEY_CURRENT_USER;
    UniqueRegKey userRoot;
    if (const UniqueHandle token = OpenDesktopUserToken(); token && SetThreadToken(nullptr, token.get())) {
        HKEY opened = nullptr;
        if (RegOpenCurrentUser(KEY_READ, &opened) == ERROR_SUCCESS) {
            userRoot.reset(opened);
            root = opened;
        }
        RevertToSelf();
    }
    HKEY settings = nullptr;
    if (RegOpenKeyExW(root, kInternetSettings, 0, KEY_READ, &settings) != ERROR_SUCCESS)
        return {};
    return UniqueRegKey(settings);
}

std::wstring ReadText(HKEY key, const wchar_t* name)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return {};
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return {};
    return std::wstring(text.data(), wcsnlen(text.data(), text.size()));
}

ProxyOptions ReadProxyOptions()
{
    const UniqueRegKey settings = OpenInternetSettings();
    if (!settings)
        return {};
    // The record is what Windows itself goes by; the separate values mirror it.
    HKEY connections = nullptr;
    if (RegOpenKeyExW(settings.get(), L"Connections", 0, KEY_READ, &connections) == ERROR_SUCCESS) {
        const UniqueRegKey held(connections);
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(connections, L"DefaultConnectionSettings", nullptr, &type, nullptr, &size) ==
                ERROR_SUCCESS &&
            type == REG_BINARY) {
            std::vector<unsigned char> record(size);
            if (RegQueryValueExW(connections, L"DefaultConnectionSettings", nullptr, &type, record.data(), &size) ==
                ERROR_SUCCESS) {
                record.resize(size);
                if (auto options = ParseConnectionSettings(record))
                    return *options;
            }
        }
    }
    ProxyOptions options;
    DWORD enabled = 0, size = sizeof(enabled), type = 0;
    if (RegQueryValueExW(settings.get(), L"ProxyEnable", nullptr, &type, reinterpret_cast<BYTE*>(&enabled),
                         &size) == ERROR_SUCCESS &&
        type == REG_DWORD && enabled != 0) {
        options.proxy = ReadText(settings.get(), L"ProxyServer");
        options.bypass = ReadText(settings.get(), L"ProxyOverride");
    }
    options.autoConfigUrl = ReadText(settings.get(), L"AutoConfigURL");
    // A profile whose options were never saved has automatic detection on.
    options.autoDetect = true;
    return options;
}

// One run of the script or the detection, shared by the thread that waits for it and
// the thread that runs it, so that either may finish last.
struct ScriptQuery {
    std::wstring url;
    bool detect = false;
    std::wstring scriptUrl;
    ProxyScriptAnswer answer;
};

DWORD WINAPI RunScriptQuery(void* argument)
{
    const std::unique_ptr<std::shared_ptr<ScriptQuery>> held(static_cast<std::shared_ptr<ScriptQuery>*>(argument));
    ScriptQuery& query = **held;
    HINTERNET session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) {
        query.answer.error = GetLastError();
        return 0;
    }
    const int timeout = static_cast<int>(kProxyScriptTimeoutMs);
    WinHttpSetTimeouts(session, timeout, timeout, timeout, timeout);
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (query.detect) {
        options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    if (!query.scriptUrl.empty()) {
        options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = query.scriptUrl.c_str();
    }
    // A script served behind the company's sign-on gets this process's credentials.
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info{};
    if (!WinHttpGetProxyForUrl(session, query.url.c_str(), &options, &info)) {
        query.answer.error = GetLastError();
    } else {
        query.answer.direct = info.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY || !info.lpszProxy;
        if (info.lpszProxy)
            query.answer.proxy = info.lpszProxy;
        if (info.lpszProxyBypass)
            query.answer.bypass = info.lpszProxyBypass;
        GlobalFree(info.lpszProxy);
        GlobalFree(info.lpszProxyBypass);
    }
    WinHttpCloseHandle(session);
    return 0;
}

// The script's or the detection's answer for `url`, or nothing when it takes longer
// than kProxyScriptTimeoutMs: the download does not wait on a network that never
// answers. The thread asking is then left to end by itself.
std::optional<ProxyScriptAnswer> AskProxyScript(const ProxyOptions& options, const std::wstring& url)
{
    auto query = std::make_shared<ScriptQuery>();
    query->url = url;
    query->detect = options.autoDetect;
    query->scriptUrl = options.autoConfigUrl;
    auto* shared = new (std::nothrow) std::shared_ptr<ScriptQuery>(query);
    if (!shared)
        return std::nullopt;
    const UniqueHandle thread(CreateThread(nullptr, 0, RunScriptQuery, shared, 0, nullptr));
    if (!thread) {
        delete shared;
        return std::nullopt;
    }
    if (WaitForSingleObject(thread.get(), kProxyScriptTimeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    return query->answer;
}

std::wstring DecideProxy(const HttpTarget& target)
{
    const ProxyOptions options = ReadProxyOptions();
    std::optional<ProxyScriptAnswer> answer;
    if (NeedsProxyScript(options)) {
        const std::wstring url = (target.secure ? L"https://" : L"http://") + target.host + L":" +
                                 DecimalText(target.port) + L"/" + target.path;
        answer = AskProxyScript(options, url);
    }
    return ChooseProxy(options, answer, target.host, target.port, target.secure);
}

}  // namespace

std::wstring DownloadProxy::For(const HttpTarget& target)
{
    // Reading the options takes a few milliseconds and a script or a detection up to
    // seconds: the size probe decides, and the 40 ranges after it find the answer.
    const std::wstring key = (target.secure ? L"https://" : L"http://") + target.host + L":" +
                             DecimalText(target.port);
    CriticalSectionLock hold(m_decisionLock);
    if (m_decidedFor != key) {
        m_proxy = DecideProxy(target);
        m_decidedFor = key;
    }
    return m_proxy;
}

std::optional<ProxyCredentials> DownloadProxy::Credentials()
{
    CriticalSectionLock hold(m_credentialsLock);
    return m_credentials;
}

void DownloadProxy::StoreCredentials(ProxyCredentials credentials)
{
    CriticalSectionLock hold(m_credentialsLock);
    m_credentials = std::move(credentials);
}
