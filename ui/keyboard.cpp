// The keyboard's way through the window: Tab and Shift+Tab walk the controls of the
// current layout in the order they read in, the focus follows a layout change, and
// Escape does what the close button does.
#include "ui/main_dlg.h"

void CMainDlg::ArrangeTabOrder()
{
    // The dialog manager walks the controls in their z-order, which the template gives;
    // put them in reading order instead.
    std::vector<PlacedControl> stops;
    for (const PlacedControl& control : DialogControls(GetUserDefaultUILanguage())) {
        if (GetWindowLongPtrW(GetDlgItem(m_hWnd, control.id), GWL_STYLE) & WS_TABSTOP)
            stops.push_back(control);
    }
    const std::vector<int> order = ReadingOrder(std::move(stops));
    HWND previous = HWND_TOP;
    const auto placeNext = [&](int id) {
        const HWND control = GetDlgItem(m_hWnd, id);
        SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = control;
    };
    for (const int id : order) {
        // A field is named by the label just before it, as a template would place it.
        if (id == IDC_EDIT_PATH)
            placeNext(IDC_STATIC_PATH);
        placeNext(id);
    }
}

void CMainDlg::HideFocusCuesUntilKeyboardUse()
{
    // The system's rule: focus cues show once the keyboard moves the focus, unless the
    // user asked to see them always. Said outright, since not every system starts a
    // window in that state.
    BOOL alwaysShown = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &alwaysShown, 0);
    SendMessageW(m_hWnd, WM_CHANGEUISTATE, MAKEWPARAM(alwaysShown ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS), 0);
}

void CMainDlg::EnableCustomArea(bool open)
{
    // While the area is closed its controls stay visible below the window's edge,
    // where no mouse reaches them. Disabled, neither Tab nor a screen reader's default
    // action reaches them there either.
    for (const int id : {IDC_EDIT_PATH, IDC_BTN_BROWSE})
        EnableWindow(GetDlgItem(m_hWnd, id), open);
}

void CMainDlg::MoveFocusTo(int id)
{
    // Only while this window is the active one: giving the focus to a control of an
    // inactive window would activate it. (Where the focus is just now says little: as
    // a layout hides the control that had it, the dialog manager hands it on.)
    if (GetActiveWindow() != m_hWnd)
        return;
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hWnd, id)), TRUE);
}

LRESULT CMainDlg::OnEscape(WORD, WORD, HWND, BOOL& bHandled)
{
    // While downloading there is no close button, and Escape does nothing.
    if (IsWindowVisible(m_btnClose.m_hWnd))
        return OnCloseButton(0, IDC_BTN_CLOSE, m_btnClose.m_hWnd, bHandled);
    return 0;
}
