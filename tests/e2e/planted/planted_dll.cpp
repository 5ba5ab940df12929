// A DLL someone else dropped beside the installer, built for the end-to-end tests under
// the names of DLLs the installer or Windows might look for. It exports nothing and
// does nothing but tell that it was loaded: C:\planted-loads\<its file name> appears.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    CreateDirectoryW(L"C:\\planted-loads", nullptr);
    const HANDLE marker = CreateFileW((L"C:\\planted-loads\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE)
        CloseHandle(marker);
    return TRUE;
}
