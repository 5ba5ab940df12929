#include "lang/language.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>

#include "app/handles.h"
#include "app/shell_folder.h"
#include "lang/lang_folder.h"
#include "res/resource.h"

std::wstring g_languageFilePath;

std::wstring GetLanguageFolder()
{
    const std::wstring commonAppData = GetShellFolderPath(CSIDL_COMMON_APPDATA);
    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    return ComposeLanguageFolder(commonAppData, ExecutableBaseName(PathFindFileNameW(modulePath)));
}

bool WriteLanguageFile(const std::wstring& path, const void* bytes, unsigned long size)
{
    // A longer path would be cut by the C runtime and the profile reader alike and
    // could name another file; such a folder gets no language file at all.
    if (!FitsMaxPath(path))
        return false;
    UniqueFile file(_wfopen(path.c_str(), L"wb"));
    if (!file)
        return false;
    const bool written = fwrite(bytes, 1, size, file.get()) == size;
    return fclose(file.release()) == 0 && written;
}

void ExtractDefaultLanguageFile()
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_ENGLISH_INI), L"INI");
    if (!found)
        return;
    const DWORD size = SizeofResource(module, found);
    const HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return;

    const std::wstring folder = GetLanguageFolder();
    const std::wstring path = ComposeLanguageFilePath(folder);
    // A language file whose path is too long could not be read either: then nothing
    // is created, and every text is empty.
    if (!FitsMaxPath(path))
        return;
    SHCreateDirectory(nullptr, folder.c_str());  // an existing folder is the normal case
    WriteLanguageFile(path, bytes, size);
}

void SelectLanguageFile()
{
    g_languageFilePath = ComposeLanguageFilePath(GetLanguageFolder());
}

std::wstring LoadLangString(const std::wstring& key)
{
    if (g_languageFilePath.empty() || !FitsMaxPath(g_languageFilePath))
        return {};
    wchar_t buffer[256] = {};
    const DWORD count = GetPrivateProfileStringW(L"LANSTR", key.c_str(), L"", buffer, 256,
                                                 g_languageFilePath.c_str());
    if (count == 0)
        return {};
    return buffer;
}
