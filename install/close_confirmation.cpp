// The close and minimise buttons, and what a close request from the system does.
#include "lang/language.h"
#include "ui/main_dlg.h"

LRESULT CMainDlg::OnCloseButton(WORD, WORD, HWND, BOOL&)
{
    const std::wstring caption = LoadLangString(L"STR_SOFT_TIP");
    const std::wstring question = LoadLangString(L"STR_CLOSE_TIP");
    if (MessageBoxW(m_hWnd, question.c_str(), caption.c_str(), MB_YESNO) == IDYES)
        CloseAndQuit(1000);
    return 0;
}

LRESULT CMainDlg::OnMinimize(WORD, WORD, HWND, BOOL&)
{
    ShowWindow(m_hWnd, SW_MINIMIZE);
    return 0;
}

LRESULT CMainDlg::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    // While downloading, closing only hides the window: the installation goes on and
    // the window comes back when it finishes.
    if (m_state == STATE_DOWNLOADING) {
        ShowWindow(m_hWnd, SW_HIDE);
        return 0;
    }
    return OnCloseButton(0, IDC_BTN_CLOSE, nullptr, bHandled);
}
