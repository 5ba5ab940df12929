// What a failure reported by the engine (or the image loader) leads to.
#include "download/error_report.h"

#include <string>

#include "lang/language.h"
#include "ui/main_dlg.h"

int g_errorShown = 0;

LRESULT CMainDlg::OnDownError(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (g_errorShown > 0)
        return 0;
    if (lParam == DOWN_ERR_URL) {
        ShowFatalError(L"error : URL, URL error");
    } else if (lParam == DOWN_ERR_SYSTEM) {
        ShowFatalError(LoadLangString(L"STR_SYSTEM_ERROR") + L" : " +
                       std::to_wstring(static_cast<int>(static_cast<DWORD>(wParam))));
    } else if (lParam == DOWN_ERR_SIZE_PROBE || (lParam >= 0 && lParam < SEGMENT_COUNT)) {
        // A network failure ends the run for now; retrying comes with the retry rules.
        ShowFatalError(LoadLangString(L"STR_NETWORK_ERROR") + L" : " +
                       std::to_wstring(static_cast<int>(static_cast<DWORD>(wParam))));
    }
    return 0;
}

void CMainDlg::ShowFatalError(const std::wstring& text)
{
    // Set before the box: its own message loop keeps handling later reports.
    g_errorShown = 1;
    MessageBoxW(m_hWnd, text.c_str(), LoadLangString(L"STR_ERROR").c_str(), MB_OK | MB_ICONINFORMATION);
    CloseAndQuit(1000);
}
