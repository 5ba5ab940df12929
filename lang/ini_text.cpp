#include "lang/ini_text.h"

#include <cwctype>

namespace {

std::wstring_view Trim(std::wstring_view text)
{
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    }
    return true;
}

}  // namespace

std::wstring DecodeUtf16Le(const unsigned char* bytes, std::size_t size)
{
    std::wstring text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    if (!text.empty() && text.front() == 0xFEFF)
        text.erase(0, 1);
    return text;
}

std::wstring LookupIniValue(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                            std::size_t maxLength)
{
    bool inSection = false;
    while (!text.empty()) {
        const auto end = text.find(L'\n');
        const std::wstring_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == L';')
            continue;
        if (line.front() == L'[') {
            const auto close = line.find(L']');
            inSection = close != std::wstring_view::npos && SameName(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        const auto equals = line.find(L'=');
        if (!inSection || equals == std::wstring_view::npos || !SameName(Trim(line.substr(0, equals)), key))
            continue;
        std::wstring_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::wstring(value.substr(0, maxLength));
    }
    return {};
}
