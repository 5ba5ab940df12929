#include "controls/select_state_button.h"

int CSelectStateButton::IsSelected()
{
    CriticalSectionLock lock(m_lock);
    return m_selected;
}

LRESULT CSelectStateButton::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&)
{
    // The flip counts on the press: a press released elsewhere still flips.
    Flip();
    return 0;
}

void CSelectStateButton::OnButtonKey(ButtonKey action)
{
    // Like the mouse, the key flips on the press.
    if (action == ButtonKey::Press || action == ButtonKey::Click)
        Flip();
}

void CSelectStateButton::Flip()
{
    const int wasSelected = IsSelected();
    {
        CriticalSectionLock lock(m_lock);
        m_selected = wasSelected ? 0 : 1;
    }
    RepaintNow();
    SendClickToParent();
}

LRESULT CSelectStateButton::OnGetCheck(UINT, WPARAM, LPARAM, BOOL&)
{
    // The standard button knows nothing of the flag; this is how others ask for it.
    return IsSelected() ? BST_CHECKED : BST_UNCHECKED;
}
