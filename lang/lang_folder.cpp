#include "lang/lang_folder.h"

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
