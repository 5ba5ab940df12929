// The skinned push button: an owner-drawn button whose face is its normal, hover or
// pressed picture, and which reports a click to its parent, whether the mouse or the
// keyboard (Space, Enter) pressed it.
#pragma once

#include <windows.h>

#include "controls/skinned_button.h"

inline constexpr UINT_PTR IDT_HOVER = 3295;

class COwnerDrawButton : public CSkinnedButton {
public:
    enum DrawState : int { DRAW_NORMAL = 0, DRAW_HOVER = 1, DRAW_PRESSED = 2 };

    COwnerDrawButton() : CSkinnedButton(AccessibleKind::PushButton, NullNotify::Clears) {}

    BEGIN_MSG_MAP(COwnerDrawButton)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        CHAIN_MSG_MAP(CSkinnedButton)
    END_MSG_MAP()

protected:
    virtual void OnHover() {}
    virtual void OnPress() {}
    virtual void OnClick();
    virtual void OnLeave() {}

private:
    int ImageIndex() override { return m_drawState; }
    void OnButtonKey(ButtonKey action) override;
    void OnFocusLost() override;

    LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    void ClickByKeyboard();

    int m_drawState = DRAW_NORMAL;
    bool m_spaceDown = false;  // pressed by Space, which clicks when released
};
