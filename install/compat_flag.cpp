#include "install/compat_flag.h"

#include <windows.h>

#include "app/handles.h"

namespace {

constexpr wchar_t kPersistedKey[] =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";

}  // namespace

bool SetCompatibilityFlag()
{
    HKEY rawKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPersistedKey, 0, KEY_READ | KEY_WRITE, &rawKey) != ERROR_SUCCESS)
        return false;
    UniqueRegKey key(rawKey);

    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    const DWORD one = 1;
    return RegSetValueExW(key.get(), modulePath, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                          sizeof(one)) == ERROR_SUCCESS;
}
