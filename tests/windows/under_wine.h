// Whether the tests run under Wine, for the few checks where Wine shows less than
// Windows (each names the difference where it is checked).
#pragma once

#include <windows.h>

inline bool UnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}
