// Hiding the window into a notification-area icon, and bringing it back.
#include <cwchar>

#include "lang/language.h"
#include "ui/screen_dpi.h"
#include "ui/main_dlg.h"

namespace {

// Copies as much of `text` as fits, always terminated: longer translations are cut.
template <std::size_t N>
void CopyCut(wchar_t (&field)[N], const std::wstring& text)
{
    const std::size_t count = text.size() < N - 1 ? text.size() : N - 1;
    std::wmemcpy(field, text.c_str(), count);
    field[count] = L'\0';
}

}  // namespace

void CMainDlg::PrepareTrayIcon()
{
    UniqueIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APPICON),
                                                 IMAGE_ICON, SystemMetricForDpi(SM_CXSMICON, m_dpi),
                                                 SystemMetricForDpi(SM_CYSMICON, m_dpi), LR_DEFAULTCOLOR)));
    m_nid = NOTIFYICONDATAW{};
    m_nid.cbSize = sizeof(m_nid);
    m_nid.hWnd = m_hWnd;
    m_nid.uID = 1;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    m_nid.uCallbackMessage = WM_TRAYICON;
    m_nid.hIcon = icon.get();
    const std::wstring project = LoadLangString(L"STR_PROJECT_NAME");
    CopyCut(m_nid.szTip, project + LoadLangString(L"STR_DOWNLOADING"));
    CopyCut(m_nid.szInfo, LoadLangString(L"STR_BEING_INSTALLED"));
    CopyCut(m_nid.szInfoTitle, project);
    // A shown icon is given the new one before the old one goes (a DPI change), without
    // its balloon coming up again.
    if (m_trayIconShown) {
        NOTIFYICONDATAW iconOnly = m_nid;
        iconOnly.uFlags = NIF_ICON;
        Shell_NotifyIconW(NIM_MODIFY, &iconOnly);
    }
    m_trayIcon = std::move(icon);
}

LRESULT CMainDlg::OnHide(WORD, WORD, HWND, BOOL&)
{
    ShowWindow(m_hWnd, SW_HIDE);
    Shell_NotifyIconW(NIM_ADD, &m_nid);
    m_trayIconShown = true;
    return 0;
}

LRESULT CMainDlg::OnTrayIcon(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (wParam == 1 && (lParam == WM_LBUTTONUP || lParam == WM_RBUTTONUP)) {
        ShowWindow(m_hWnd, SW_SHOWNORMAL);
        RemoveTrayIcon();
    }
    return 0;
}

void CMainDlg::RemoveTrayIcon()
{
    Shell_NotifyIconW(NIM_DELETE, &m_nid);
    m_trayIconShown = false;
}
