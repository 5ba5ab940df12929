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
    Flip();
    return 0;
}

void CSelectStateButton::Flip()
{
    const int wasSelected = IsSelected();
    {
        CriticalSectionLock lock(m_lock);
        m_selected = wasSelected ? 0 : 1;
    }
    RepaintNow();
    SendClick(m_hNotify, m_hWnd);
}

void CSelectStateButton::RepaintNow()
{
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}

LRESULT CSelectStateButton::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    DrawListEntry(item, m_images, IsSelected());
    DrawFocusCue(item);
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

LRESULT CSelectStateButton::OnGetDlgCode(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return ButtonDialogCode(DefWindowProc(uMsg, wParam, lParam), lParam);
}

LRESULT CSelectStateButton::OnKey(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const ButtonKey action = KeyAction(uMsg, wParam, lParam);
    if (action == ButtonKey::None) {
        bHandled = FALSE;
        return 0;
    }
    // Like the mouse, the key flips on the press; a button its layout has hidden may
    // still hold the focus and must not flip.
    if ((action == ButtonKey::Press || action == ButtonKey::Click) && IsWindowVisible(m_hWnd))
        Flip();
    return 0;
}

LRESULT CSelectStateButton::OnFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(uMsg, wParam, lParam);
    RepaintNow();  // the focus cue comes or goes
    return result;
}

LRESULT CSelectStateButton::OnUpdateUiState(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(uMsg, wParam, lParam);
    if (GetFocus() == m_hWnd)
        RepaintNow();  // the focus cue may have come or gone
    return result;
}

LRESULT CSelectStateButton::OnGetCheck(UINT, WPARAM, LPARAM, BOOL&)
{
    // The standard button knows nothing of the flag; this is how others ask for it.
    return IsSelected() ? BST_CHECKED : BST_UNCHECKED;
}

LRESULT CSelectStateButton::OnGetObject(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const LRESULT answer = AnswerGetObject(m_hWnd, m_kind, wParam, lParam);
    bHandled = answer != 0;
    return answer;
}
