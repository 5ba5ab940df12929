#pragma once

// Case folding of the ASCII letters alone, for names Windows compares that way
// (URL schemes, folder paths held to the Windows folder), whatever the locale.
inline wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
