// Paths taken apart and put together as text: the folder a path lies in, and a path
// typed relative to a folder made whole. No windows.h here.
#pragma once

#include <string>
#include <string_view>

// Splits `path` at its last backslash into the folder it lies in and its last name.
// A path directly below a root gets that root, with its backslash: "\Quorvex" gives
// "\", "C:\Quorvex" gives "C:\", "\\server\share\Quorvex" gives "\\server\share\".
// False for a path with no backslash or ending in one.
bool SplitFolderPath(std::wstring_view path, std::wstring& parent, std::wstring& name);

// Whether `path` names one place whatever the current folder and drive: "C:\x", or a
// share or "\\?\" path.
bool IsFullPath(std::wstring_view path);

// `path` read from the folder `base` (a full path) rather than from wherever the
// program stands now: a relative path is put below `base`, a path rooted without a
// drive ("\x") on `base`'s drive or share, a drive-relative one ("C:x") below `base`
// when it names `base`'s drive. A full path, an empty one and one relative to another
// drive come back unchanged. Nothing is folded ("." and ".." steps stay).
std::wstring AgainstFolder(std::wstring_view path, std::wstring_view base);
