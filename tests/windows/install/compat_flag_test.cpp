#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "install/compat_flag.h"

namespace {

constexpr wchar_t kPersistedKey[] =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

bool KeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPersistedKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

class CompatFlagTest : public testing::Test {
protected:
    void SetUp() override { RegDeleteKeyW(HKEY_CURRENT_USER, kPersistedKey); }
    void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, kPersistedKey); }
};

TEST_F(CompatFlagTest, MissingKeyIsNeverCreated)
{
    EXPECT_FALSE(SetCompatibilityFlag());
    EXPECT_FALSE(KeyExists());
}

TEST_F(CompatFlagTest, WritesDwordOneNamedByTheExecutablePathOverAnyEarlierValue)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kPersistedKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const DWORD stale = 7;
    RegSetValueExW(key, ModulePath().c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stale),
                   sizeof(stale));

    EXPECT_TRUE(SetCompatibilityFlag());

    DWORD type = 0, value = 0, size = sizeof(value);
    ASSERT_EQ(RegQueryValueExW(key, ModulePath().c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                               &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(value, 1u);
    RegCloseKey(key);
}

}  // namespace
