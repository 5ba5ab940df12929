// One release across all ranges: the probe's validator goes into If-Range on every
// range request, and a whole-file answer to it means the file has changed on the
// server. No windows.h here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// What the range requests carry in If-Range: the probe's ETag when it is a strong one
// (a weak "W/" one may stand for bytes that differ), else its Last-Modified when that
// lies at least a second before the answer's Date (a file changed within the second it
// was measured in may have the same date). Empty when there is no such validator: the
// ranges then go without one.
std::wstring IfRangeValidator(std::optional<std::wstring_view> etag, std::optional<std::wstring_view> lastModified,
                              std::optional<std::wstring_view> date);

// Whether a whole-file answer (200) to a range request that carried `validator` says
// the file changed: yes unless the answer names that very validator (its ETag, or its
// Last-Modified for a date), in which case the server merely ignored the range.
bool ReleaseChanged(const std::wstring& validator, std::optional<std::wstring_view> etag,
                    std::optional<std::wstring_view> lastModified);
