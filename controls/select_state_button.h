// The skinned check box: an owner-drawn button that flips a selected flag at every
// left-button press (or Space or Enter while it has the focus), shows one picture per
// value and tells its parent after each flip.
#pragma once

#include <windows.h>

#include "app/handles.h"
#include "controls/skinned_button.h"

class CSelectStateButton : public CSkinnedButton {
public:
    // `kind`: what a screen reader is told the control is. Its images: unselected, selected.
    explicit CSelectStateButton(AccessibleKind kind = AccessibleKind::CheckBox)
        : CSkinnedButton(kind, NullNotify::KeepsPrevious) {}

    // The selected flag, 0 or 1; callable from any thread.
    int IsSelected();

    BEGIN_MSG_MAP(CSelectStateButton)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(BM_GETCHECK, OnGetCheck)
        CHAIN_MSG_MAP(CSkinnedButton)
    END_MSG_MAP()

private:
    int ImageIndex() override { return IsSelected(); }
    void OnButtonKey(ButtonKey action) override;

    LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGetCheck(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    // Flips the flag, shows it and tells the parent.
    void Flip();

    int m_selected = 0;
    CriticalSection m_lock;
};
