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

void COwnerDrawButton::RepaintNow()
{
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}
