#include "ui/main_dlg.h"

#include <shlobj.h>

#include <utility>

#include "app/app_module.h"
#include "app/memory_barrier.h"
#include "app/shell_folder.h"
#include "download/http_timeout.h"
#include "install/install_folder.h"
#include "lang/language.h"
#include "ui/screen_dpi.h"

CMainDlg* g_pMainDlg = nullptr;

CMainDlg::~CMainDlg()
{
    // Normally done by CloseAndQuit already; here for any other way out of the loop.
    m_starts.Close();
    m_workers.Stop(INFINITE);
    SetOutOfMemoryReport(nullptr, 0, 0, 0);
    g_pMainDlg = nullptr;
}

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
    SetOutOfMemoryReport(m_hWnd, WM_DOWN_ERROR, ERROR_NOT_ENOUGH_MEMORY, DOWN_ERR_SYSTEM, &m_starts);
    // The dialog manager would scale the window on a move to a monitor of another
    // density its own way; the program lays it out for each DPI itself.
    LeaveDpiChangesToProgram(m_hWnd);
    m_dpi = WindowDpi(m_hWnd);
    SetWindowPos(m_hWnd, HWND_BOTTOM, 0, 0, Scaled(kDialogWidth), Scaled(kCollapsedHeight), SWP_NOZORDER);

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

    m_notifyWindow = m_hWnd;
    g_pMainDlg = this;
    m_state = STATE_SETUP;

    // A missing picture ends the set-up where it happens: the window still shows, with
    // the rest of its controls as the template made them.
    if (!LoadDialogImages() || !SetUpControls())
        return FALSE;

    g_strInstallPath = GetShellFolderPath(CSIDL_PROGRAM_FILESX86);
    ShowInstallPath();
    PlaceControl(IDC_EDIT_PATH, true);

    SetDlgItemTextW(m_hWnd, IDC_STATIC_PATH, LoadLangString(L"STR_INSTALL_PATH").c_str());
    PlaceControl(IDC_STATIC_PATH, true);
    ApplyFont();
    PrepareTrayIcon();

    ArrangeTabOrder();
    EnableCustomArea(false);
    HideFocusCuesUntilKeyboardUse();
    // Install first: Enter alone starts the installation once the licence is accepted.
    // False keeps the dialog manager from moving the focus to the first control.
    SetFocus(m_btnInstall.m_hWnd);
    return FALSE;
}

bool CMainDlg::LoadDialogImages()
{
    if (!LoadSkinImage(213, m_imgLogo) || !LoadSkinImage(214, m_imgProduct) ||
        !LoadSkinImage(207, m_imgPathFrame))
        return false;
    for (const WORD id : {353, 363, 373}) {
        SkinPicture banner;
        if (!LoadSkinImage(id, banner))
            return false;
        m_banners.push_back(std::move(banner));
    }
    m_curBanner = &m_banners.front();
    return true;
}

bool CMainDlg::LoadSkinImage(WORD id, SkinPicture& slot)
{
    DWORD error = 0;
    if (LoadPngImage(id, L"PNG", slot.normal, error) &&
        (LoadPngImage(static_cast<WORD>(id + kDenseSkinIdOffset), L"PNG", slot.dense, error) || error == 0))
        return true;
    // A picture that is not there is no failure to report; the set-up just ends.
    if (error != 0)
        PostMessageW(m_hWnd, WM_DOWN_ERROR, error, DOWN_ERR_SYSTEM);
    return false;
}

bool CMainDlg::SkinButton(CSkinnedButton& button, int id, const wchar_t* name, std::initializer_list<WORD> imageIds,
                          std::initializer_list<int> order, bool visible)
{
    std::vector<SkinPicture> pictures(imageIds.size());
    auto picture = pictures.begin();
    for (const WORD imageId : imageIds) {
        if (!LoadSkinImage(imageId, *picture))
            return false;
        ++picture;
    }
    ButtonFaces faces{&button, {}, {}};
    for (const int index : order) {
        faces.normal.push_back(pictures[index].ForScale(1));
        faces.dense.push_back(pictures[index].ForScale(2));
    }
    for (SkinPicture& each : pictures) {
        m_controlImages.push_back(std::move(each.normal));
        m_controlImages.push_back(std::move(each.dense));
    }
    button.SetImages(m_hWnd, SkinScaleFor(m_dpi) > 1 ? faces.dense : faces.normal);
    m_buttonFaces.push_back(std::move(faces));
    button.SubclassWindow(GetDlgItem(m_hWnd, id));
    // Owner-drawn, the button never shows its text; the accessibility interface reads it.
    SetDlgItemTextW(m_hWnd, id, name);
    PlaceControl(id, visible);
    return true;
}

bool CMainDlg::SetUpControls()
{
    // Each button's name is the words on its picture, which are English whatever the
    // language file says.
    if (!SkinButton(m_btnClose, IDC_BTN_CLOSE, L"Close", {239, 240}, {0, 1, 0}, true) ||
        !SkinButton(m_btnMinimize, IDC_BTN_MINIMIZE, L"Minimize", {243, 244}, {0, 1, 0}, true) ||
        !SkinButton(m_btnInstall, IDC_BTN_INSTALL, L"Install", {333, 343, 323}, {0, 1, 2}, true) ||
        !SkinButton(m_chkAgree, IDC_CHK_AGREE, L"I have read and agree to the Brinmark License Agreement",
                    {215, 202}, {0, 1}, true) ||
        // Two copies of one picture: the sentence looks the same in both states.
        !SkinButton(m_btnLicence, IDC_BTN_LICENCE, L"Brinmark License Agreement", {383, 383}, {0, 1}, true) ||
        !SkinButton(m_btnCustomize, IDC_BTN_CUSTOMIZE, L"Customize Installation", {283, 293}, {0, 1}, true))
        return false;

    m_hAgreeText = GetDlgItem(m_hWnd, IDC_STATIC_AGREE);
    SetWindowTextW(m_hAgreeText, LoadLangString(L"STR_AGREE").c_str());
    PlaceControl(IDC_STATIC_AGREE, false);

    if (!SkinButton(m_btnBrowse, IDC_BTN_BROWSE, L"Browse...", {263, 273}, {0, 1, 0}, true) ||
        !SkinButton(m_btnLaunch, IDC_BTN_LAUNCH, L"Start Now", {403, 413, 393}, {0, 1, 2}, false) ||
        !SkinButton(m_btnHide, IDC_BTN_HIDE, L"Hide", {303, 313}, {0, 1, 0}, false))
        return false;

    m_progress.SubclassWindow(GetDlgItem(m_hWnd, IDC_PROGRESS));
    PlaceControl(IDC_PROGRESS, false);
    RoundProgressCorners();

    m_hPercentText = GetDlgItem(m_hWnd, IDC_STATIC_PERCENT);
    PlaceControl(IDC_STATIC_PERCENT, false);
    return true;
}

void CMainDlg::RoundProgressCorners()
{
    RECT bar{};
    GetClientRect(m_progress.m_hWnd, &bar);
    const int corner = Scaled(3);
    // The bar's window owns the region from here on.
    SetWindowRgn(m_progress.m_hWnd, CreateRoundRectRgn(bar.left, bar.top, bar.right, bar.bottom, corner, corner),
                 TRUE);
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
    // A program that is ending starts nothing more.
    m_starts.Close();
    m_imgLogo = {};
    m_imgProduct = {};
    m_imgPathFrame = {};
    m_curBanner = nullptr;
    m_banners.clear();
    // An icon left in the notification area would outlive the program until the mouse
    // passes over it.
    if (m_trayIconShown)
        RemoveTrayIcon();
    DestroyWindow(m_hWnd);
    // The controls are gone with the window, and their pictures with them.
    m_buttonFaces.clear();
    m_controlImages.clear();
    // The workers fill the segment buffers and post to this dialog, so they end before
    // either goes. Aborted requests return at once; the time-outs bound the rest.
    if (!m_workers.Stop(kHttpTimeoutMs + 5000)) {
        // A call the platform does not give back: end here, before anything it uses
        // could be freed under it.
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    }
    DiscardTempFile();
    RemoveWorkingFolder();
    PostQuitMessage(exitCode);
}

void CMainDlg::ShowInstallPath()
{
    if (!m_editPath.m_hWnd)
        m_editPath.SubclassWindow(GetDlgItem(m_hWnd, IDC_EDIT_PATH));
    if (!SetDlgItemTextW(m_hWnd, IDC_EDIT_PATH, g_strInstallPath.c_str())) {
        MessageBeep(0xFFFFFFFF);
        SetFocus(GetDlgItem(m_hWnd, IDC_EDIT_PATH));
    }
}

LRESULT CMainDlg::OnDownFinished(UINT, WPARAM, LPARAM, BOOL&)
{
    m_state = STATE_FINISHED;
    KillTimer(m_hWnd, IDT_BANNER);
    for (const int id : {IDC_PROGRESS, IDC_BTN_HIDE, IDC_STATIC_PERCENT})
        ShowWindow(GetDlgItem(m_hWnd, id), SW_HIDE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
    for (const int id : {IDC_BTN_LAUNCH, IDC_BTN_CLOSE, IDC_BTN_MINIMIZE})
        ShowWindow(GetDlgItem(m_hWnd, id), SW_SHOW);
    if (!IsWindowVisible(m_hWnd)) {
        ShowWindow(m_hWnd, SW_SHOW);
        RemoveTrayIcon();
    }
    // The window paints its new layout before the focus moves: a button that repaints
    // itself as it loses the focus would otherwise be painted over by the background.
    UpdateWindow(m_hWnd);
    MoveFocusTo(IDC_BTN_LAUNCH);
    return 0;
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
    // The icon holds a drawing for each common size; Windows picks the one for the DPI.
    const HINSTANCE instance = g_module.GetResourceInstance();
    UniqueIcon large(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APPICON), IMAGE_ICON,
        SystemMetricForDpi(SM_CXICON, m_dpi), SystemMetricForDpi(SM_CYICON, m_dpi), LR_DEFAULTCOLOR)));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large.get()));
    UniqueIcon small(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APPICON), IMAGE_ICON,
        SystemMetricForDpi(SM_CXSMICON, m_dpi), SystemMetricForDpi(SM_CYSMICON, m_dpi), LR_DEFAULTCOLOR)));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    // The window has let go of the old ones now.
    m_iconLarge = std::move(large);
    m_iconSmall = std::move(small);
}

void CMainDlg::PlaceControl(int id, bool visible)
{
    const HWND control = GetDlgItem(m_hWnd, id);
    const ControlRect rect = ScaleToDpi(ControlPlace(id, GetUserDefaultUILanguage()), m_dpi);
    MoveWindow(control, rect.x, rect.y, rect.width, rect.height, TRUE);
    ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}
