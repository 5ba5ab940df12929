// The download address: how STR_DOWN_URL is split into host and path, and how the
// host text becomes a connection target. No windows.h here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "download/http_session.h"

enum class SplitResult {
    Split,     // host and path set
    NoScheme,  // neither "http://" nor "https://" in the address: host and path unchanged
    NoSlash,   // a scheme but no "/" after the host: host holds the rest, path unchanged
};

// Splits `url` the way the Install command does: if it contains "http://" anywhere the
// rest starts at character 7, else if it contains "https://" anywhere at character 8
// (a containment test, not a prefix test); host = rest up to its first "/", path =
// after it. `secure` is set (whenever a scheme is found) to whether the address
// really starts with "https://", so that a secure address is never fetched in clear.
SplitResult SplitDownloadUrl(std::wstring_view url, std::wstring& host, std::wstring& path, bool& secure);

// The connection target for a host text that may carry a port ("host:8443"); the
// default port is 443 when secure, else 80. A port that is not a number from 1 to
// 65535 gives port 0, which no connection accepts.
HttpTarget MakeHttpTarget(std::wstring_view hostText, std::wstring_view path, bool secure);

// "Range:bytes=<first>-<last>" (inclusive end, no blank after the colon).
std::wstring RangeHeader(std::uint32_t first, std::uint32_t last);
// The header lines of a range request: the range, "Accept-Encoding: identity" (a
// compressed answer would not be the bytes asked for) and, with a validator, If-Range.
std::wstring RangeRequestHeaders(std::uint32_t first, std::uint32_t last, const std::wstring& validator);
