#include "download/final_address.h"

#include "app/ascii.h"

namespace {

bool IsSchemeCharacter(wchar_t c, bool first)
{
    const wchar_t lower = AsciiLower(c);
    if (lower >= L'a' && lower <= L'z')
        return true;
    return !first && ((c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.');
}

// The length of the scheme an address starts with, or 0 when it names none: a scheme
// is a letter, then letters, digits, "+", "-" and ".", ended by ":".
std::wstring_view::size_type SchemeLength(std::wstring_view address)
{
    for (std::wstring_view::size_type i = 0; i < address.size(); ++i) {
        if (address[i] == L':')
            return i;
        if (!IsSchemeCharacter(address[i], i == 0))
            return 0;
    }
    return 0;
}

bool SchemeIsHttps(std::wstring_view address)
{
    constexpr std::wstring_view kHttps = L"https";
    const auto length = SchemeLength(address);
    if (length != kHttps.size())
        return false;
    for (std::wstring_view::size_type i = 0; i < length; ++i) {
        if (AsciiLower(address[i]) != kHttps[i])
            return false;
    }
    return true;
}

}  // namespace

bool RedirectLeavesHttps(unsigned long status, std::optional<std::wstring_view> location)
{
    const bool redirect = status >= 300 && status <= 399;
    return redirect && location && SchemeLength(*location) != 0 && !SchemeIsHttps(*location);
}

unsigned long FinalAddressError(bool requestedSecure, std::wstring_view finalUrl, unsigned long status,
                                std::optional<std::wstring_view> location)
{
    if (!requestedSecure)
        return 0;
    if (!SchemeIsHttps(finalUrl))
        return kHttpsToHttpRedirect;
    return RedirectLeavesHttps(status, location) ? kHttpsToHttpRedirect : 0;
}
