// What the engine accepts from the server before it stores or trusts anything.
// No windows.h here.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The installer's size from the probe's answer: a status from 200 to 299 and a
// content length that is a plain decimal number from 1 to 2^31 - 1. Anything else
// (an error page, a missing, empty or non-numeric length, 0, 2^31 or more) is no size.
std::optional<std::uint32_t> ProbeSize(unsigned long status, std::optional<std::wstring_view> contentLength);

// Whether a segment's answer may be stored, and how many bytes of it: status 206 and
// a Content-Range of the form "bytes <first>-<last>/<complete>" whose first byte is
// exactly `first`, whose last byte is at most `last`, and whose complete length is
// `totalSize`. The result is the span it announces; nothing past it is ever stored.
std::optional<std::uint32_t> AcceptedRangeLength(unsigned long status, std::optional<std::wstring_view> contentRange,
                                                 std::uint32_t first, std::uint32_t last, std::uint32_t totalSize);
