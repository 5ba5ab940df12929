#include "lang/language.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <sddl.h>

#include <memory>

#include "app/handles.h"
#include "app/number_text.h"
#include "app/own_folder.h"
#include "app/shell_folder.h"
#include "lang/ini_text.h"
#include "lang/lang_folder.h"
#include "res/resource.h"

std::wstring g_languageFilePath;
bool g_languageInMemory = false;

namespace {

// Only Administrators and SYSTEM may use the data folder and the language file:
// nothing unelevated needs them, and a reader could keep others from reading.
constexpr const wchar_t* kDataFolderSddl = kAdminsOnlySddl;

// The embedded English file's bytes; false when the resource cannot be had.
bool EmbeddedLanguageFile(const void*& bytes, DWORD& size)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_ENGLISH_INI), L"INI");
    if (!found)
        return false;
    size = SizeofResource(module, found);
    const HGLOBAL loaded = LoadResource(module, found);
    bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes != nullptr;
}

// Holds the maker's folder and the data folder below it, both the setup's own, for as
// long as `write` runs; false where either is someone else's or cannot be had.
template <class Write>
bool WithLanguageFolder(const std::wstring& folder, Write write)
{
    const auto slash = folder.rfind(L'\\');
    if (slash == std::wstring::npos)
        return false;
    OwnFolder maker, data;
    return HoldOwnFolder(folder.substr(0, slash), FolderKind::Data, maker) == OwnFolderOutcome::Held &&
           HoldOwnFolder(folder, FolderKind::Data, data) == OwnFolderOutcome::Held && write();
}

std::wstring ModuleBaseName()
{
    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    return ExecutableBaseName(PathFindFileNameW(modulePath));
}

std::wstring EmbeddedLookup(const std::wstring& key)
{
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!EmbeddedLanguageFile(bytes, size))
        return {};
    return LookupIniValue(DecodeUtf16Le(static_cast<const unsigned char*>(bytes), size), L"LANSTR", key);
}

}  // namespace

std::wstring GetLanguageFolder()
{
    return ComposeLanguageFolder(GetShellFolderPath(CSIDL_COMMON_APPDATA), ModuleBaseName());
}

bool WriteLanguageFile(const std::wstring& path, const void* bytes, unsigned long size)
{
    // A longer path would be cut by the C runtime and the profile reader alike and
    // could name another file; such a folder gets no language file at all.
    if (!FitsMaxPath(path))
        return false;
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kDataFolderSddl, SDDL_REVISION_1, &raw, nullptr))
        return false;
    const std::unique_ptr<void, decltype(&LocalFree)> descriptor(raw, &LocalFree);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), raw, FALSE};

    // Never written through what stands there: the new file is made under a name of
    // its own (no longer than "English.ini", so it fits wherever the file does) and
    // renamed over the old name, which replaces an earlier copy, or a link, or another
    // name for someone else's file, without touching what a link points to.
    const std::wstring ownName = L"~" + HexText(GetCurrentProcessId() & 0xFFFFFF, 6) + L".new";
    const std::wstring fresh = path.substr(0, path.rfind(L'\\') + 1) + ownName;
    {
        const UniqueHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || file.get() == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes, size, &written, nullptr) || written != size) {
            // Our own file, just made: deleting it touches nothing else.
            DeleteFileW(fresh.c_str());
            return false;
        }
    }
    if (!MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(fresh.c_str());
        return false;
    }
    return true;
}

void ExtractDefaultLanguageFile()
{
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!EmbeddedLanguageFile(bytes, size))
        return;

    // A name such as "...exe" or "setup .exe" would name a folder that is not one of
    // its own ("..", or the folder of "setup"): such a program writes nothing.
    if (!IsPlainFolderName(ModuleBaseName())) {
        g_languageInMemory = true;
        return;
    }
    const std::wstring folder = GetLanguageFolder();
    const std::wstring path = ComposeLanguageFilePath(folder);
    // A language file whose path is too long could not be read either: then nothing
    // is created, and every text is empty.
    if (!FitsMaxPath(path))
        return;
    // Where the folders are not the setup's own, nothing in them is written or read:
    // the texts come from the program's own copy instead.
    g_languageInMemory = !WithLanguageFolder(folder, [&] { return WriteLanguageFile(path, bytes, size); });
}

void SelectLanguageFile()
{
    g_languageFilePath = ComposeLanguageFilePath(GetLanguageFolder());
}

std::wstring LoadLangString(const std::wstring& key)
{
    // What is fetched, opened and started never depends on a file on disk.
    if (g_languageInMemory || IsProgramOwnedKey(key))
        return EmbeddedLookup(key);
    if (g_languageFilePath.empty() || !FitsMaxPath(g_languageFilePath))
        return {};
    wchar_t buffer[256] = {};
    const DWORD count = GetPrivateProfileStringW(L"LANSTR", key.c_str(), L"", buffer, 256,
                                                 g_languageFilePath.c_str());
    if (count == 0)
        return {};
    return buffer;
}
