// The embedded English language file, where it is written at start-up, and the
// lookup of every text by key.
#pragma once

#include <string>

// Full path of the current language file; set once at start-up, read by every lookup.
extern std::wstring g_languageFilePath;

// Common application data folder + "\BrinmarkDown\" + the executable's base name.
std::wstring GetLanguageFolder();

// Writes the embedded English file into the data folder, replacing any earlier copy.
void ExtractDefaultLanguageFile();

// Makes "English.ini" in the data folder the file every lookup reads.
void SelectLanguageFile();

// The value of `key` in section LANSTR of the current language file, read afresh at
// every call (at most 255 characters); empty when the file, section or key is missing.
std::wstring LoadLangString(const std::wstring& key);

// Writes `size` bytes to `path` (created or truncated). False when the path is too
// long for the platform or the file cannot be created or fully written.
bool WriteLanguageFile(const std::wstring& path, const void* bytes, unsigned long size);
