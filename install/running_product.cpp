// Whether the product is running, and asking the user to close it.
#include <windows.h>
#include <tlhelp32.h>

#include "app/handles.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

namespace {

// Whole names, with the letters A to Z matched regardless of case and every other
// character exactly.
bool SameImageName(const wchar_t* a, const std::wstring& b)
{
    const auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    std::size_t i = 0;
    for (; a[i] != L'\0' && i < b.size(); ++i) {
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return a[i] == L'\0' && i == b.size();
}

bool ProductIsRunning(const std::wstring& imageName)
{
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        found = found || SameImageName(entry.szExeFile, imageName);
    return found;
}

}  // namespace

bool CMainDlg::CheckRunningProduct(const std::wstring& imageName)
{
    for (;;) {
        if (!ProductIsRunning(imageName))
            return true;
        const std::wstring caption = LoadLangString(L"STR_SOFT_TIP");
        if (MessageBoxW(m_hWnd, LoadLangString(L"STR_NOTICE_PROCESS1").c_str(), caption.c_str(), MB_RETRYCANCEL) !=
            IDRETRY)
            break;
        if (!ProductIsRunning(imageName))
            return true;
        if (MessageBoxW(m_hWnd, LoadLangString(L"STR_NOTICE_PROCESS2").c_str(), caption.c_str(), MB_RETRYCANCEL) !=
            IDRETRY)
            break;
    }
    CloseAndQuit(1000);
    return false;
}
