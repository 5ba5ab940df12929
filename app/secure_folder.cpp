#include "app/secure_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "app/handles.h"

namespace {

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};
using UniqueDescriptor = std::unique_ptr<void, LocalFreer>;

bool Fail(DWORD error)
{
    SetLastError(error);
    return false;
}

bool IsLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Gives an existing folder the descriptor's owner and access list, cutting off what
// the shared folder above would hand down.
bool ApplyDescriptor(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor)
{
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
        !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return false;
    const DWORD error = SetNamedSecurityInfoW(
        const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, owner,
        nullptr, dacl, nullptr);
    return error == ERROR_SUCCESS || Fail(error);
}

// Removes the link at `path` itself, never what it points to. False when it cannot,
// or when the handle does not show the link itself (Wine opens what a link points to
// even when asked for the link): then nothing is removed.
bool RemoveLink(const std::wstring& path)
{
    const HANDLE opened = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                      nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return false;
    const UniqueHandle link(opened);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(link.get(), &info))
        return false;
    if (!IsLink(info.dwFileAttributes))
        return Fail(ERROR_ACCESS_DENIED);
    FILE_DISPOSITION_INFO dispose{TRUE};
    return SetFileInformationByHandle(link.get(), FileDispositionInfo, &dispose, sizeof(dispose)) != FALSE;
}

}  // namespace

bool SecureFolder(const std::wstring& path, const wchar_t* sddl)
{
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &raw, nullptr))
        return false;
    const UniqueDescriptor descriptor(raw);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), raw, FALSE};

    // Another user may make or swap the folder between two looks: a few rounds, then
    // give up rather than trust what is there.
    for (int round = 0; round < 3; ++round) {
        const DWORD found = GetFileAttributesW(path.c_str());
        if (found == INVALID_FILE_ATTRIBUTES) {
            if (CreateDirectoryW(path.c_str(), &attributes))
                return true;
            if (GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return false;
        }
        if (IsLink(found)) {
            if (!RemoveLink(path))
                return false;
            continue;
        }
        if (!(found & FILE_ATTRIBUTE_DIRECTORY))
            return Fail(ERROR_DIRECTORY);
        if (!ApplyDescriptor(path, raw))
            return false;
        // Secured as it was seen: still no link.
        const DWORD now = GetFileAttributesW(path.c_str());
        if (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(now))
            return true;
    }
    return Fail(ERROR_ACCESS_DENIED);
}
