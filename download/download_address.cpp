#include "download/download_address.h"

#include <cwctype>

#include "app/number_text.h"

namespace {

constexpr std::wstring_view kPlainScheme = L"http://";
constexpr std::wstring_view kSecureScheme = L"https://";

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::towlower(text[i]) != std::towlower(prefix[i]))
            return false;
    }
    return true;
}

// Where the host starts, or npos without a scheme. The language file has always been
// read this way, so an address that merely mentions a scheme further on is cut the
// same way; only `secure` looks at the real start.
std::size_t HostStart(std::wstring_view url)
{
    if (url.find(kPlainScheme) != std::wstring_view::npos)
        return kPlainScheme.size();
    if (url.find(kSecureScheme) != std::wstring_view::npos)
        return kSecureScheme.size();
    return std::wstring_view::npos;
}

// 1 to 65535, digits only; anything else is 0 so that the connection is refused
// rather than sent to a port the address never named.
std::uint16_t ParsePort(std::wstring_view text)
{
    const auto port = text.size() <= 5 ? DecimalValue(text, 65536) : std::nullopt;
    if (!port || *port == 0 || *port > 65535)
        return 0;
    return static_cast<std::uint16_t>(*port);
}

std::uint16_t DefaultPort(bool secure)
{
    return secure ? 443 : 80;
}

// "[address]" or "[address]:port": the brackets only protect the colons inside.
void SplitBracketedHost(std::wstring_view hostText, HttpTarget& target)
{
    const auto close = hostText.find(L']');
    if (close == std::wstring_view::npos) {
        target.host = std::wstring(hostText);
        target.port = 0;
        return;
    }
    target.host = std::wstring(hostText.substr(1, close - 1));
    const std::wstring_view after = hostText.substr(close + 1);
    if (after.empty())
        return;
    target.port = after.front() == L':' ? ParsePort(after.substr(1)) : 0;
}

void SplitPlainHost(std::wstring_view hostText, HttpTarget& target)
{
    const auto colon = hostText.find(L':');
    if (colon == std::wstring_view::npos) {
        target.host = std::wstring(hostText);
        return;
    }
    target.host = std::wstring(hostText.substr(0, colon));
    target.port = ParsePort(hostText.substr(colon + 1));
}

}  // namespace

SplitResult SplitDownloadUrl(std::wstring_view url, std::wstring& host, std::wstring& path, bool& secure)
{
    const std::size_t start = HostStart(url);
    if (start == std::wstring_view::npos)
        return SplitResult::NoScheme;
    secure = StartsWithNoCase(url, kSecureScheme);
    const std::wstring_view rest = url.substr(start);
    const auto slash = rest.find(L'/');
    if (slash == std::wstring_view::npos) {
        host = std::wstring(rest);
        return SplitResult::NoSlash;
    }
    host = std::wstring(rest.substr(0, slash));
    path = std::wstring(rest.substr(slash + 1));
    return SplitResult::Split;
}

HttpTarget MakeHttpTarget(std::wstring_view hostText, std::wstring_view path, bool secure)
{
    HttpTarget target;
    target.secure = secure;
    target.path = std::wstring(path);
    target.port = DefaultPort(secure);
    if (!hostText.empty() && hostText.front() == L'[')
        SplitBracketedHost(hostText, target);
    else
        SplitPlainHost(hostText, target);
    return target;
}

std::wstring RangeHeader(std::uint32_t first, std::uint32_t last)
{
    std::wstring header = L"Range:bytes=";
    header += DecimalText(first);
    header += L'-';
    header += DecimalText(last);
    return header;
}

std::wstring RangeRequestHeaders(std::uint32_t first, std::uint32_t last, const std::wstring& validator)
{
    std::wstring headers = RangeHeader(first, last) + L"\r\nAccept-Encoding: identity";
    if (!validator.empty())
        headers += L"\r\nIf-Range: " + validator;
    return headers;
}
