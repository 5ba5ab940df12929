// The Install button: the checks, the switch to the progress layout, and the start of
// the download.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "app/shell_folder.h"
#include "download/download_address.h"
#include "download/download_state.h"
#include "lang/language.h"
#include "ui/main_dlg.h"

LRESULT CMainDlg::OnInstall(WORD, WORD, HWND, BOOL&)
{
    const std::wstring caption = LoadLangString(L"STR_SOFT_TIP");
    if (!m_chkAgree.IsSelected()) {
        // Besides the box, the red reminder under the checkbox says what is missing
        // until the box is ticked.
        ShowWindow(m_hAgreeText, SW_SHOW);
        MessageBoxW(m_hWnd, LoadLangString(L"STR_AGREE_INSTALL").c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    if (!CheckRunningProduct(LoadLangString(L"STR_PROCESS_NAME")))
        return 0;

    if (SplitDownloadUrl(LoadLangString(L"STR_DOWN_URL"), g_downHost, g_downPath, g_downSecure) ==
        SplitResult::NoSlash) {
        MessageBoxW(m_hWnd, LoadLangString(L"STR_URL_ERROR").c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
        return 0;
    }

    EnterDownloadingLayout();
    ResolveInstallPath();
    g_downloadBase = GetShellFolderPath(CSIDL_COMMON_DOCUMENTS);
    StartSizeProbe();
    return 0;
}

void CMainDlg::EnterDownloadingLayout()
{
    m_state = STATE_DOWNLOADING;
    SetTimer(m_hWnd, IDT_BANNER, 5000, nullptr);
    SizeWindow();
    for (const int id : {IDC_BTN_CLOSE, IDC_BTN_MINIMIZE, IDC_BTN_INSTALL, IDC_CHK_AGREE, IDC_BTN_LICENCE,
                         IDC_BTN_CUSTOMIZE, IDC_STATIC_AGREE})
        ShowWindow(GetDlgItem(m_hWnd, id), SW_HIDE);
    ShowWindow(m_progress.m_hWnd, SW_SHOW);
    SendMessageW(m_progress.m_hWnd, PBM_SETRANGE32, 0, 100);
    SendMessageW(m_progress.m_hWnd, PBM_SETPOS, 0, 0);
    SetWindowTextW(m_hPercentText, L"0% ");
    ShowWindow(m_hPercentText, SW_SHOW);
    // Beside the percentage, so that the window can be put away into the
    // notification area while the download runs.
    ShowWindow(m_btnHide.m_hWnd, SW_SHOW);
    // The custom area lies outside the window from here on, and Install is gone.
    EnableCustomArea(false);
    MoveFocusTo(IDC_BTN_HIDE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}
