#include "controls/owner_draw_button.h"

#include <utility>

#include "controls/owner_draw.h"

namespace {

// The hand cursor of all image buttons: loaded at the first need, tried only once.
HCURSOR HandCursor()
{
    static const HCURSOR cursor = LoadCursorW(nullptr, IDC_HAND);
    return cursor;
}

}  // namespace

void COwnerDrawButton::SetImages(HWND notify, ImageList images)
{
    m_hNotify = notify;
    m_images = std::move(images);
}

void COwnerDrawButton::OnClick()
{
    SendClick(m_hNotify, m_hWnd);
}

LRESULT COwnerDrawButton::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    m_rcItem = item.rcItem;
    DrawListEntry(item, m_images, m_drawState);
    DrawFocusCue(item);
    return TRUE;
}

LRESULT COwnerDrawButton::OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    MeasureByFont(m_hWnd, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return TRUE;
}

LRESULT COwnerDrawButton::OnCompareItem(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT COwnerDrawButton::OnDeleteItem(UINT, WPARAM, LPARAM, BOOL&)
{
    return TRUE;
}

LRESULT COwnerDrawButton::OnMouseMove(UINT, WPARAM, LPARAM, BOOL&)
{
    OnHover();
    if (m_drawState == DRAW_NORMAL) {
        m_drawState = DRAW_HOVER;
        // Polled rather than tracked: the timer finds the cursor gone.
        SetTimer(m_hWnd, IDT_HOVER, 20, nullptr);
        RepaintNow();
    }
    return 0;
}

LRESULT COwnerDrawButton::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&)
{
    m_drawState = DRAW_PRESSED;
    OnPress();
    RepaintNow();
    return 0;
}

LRESULT COwnerDrawButton::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&)
{
    m_drawState = DRAW_HOVER;
    OnClick();
    // The parent may have closed everything while handling the click.
    if (IsWindow(m_hWnd))
        RepaintNow();
    return 0;
}

LRESULT COwnerDrawButton::OnTimer(UINT, WPARAM, LPARAM, BOOL&)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(m_hWnd, &cursor);
    if (PtInRect(&m_rcItem, cursor))
        return 0;
    KillTimer(m_hWnd, IDT_HOVER);
    m_drawState = DRAW_NORMAL;
    OnLeave();
    RepaintNow();
    return 0;
}

LRESULT COwnerDrawButton::OnSetCursor(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (!SetCursorIfAny(HandCursor()))
        bHandled = FALSE;
    return TRUE;
}

LRESULT COwnerDrawButton::OnGetDlgCode(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return ButtonDialogCode(DefWindowProc(uMsg, wParam, lParam), lParam);
}

LRESULT COwnerDrawButton::OnKey(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const ButtonKey action = KeyAction(uMsg, wParam, lParam);
    if (action == ButtonKey::None) {
        bHandled = FALSE;
        return 0;
    }
    // A button its layout has hidden may still hold the focus; it must not act.
    if (!IsWindowVisible(m_hWnd))
        return 0;
    switch (action) {
    case ButtonKey::Press:
        m_spaceDown = true;
        m_drawState = DRAW_PRESSED;
        RepaintNow();
        break;
    case ButtonKey::Release:
        if (m_spaceDown)
            ClickByKeyboard();
        break;
    case ButtonKey::Click:
        ClickByKeyboard();
        break;
    case ButtonKey::None:
        break;
    }
    return 0;
}

LRESULT COwnerDrawButton::OnFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(uMsg, wParam, lParam);
    if (uMsg == WM_KILLFOCUS && m_spaceDown) {
        // Space let go elsewhere: no click, as with a press released off the button.
        m_spaceDown = false;
        m_drawState = DRAW_NORMAL;
    }
    RepaintNow();  // the focus cue comes or goes
    return result;
}

LRESULT COwnerDrawButton::OnUpdateUiState(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(uMsg, wParam, lParam);
    if (GetFocus() == m_hWnd)
        RepaintNow();  // the focus cue may have come or gone
    return result;
}

LRESULT COwnerDrawButton::OnGetObject(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const LRESULT answer = AnswerGetObject(m_hWnd, AccessibleKind::PushButton, wParam, lParam);
    bHandled = answer != 0;
    return answer;
}

void COwnerDrawButton::ClickByKeyboard()
{
    m_spaceDown = false;
    m_drawState = DRAW_NORMAL;
    OnClick();
    if (IsWindow(m_hWnd))
        RepaintNow();
}

void COwnerDrawButton::RepaintNow()
{
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}
