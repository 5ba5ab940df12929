#include "app/secure_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>

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
            // Removes the link itself, never what it points to.
            if (!RemoveDirectoryW(path.c_str()))
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
