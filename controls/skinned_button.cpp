#include "controls/skinned_button.h"

#include <utility>

namespace {

// The hand cursor of all skinned buttons: loaded at the first need, tried only once.
HCURSOR HandCursor()
{
    static const HCURSOR cursor = LoadCursorW(nullptr, IDC_HAND);
    return cursor;
}

}  // namespace

void CSkinnedButton::SetImages(HWND notify, ImageList images)
{
    m_images = std::move(images);
    if (notify || m_nullNotify == NullNotify::Clears)
        m_hNotify = notify;
}

void CSkinnedButton::SendClickToParent()
{
    SendClick(m_hNotify, m_hWnd);
}

void CSkinnedButton::RepaintNow()
{
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}

LRESULT CSkinnedButton::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    m_rcItem = item.rcItem;
    DrawListEntry(item, m_images, ImageIndex());
    DrawFocusCue(item);
    return TRUE;
}

LRESULT CSkinnedButton::OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    MeasureByFont(m_hWnd, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return TRUE;
}

LRESULT CSkinnedButton::OnCompareItem(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT CSkinnedButton::OnDeleteItem(UINT, WPARAM, LPARAM, BOOL&)
{
    return TRUE;
}

LRESULT CSkinnedButton::OnSetCursor(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (!SetCursorIfAny(HandCursor()))
        bHandled = FALSE;
    return TRUE;
}

LRESULT CSkinnedButton::OnGetDlgCode(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return ButtonDialogCode(DefWindowProc(uMsg, wParam, lParam), lParam);
}

LRESULT CSkinnedButton::OnKey(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const ButtonKey action = KeyAction(uMsg, wParam, lParam);
    if (action == ButtonKey::None) {
        bHandled = FALSE;
        return 0;
    }
    // A button its layout has hidden may still hold the focus; it must not act.
    if (IsWindowVisible(m_hWnd))
        OnButtonKey(action);
    return 0;
}

LRESULT CSkinnedButton::OnFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(uMsg, wParam, lParam);
    if (uMsg == WM_KILLFOCUS)
        OnFocusLost();
    RepaintNow();  // the focus cue comes or goes
    return result;
}

LRESULT CSkinnedButton::OnUpdateUiState(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(uMsg, wParam, lParam);
    if (GetFocus() == m_hWnd)
        RepaintNow();  // the focus cue may have come or gone
    return result;
}

LRESULT CSkinnedButton::OnGetObject(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const LRESULT answer = AnswerGetObject(m_hWnd, m_kind, wParam, lParam);
    bHandled = answer != 0;
    return answer;
}
