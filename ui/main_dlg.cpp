#include "ui/main_dlg.h"

#include <shlobj.h>

#include "app/app_module.h"
#include "app/shell_folder.h"
#include "install/install_folder.h"
#include "lang/language.h"

CMainDlg* g_pMainDlg = nullptr;

BOOL CMainDlg::PreTranslateMessage(MSG* pMsg)
{
    return IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CMainDlg::OnIdle()
{
    return FALSE;
}

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    SetWindowPos(m_hWnd, HWND_BOTTOM, 0, 0, kDialogWidth, kCollapsedHeight, SWP_NOZORDER);

    // With a minimise box the taskbar button minimises and restores the borderless window.
    const LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    if (!(style & WS_MINIMIZEBOX))
        SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | WS_MINIMIZEBOX);

    CenterOnWorkArea();
    SetIcons();

    if (CMessageLoop* loop = g_module.GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }

    g_pMainDlg = this;
    m_state = STATE_SETUP;

    PlaceControl(IDC_BTN_CLOSE, kCloseRect, true);
    PlaceControl(IDC_BTN_MINIMIZE, kMinimizeRect, true);
    PlaceControl(IDC_BTN_INSTALL, kInstallRect, true);
    PlaceControl(IDC_CHK_AGREE, kAgreeRect, true);
    PlaceControl(IDC_BTN_LICENCE, kLicenceRect, true);
    PlaceControl(IDC_BTN_CUSTOMIZE, kCustomizeRect, true);

    m_hAgreeText = GetDlgItem(m_hWnd, IDC_STATIC_AGREE);
    SetWindowTextW(m_hAgreeText, LoadLangString(L"STR_AGREE").c_str());
    PlaceControl(IDC_STATIC_AGREE, kAgreeTextRect, false);

    PlaceControl(IDC_BTN_BROWSE, kBrowseRect, true);
    PlaceControl(IDC_BTN_LAUNCH, kLaunchRect, false);
    PlaceControl(IDC_BTN_HIDE, kHideRect, false);
    PlaceControl(IDC_PROGRESS, kProgressRect, false);

    m_hPercentText = GetDlgItem(m_hWnd, IDC_STATIC_PERCENT);
    PlaceControl(IDC_STATIC_PERCENT, kPercentRect, false);

    g_strInstallPath = GetShellFolderPath(CSIDL_PROGRAM_FILESX86);
    ShowInstallPath();
    PlaceControl(IDC_EDIT_PATH, kPathEditRect, true);

    SetDlgItemTextW(m_hWnd, IDC_STATIC_PATH, LoadLangString(L"STR_INSTALL_PATH").c_str());
    PlaceControl(IDC_STATIC_PATH, PathLabelRect(GetUserDefaultUILanguage()), true);

    return TRUE;
}

LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (CMessageLoop* loop = g_module.GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
    return 0;
}

void CMainDlg::CloseAndQuit(int exitCode)
{
    DestroyWindow(m_hWnd);
    PostQuitMessage(exitCode);
}

void CMainDlg::ShowInstallPath()
{
    if (!SetDlgItemTextW(m_hWnd, IDC_EDIT_PATH, g_strInstallPath.c_str())) {
        MessageBeep(0xFFFFFFFF);
        SetFocus(GetDlgItem(m_hWnd, IDC_EDIT_PATH));
    }
}

void CMainDlg::CenterOnWorkArea()
{
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& work = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = work.left + (work.right - work.left - width) / 2;
    int y = work.top + (work.bottom - work.top - height) / 2;
    // Keep the whole window on the work area when it is larger than the window.
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainDlg::SetIcons()
{
    const HINSTANCE instance = g_module.GetResourceInstance();
    m_iconLarge.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APPICON), IMAGE_ICON,
        GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR)));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_iconLarge.get()));
    m_iconSmall.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APPICON), IMAGE_ICON,
        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_iconSmall.get()));
}

void CMainDlg::PlaceControl(int id, const ControlRect& rect, bool visible)
{
    const HWND control = GetDlgItem(m_hWnd, id);
    MoveWindow(control, rect.x, rect.y, rect.width, rect.height, TRUE);
    ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}
