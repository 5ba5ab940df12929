#pragma once

#include <string>

// The folder the product is installed into: the default program-files folder at
// first, then whatever the user chose or typed.
extern std::wstring g_strInstallPath;
