#include "download/proxy_rules.h"

#include <cstddef>

#include "app/ascii.h"
#include "app/number_text.h"

namespace {

// Flags of the record's third field.
constexpr std::uint32_t kProxyTypeProxy = 0x2;
constexpr std::uint32_t kProxyTypeAutoProxyUrl = 0x4;
constexpr std::uint32_t kProxyTypeAutoDetect = 0x8;

class RecordReader {
public:
    explicit RecordReader(const std::vector<unsigned char>& record) : m_record(record) {}

    bool Number(std::uint32_t& value)
    {
        if (m_record.size() - m_at < 4)
            return false;
        value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | m_record[m_at + static_cast<std::size_t>(i)];
        m_at += 4;
        return true;
    }

    // A length, then that many bytes of text in the system's code page, of which the
    // options use only ASCII.
    bool Text(std::wstring& text)
    {
        std::uint32_t length = 0;
        if (!Number(length) || m_record.size() - m_at < length)
            return false;
        text.assign(m_record.begin() + static_cast<std::ptrdiff_t>(m_at),
                    m_record.begin() + static_cast<std::ptrdiff_t>(m_at + length));
        m_at += length;
        return true;
    }

private:
    const std::vector<unsigned char>& m_record;
    std::size_t m_at = 0;
};

bool IsSeparator(wchar_t c)
{
    return c == L';' || c == L' ' || c == L'\t' || c == L',';
}

// Calls `each` with every entry of a ";"- (or blank-) separated list.
template <class Each>
void ForEachEntry(std::wstring_view list, Each each)
{
    std::size_t at = 0;
    while (at < list.size()) {
        while (at < list.size() && IsSeparator(list[at]))
            ++at;
        std::size_t end = at;
        while (end < list.size() && !IsSeparator(list[end]))
            ++end;
        if (end > at && each(list.substr(at, end - at)))
            return;
        at = end;
    }
}

std::wstring Lower(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower)
        c = AsciiLower(c);
    return lower;
}

// `pattern` with "*" for any run of characters, against `text`; both lower case.
bool Matches(std::wstring_view pattern, std::wstring_view text)
{
    std::size_t p = 0, t = 0, star = std::wstring_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

std::wstring_view WithoutScheme(std::wstring_view entry)
{
    const std::size_t scheme = entry.find(L"://");
    return scheme == std::wstring_view::npos ? entry : entry.substr(scheme + 3);
}

}  // namespace

std::optional<ProxyOptions> ParseConnectionSettings(const std::vector<unsigned char>& record)
{
    RecordReader reader(record);
    std::uint32_t version = 0, counter = 0, flags = 0;
    ProxyOptions options;
    std::wstring proxy, bypass, url;
    if (!reader.Number(version) || !reader.Number(counter) || !reader.Number(flags) || !reader.Text(proxy) ||
        !reader.Text(bypass))
        return std::nullopt;
    // Records written before scripts existed end here.
    if (!reader.Text(url))
        url.clear();
    options.autoDetect = (flags & kProxyTypeAutoDetect) != 0;
    if (flags & kProxyTypeProxy) {
        options.proxy = proxy;
        options.bypass = bypass;
    }
    if (flags & kProxyTypeAutoProxyUrl)
        options.autoConfigUrl = url;
    return options;
}

bool NeedsProxyScript(const ProxyOptions& options)
{
    return options.autoDetect || !options.autoConfigUrl.empty();
}

std::wstring ProxyForScheme(std::wstring_view list, bool secure)
{
    const std::wstring_view wanted = secure ? L"https" : L"http";
    std::wstring found;
    ForEachEntry(list, [&](std::wstring_view entry) {
        const std::size_t equals = entry.find(L'=');
        if (equals != std::wstring_view::npos) {
            if (Lower(entry.substr(0, equals)) != wanted)
                return false;
            entry = entry.substr(equals + 1);
        }
        entry = WithoutScheme(entry);
        while (!entry.empty() && entry.back() == L'/')
            entry.remove_suffix(1);
        if (entry.empty())
            return false;
        found.assign(entry);
        return true;
    });
    return found;
}

bool BypassesProxy(std::wstring_view bypass, std::wstring_view host, std::uint16_t port)
{
    const std::wstring name = Lower(host);
    const std::wstring withPort = name + L":" + DecimalText(port);
    bool bypassed = false;
    ForEachEntry(bypass, [&](std::wstring_view entry) {
        const std::wstring pattern = Lower(WithoutScheme(entry));
        if (pattern == L"<local>")
            bypassed = name.find(L'.') == std::wstring::npos && name.find(L':') == std::wstring::npos;
        else
            bypassed = Matches(pattern, name) || Matches(pattern, withPort);
        return bypassed;
    });
    return bypassed;
}

std::wstring ChooseProxy(const ProxyOptions& options, const std::optional<ProxyScriptAnswer>& script,
                         std::wstring_view host, std::uint16_t port, bool secure)
{
    if (NeedsProxyScript(options) && script && script->error == 0) {
        if (script->direct || BypassesProxy(script->bypass, host, port))
            return {};
        return ProxyForScheme(script->proxy, secure);
    }
    if (options.proxy.empty() || BypassesProxy(options.bypass, host, port))
        return {};
    return ProxyForScheme(options.proxy, secure);
}
