// The descriptors the shared folders are given, as Windows reads them, and how a
// folder is made. Wine keeps but does not enforce access lists, and makes some up on
// read-back, so what is checked here is the descriptor itself.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/handles.h"
#include "app/secure_folder.h"

namespace {

struct Ace {
    WELL_KNOWN_SID_TYPE who;
    ACCESS_MASK rights;
};

// The owner and the allowed entries of `sddl`, each checked for inheritance by
// folders and files; fails the test where the descriptor is not so.
void ExpectDescriptor(const wchar_t* sddl, const std::vector<Ace>& expected)
{
    PSECURITY_DESCRIPTOR raw = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &raw, nullptr)) << sddl;
    const std::unique_ptr<void, decltype(&LocalFree)> descriptor(raw, &LocalFree);

    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(raw, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing is inherited from the shared folder above";

    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(raw, &owner, &defaulted));
    EXPECT_TRUE(IsWellKnownSid(owner, WinBuiltinAdministratorsSid));

    PACL dacl = nullptr;
    BOOL present = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorDacl(raw, &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    ASSERT_EQ(dacl->AceCount, expected.size());
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, &entry));
        const auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE) << i;
        EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << i;
        EXPECT_EQ(ace->Mask, expected[i].rights) << i;
        EXPECT_TRUE(IsWellKnownSid(const_cast<DWORD*>(&ace->SidStart), expected[i].who)) << i;
    }
}

TEST(SecureFolderTest, TheWorkingFolderIsForAdministratorsAndSystemOnly)
{
    ExpectDescriptor(kAdminsOnlySddl, {{WinLocalSystemSid, FILE_ALL_ACCESS}, {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS}});
}

TEST(SecureFolderTest, TheDataFolderIsReadableByUsers)
{
    ExpectDescriptor(kAdminsUsersReadSddl, {{WinLocalSystemSid, FILE_ALL_ACCESS},
                                            {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
                                            {WinBuiltinUsersSid, FILE_GENERIC_READ}});
}

TEST(SecureFolderTest, AMissingFolderIsMadeAndAFileInItsPlaceIsRefused)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"secure-folder-" + std::to_wstring(GetCurrentProcessId());
    EXPECT_TRUE(SecureFolder(folder, kAdminsOnlySddl));
    EXPECT_TRUE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(SecureFolder(folder, kAdminsOnlySddl)) << "an existing folder is taken over";
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));

    CloseHandle(CreateFileW(folder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_FALSE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(SecureFolder(folder, kAdminsOnlySddl));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_TRUE(DeleteFileW(folder.c_str()));
}

}  // namespace
