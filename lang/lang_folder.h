// Composition of the language file's folder and path. No windows.h here: the
// rules are unit-tested natively.
#pragma once

#include <string>
#include <string_view>

// Longest path, terminator included, that the file and profile functions accept
// without the "\\?\" prefix.
inline constexpr std::size_t kMaxPath = 260;

// The file name of `modulePath` without its extension: the text after the last
// "\", "/" or ":" up to (not including) its last ".". A name without "." is kept whole.
std::wstring ExecutableBaseName(std::wstring_view modulePath);

// `commonAppData` + "\BrinmarkDown\" + `baseName`, without a trailing backslash.
std::wstring ComposeLanguageFolder(std::wstring_view commonAppData, std::wstring_view baseName);

// `folder` + "\English.ini".
std::wstring ComposeLanguageFilePath(std::wstring_view folder);

// True when `path` leaves room for its terminator within kMaxPath characters.
bool FitsMaxPath(std::wstring_view path);
