// Numbers as text, written and read here: the C library's formatted printing (behind
// swprintf and std::to_wstring alike) brings its floating-point conversion, some
// 20 KB, into a program that never prints a fraction. No windows.h here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Decimal digits, with a minus sign for a negative value, at least `width` digits
// (zeros in front).
std::wstring DecimalText(std::int64_t value, int width = 1);

// Lower-case hexadecimal digits, at least `width` of them.
std::wstring HexText(std::uint64_t value, int width = 1);

// The value of a text of decimal digits and nothing else (no sign, no blank), or
// nothing; a value above `ceiling` comes back as `ceiling` (which must stay below
// 2^60), so that a long run of digits cannot wrap around into a plausible one.
std::optional<std::uint64_t> DecimalValue(std::wstring_view text, std::uint64_t ceiling);
