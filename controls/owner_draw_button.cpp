#include "controls/owner_draw_button.h"

void COwnerDrawButton::OnClick()
{
    SendClickToParent();
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
    if (PtInRect(&DrawnRect(), cursor))
        return 0;
    KillTimer(m_hWnd, IDT_HOVER);
    m_drawState = DRAW_NORMAL;
    OnLeave();
    RepaintNow();
    return 0;
}

void COwnerDrawButton::OnButtonKey(ButtonKey action)
{
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
}

void COwnerDrawButton::OnFocusLost()
{
    if (m_spaceDown) {
        // Space let go elsewhere: no click, as with a press released off the button.
        m_spaceDown = false;
        m_drawState = DRAW_NORMAL;
    }
}

void COwnerDrawButton::ClickByKeyboard()
{
    m_spaceDown = false;
    m_drawState = DRAW_NORMAL;
    OnClick();
    if (IsWindow(m_hWnd))
        RepaintNow();
}
