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

// Whether `baseName` can name a data folder of its own: not empty, "." or "..", and not
// ending in a dot or a blank, which the file system drops (so "...exe" would name the
// folder above, and "setup .exe" the folder of "setup").
bool IsPlainFolderName(std::wstring_view baseName);

// Whether `key` names a text that decides what is fetched, opened or started (the
// download and licence addresses, and the names that make up the product's path):
// such texts always come from the program itself, never from a file on disk. Keys
// match without regard to case, as lookups do.
bool IsProgramOwnedKey(std::wstring_view key);

// `commonAppData` + "\BrinmarkDown\" + `baseName`, without a trailing backslash.
std::wstring ComposeLanguageFolder(std::wstring_view commonAppData, std::wstring_view baseName);

// `folder` + "\English.ini".
std::wstring ComposeLanguageFilePath(std::wstring_view folder);

// True when `path` leaves room for its terminator within kMaxPath characters.
bool FitsMaxPath(std::wstring_view path);
