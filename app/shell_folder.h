#pragma once

#include <string>

// The file-system path of a shell special folder (a CSIDL value); empty on any failure.
std::wstring GetShellFolderPath(int csidl);
