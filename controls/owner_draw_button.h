// The skinned push button: an owner-drawn button whose face is its normal, hover or
// pressed picture, and which reports a click to its parent, whether the mouse or the
// keyboard (Space, Enter) pressed it.
#pragma once

#include <windows.h>

#include "controls/accessible_control.h"
#include "controls/png_image.h"
#include "controls/window_impl.h"

inline constexpr UINT_PTR IDT_HOVER = 3295;

class COwnerDrawButton : public CWindowImpl {
public:
    enum DrawState : int { DRAW_NORMAL = 0, DRAW_HOVER = 1, DRAW_PRESSED = 2 };

    // `notify` receives the click commands; `images` are indexed by DrawState.
    void SetImages(HWND notify, ImageList images);

    BEGIN_MSG_MAP(COwnerDrawButton)
        MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
        MESSAGE_HANDLER(OCM_MEASUREITEM, OnMeasureItem)
        MESSAGE_HANDLER(OCM_COMPAREITEM, OnCompareItem)
        MESSAGE_HANDLER(OCM_DELETEITEM, OnDeleteItem)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
        MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKey)
        MESSAGE_HANDLER(WM_KEYUP, OnKey)
        MESSAGE_HANDLER(WM_SETFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_UPDATEUISTATE, OnUpdateUiState)
        MESSAGE_HANDLER(WM_GETOBJECT, OnGetObject)
        DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()

protected:
    virtual void OnHover() {}
    virtual void OnPress() {}
    virtual void OnClick();
    virtual void OnLeave() {}

private:
    LRESULT OnDrawItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMeasureItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCompareItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDeleteItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnSetCursor(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGetDlgCode(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKey(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnUpdateUiState(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGetObject(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    void ClickByKeyboard();
    void RepaintNow();

    RECT m_rcItem{};
    ImageList m_images;
    int m_drawState = DRAW_NORMAL;
    HWND m_hNotify = nullptr;
    bool m_spaceDown = false;  // pressed by Space, which clicks when released
};
