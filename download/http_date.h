// HTTP dates (Date, Last-Modified, Retry-After), read as seconds since 1970.
// No windows.h here.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The three forms a server may send: "Sun, 06 Nov 1994 08:49:37 GMT" (the usual one),
// "Sunday, 06-Nov-94 08:49:37 GMT" and "Sun Nov  6 08:49:37 1994". Anything else, or a
// day or time out of range, is no date.
std::optional<std::int64_t> ParseHttpDate(std::wstring_view text);

// A header's value without the blanks and tabs around it.
std::wstring_view TrimBlanks(std::wstring_view text);
