// The texts of the fatal error boxes. No windows.h here.
#pragma once

#include <string>
#include <string_view>

#include "download/error_kinds.h"

// The language key of the words in front of the code: STR_SYSTEM_ERROR or
// STR_NETWORK_ERROR; empty for the address box, whose text is fixed.
const wchar_t* ErrorBoxPrefixKey(ErrorBox box);

// "error : URL, URL error" for the address box (in English whatever the language);
// otherwise `prefix` + " : " + the code as a signed decimal, so that an exit code
// such as 0xC0000005 reads as Windows writes it (-1073741819).
std::wstring ErrorBoxText(ErrorBox box, std::wstring_view prefix, unsigned long code);
