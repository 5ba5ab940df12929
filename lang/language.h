// The embedded English language file, where it is written at start-up, and the
// lookup of every text by key.
#pragma once

#include <string>

// Full path of the current language file; set once at start-up, read by every lookup.
extern std::wstring g_languageFilePath;
// Set at start-up when the language file could not be written where no other user
// can change it: every lookup then reads the program's embedded copy instead.
extern bool g_languageInMemory;

// Common application data folder + "\BrinmarkDown\" + the executable's base name.
std::wstring GetLanguageFolder();

// Writes the embedded English file into the data folder, replacing any earlier copy,
// where that folder and the maker's folder above it are the setup's own (made by it,
// for administrators only); elsewhere nothing is written and the texts come from memory.
void ExtractDefaultLanguageFile();

// Makes "English.ini" in the data folder the file every lookup reads.
void SelectLanguageFile();

// The value of `key` in section LANSTR of the current language file, read afresh at
// every call (at most 255 characters); empty when the file, section or key is missing.
// The texts that decide what is fetched, opened or started always come from the
// program's own copy.
std::wstring LoadLangString(const std::wstring& key);

// Writes `size` bytes to `path` as a new file for administrators only, put in place of
// whatever had that name (a link included, never what it points to). False when the
// path is too long for the platform or the file cannot be made or fully written.
bool WriteLanguageFile(const std::wstring& path, const void* bytes, unsigned long size);
