// What a failure reported by the engine (or the image loader) leads to.
#include "download/error_report.h"

#include <string>

#include "download/download_state.h"
#include "download/error_text.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

int g_errorShown = 0;

LRESULT CMainDlg::OnDownError(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    m_engine.OnError(static_cast<unsigned long>(wParam), static_cast<long>(lParam), g_useWinHttp);
    return 0;
}

void CMainDlg::ShowFatalError(ErrorBox box, unsigned long code)
{
    // Decided: from here nothing is started, even while the box waits for the user.
    m_starts.Close();
    const wchar_t* prefixKey = ErrorBoxPrefixKey(box);
    const std::wstring prefix = *prefixKey ? LoadLangString(prefixKey) : std::wstring();
    const std::wstring text = ErrorBoxText(box, prefix, code);
    MessageBoxW(m_hWnd, text.c_str(), LoadLangString(L"STR_ERROR").c_str(), MB_OK | MB_ICONINFORMATION);
    CloseAndQuit(1000);
}

void CMainDlg::SwitchToWinHttp()
{
    g_useWinHttp = true;
    CloseTempFile();
    BOOL handled = TRUE;
    OnInstall(0, IDC_BTN_INSTALL, nullptr, handled);
}
