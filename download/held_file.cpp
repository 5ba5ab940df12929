#include "download/held_file.h"

#include "app/own_folder.h"

#include <cstring>
#include <vector>

UniqueHandle HoldFile(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool RenameHeldFile(HANDLE file, const std::wstring& newPath)
{
    // The name follows the structure in the same block.
    const std::size_t nameBytes = newPath.size() * sizeof(wchar_t);
    std::vector<unsigned char> block(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(info->FileName, newPath.data(), nameBytes);
    return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(block.size())) != FALSE;
}

bool DeleteHeldFile(HANDLE file)
{
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = TRUE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof(info)) != FALSE;
}

DWORD CheckHeldFileIdentity(HANDLE file, const FileIdentity& made)
{
    FileIdentity identity{};
    if (!ReadFileIdentity(file, identity))
        return GetLastError();
    return identity == made ? ERROR_SUCCESS : ERROR_FILE_INVALID;
}
