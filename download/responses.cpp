#include "download/responses.h"

#include <cwctype>
#include <limits>

namespace {

constexpr std::uint64_t kMaxProbeSize = 0x7FFFFFFF;
// Larger than any number the engine compares against; reading stops there so that a
// long run of digits cannot wrap around into a plausible value.
constexpr std::uint64_t kNumberCeiling = std::numeric_limits<std::uint32_t>::max() + std::uint64_t{1};

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Reads the digits at the front of `text` (at least one), removing them; values at
// or above the ceiling come back as the ceiling.
std::optional<std::uint64_t> TakeNumber(std::wstring_view& text)
{
    std::size_t count = 0;
    std::uint64_t value = 0;
    while (count < text.size() && IsDigit(text[count])) {
        value = value * 10 + static_cast<std::uint64_t>(text[count] - L'0');
        if (value > kNumberCeiling)
            value = kNumberCeiling;
        ++count;
    }
    if (count == 0)
        return std::nullopt;
    text.remove_prefix(count);
    return value;
}

bool TakeChar(std::wstring_view& text, wchar_t c)
{
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

bool TakeUnitNoCase(std::wstring_view& text)
{
    constexpr std::wstring_view unit = L"bytes";
    if (text.size() < unit.size())
        return false;
    for (std::size_t i = 0; i < unit.size(); ++i) {
        if (std::towlower(text[i]) != std::towlower(unit[i]))
            return false;
    }
    text.remove_prefix(unit.size());
    return true;
}

bool TakeBlanks(std::wstring_view& text)
{
    std::size_t count = 0;
    while (count < text.size() && (text[count] == L' ' || text[count] == L'\t'))
        ++count;
    text.remove_prefix(count);
    return count > 0;
}

struct ContentRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::uint64_t complete = 0;
};

// "bytes <first>-<last>/<complete>" and nothing else; "*" for an unknown complete
// length is refused because the segment could not be checked against the probe.
std::optional<ContentRange> ParseContentRange(std::wstring_view text)
{
    if (!TakeUnitNoCase(text) || !TakeBlanks(text))
        return std::nullopt;
    const auto first = TakeNumber(text);
    if (!first || !TakeChar(text, L'-'))
        return std::nullopt;
    const auto last = TakeNumber(text);
    if (!last || !TakeChar(text, L'/'))
        return std::nullopt;
    const auto complete = TakeNumber(text);
    if (!complete || !text.empty())
        return std::nullopt;
    return ContentRange{*first, *last, *complete};
}

}  // namespace

std::optional<std::uint32_t> ProbeSize(unsigned long status, std::optional<std::wstring_view> contentLength)
{
    if (status < 200 || status > 299 || !contentLength)
        return std::nullopt;
    std::wstring_view text = *contentLength;
    const auto size = TakeNumber(text);
    if (!size || !text.empty() || *size == 0 || *size > kMaxProbeSize)
        return std::nullopt;
    return static_cast<std::uint32_t>(*size);
}

std::optional<std::uint32_t> AcceptedRangeLength(unsigned long status, std::optional<std::wstring_view> contentRange,
                                                 std::uint32_t first, std::uint32_t last, std::uint32_t totalSize)
{
    if (status != 206 || !contentRange)
        return std::nullopt;
    const auto range = ParseContentRange(*contentRange);
    if (!range || range->last < range->first || range->first != first || range->last > last ||
        range->complete != totalSize)
        return std::nullopt;
    return static_cast<std::uint32_t>(range->last - range->first + 1);
}
