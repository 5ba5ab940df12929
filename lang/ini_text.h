// Reading a value out of an INI text held in memory, the way the profile reader reads
// it from a file. No windows.h here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-16LE bytes as text; a leading byte-order mark is dropped.
std::wstring DecodeUtf16Le(const unsigned char* bytes, std::size_t size);

// The value of `key` in `section` of `text`: section and key names compared without
// regard to case, the first matching line taken, blanks around the value dropped and
// one pair of enclosing quotes removed, cut to `maxLength` characters. Empty when the
// section or key is missing.
std::wstring LookupIniValue(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                            std::size_t maxLength = 255);
