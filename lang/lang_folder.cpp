#include "lang/lang_folder.h"

#include <cwctype>

std::wstring ExecutableBaseName(std::wstring_view modulePath)
{
    const auto nameStart = modulePath.find_last_of(L"\\/:");
    std::wstring_view name =
        nameStart == std::wstring_view::npos ? modulePath : modulePath.substr(nameStart + 1);
    const auto dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos)
        name = name.substr(0, dot);
    return std::wstring(name);
}

std::wstring ComposeLanguageFolder(std::wstring_view commonAppData, std::wstring_view baseName)
{
    std::wstring folder(commonAppData);
    folder += L"\\BrinmarkDown\\";
    folder += baseName;
    return folder;
}

std::wstring ComposeLanguageFilePath(std::wstring_view folder)
{
    std::wstring path(folder);
    path += L"\\English.ini";
    return path;
}

bool FitsMaxPath(std::wstring_view path)
{
    return path.size() < kMaxPath;
}

bool IsPlainFolderName(std::wstring_view baseName)
{
    if (baseName.empty() || baseName == L"." || baseName == L"..")
        return false;
    const wchar_t last = baseName.back();
    return last != L'.' && last != L' ';
}

bool IsProgramOwnedKey(std::wstring_view key)
{
    static constexpr std::wstring_view kOwned[] = {L"STR_DOWN_URL", L"STR_LICENCE_URL", L"STR_COMPANY_NAME",
                                                   L"STR_PROJECT_NAME", L"STR_PROCESS_NAME"};
    for (const std::wstring_view owned : kOwned) {
        if (owned.size() != key.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; same && i < key.size(); ++i)
            same = std::towupper(key[i]) == static_cast<std::wint_t>(owned[i]);
        if (same)
            return true;
    }
    return false;
}
