#include "controls/select_state_button.h"

#include <utility>

#include "controls/owner_draw.h"

namespace {

// The two-state buttons' own hand cursor cache: loaded at the first need, tried once.
HCURSOR HandCursor()
{
    static const HCURSOR cursor = LoadCursorW(nullptr, IDC_HAND);
    return cursor;
}

}  // namespace

void CSelectStateButton::SetImages(HWND notify, ImageList images)
{
    m_images = std::move(images);
    if (notify)
        m_hNotify = notify;
}

int CSelectStateButton::IsSelected()
{
    CriticalSectionLock lock(m_lock);
    return m_selected;
}

LRESULT CSelectStateButton::OnSetCursor(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (!SetCursorIfAny(HandCursor()))
        bHandled = FALSE;
    return TRUE;
}

LRESULT CSelectStateButton::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&)
{
    // The flip counts on the press: a press released elsewhere still flips.
    const int wasSelected = IsSelected();
    {
        CriticalSectionLock lock(m_lock);
        m_selected = wasSelected ? 0 : 1;
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
    SendClick(m_hNotify, m_hWnd);
    return 0;
}

LRESULT CSelectStateButton::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    DrawListEntry(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), m_images, IsSelected());
    return TRUE;
}

LRESULT CSelectStateButton::OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    MeasureByFont(m_hWnd, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return TRUE;
}

LRESULT CSelectStateButton::OnDeleteItem(UINT, WPARAM, LPARAM, BOOL&)
{
    return TRUE;
}

LRESULT CSelectStateButton::OnCompareItem(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}
