#include "app/number_text.h"

#include <algorithm>

namespace {

std::wstring Digits(std::uint64_t value, unsigned base, int width)
{
    std::wstring reversed;
    do {
        reversed += L"0123456789abcdef"[value % base];
        value /= base;
    } while (value != 0);
    if (static_cast<int>(reversed.size()) < width)
        reversed.append(width - reversed.size(), L'0');
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

}  // namespace

std::wstring DecimalText(std::int64_t value, int width)
{
    // The magnitude in unsigned arithmetic, where the most negative value has one too.
    const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : value;
    return (value < 0 ? L"-" : L"") + Digits(magnitude, 10, width);
}

std::wstring HexText(std::uint64_t value, int width)
{
    return Digits(value, 16, width);
}

std::optional<std::uint64_t> DecimalValue(std::wstring_view text, std::uint64_t ceiling)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = std::min(value * 10 + static_cast<std::uint64_t>(c - L'0'), ceiling);
    }
    return value;
}
