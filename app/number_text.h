// Numbers as text, written out here: the C library's formatted printing (behind
// swprintf and std::to_wstring alike) brings its floating-point conversion, some
// 20 KB, into a program that never prints a fraction. No windows.h here.
#pragma once

#include <cstdint>
#include <string>

// Decimal digits, with a minus sign for a negative value, at least `width` digits
// (zeros in front).
std::wstring DecimalText(std::int64_t value, int width = 1);

// Lower-case hexadecimal digits, at least `width` of them.
std::wstring HexText(std::uint64_t value, int width = 1);
