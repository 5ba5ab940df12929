// The skinned check box: an owner-drawn button that flips a selected flag at every
// left-button press (or Space or Enter while it has the focus), shows one picture per
// value and tells its parent after each flip.
#pragma once

#include <windows.h>

#include "app/handles.h"
#include "controls/accessible_control.h"
#include "controls/png_image.h"
#include "controls/window_impl.h"

class CSelectStateButton : public CWindowImpl {
public:
    // `kind`: what a screen reader is told the control is.
    explicit CSelectStateButton(AccessibleKind kind = AccessibleKind::CheckBox) : m_kind(kind) {}

    // `images`: unselected, selected. A null `notify` keeps the window set before.
    void SetImages(HWND notify, ImageList images);

    // The selected flag, 0 or 1; callable from any thread.
    int IsSelected();

    BEGIN_MSG_MAP(CSelectStateButton)
        MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
        MESSAGE_HANDLER(OCM_MEASUREITEM, OnMeasureItem)
        MESSAGE_HANDLER(OCM_DELETEITEM, OnDeleteItem)
        MESSAGE_HANDLER(OCM_COMPAREITEM, OnCompareItem)
        MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKey)
        MESSAGE_HANDLER(WM_KEYUP, OnKey)
        MESSAGE_HANDLER(WM_SETFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_UPDATEUISTATE, OnUpdateUiState)
        MESSAGE_HANDLER(BM_GETCHECK, OnGetCheck)
        MESSAGE_HANDLER(WM_GETOBJECT, OnGetObject)
        DEFAULT_REFLECTION_HANDLER()
    END_MSG_MAP()

private:
    LRESULT OnSetCursor(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDrawItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMeasureItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDeleteItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCompareItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGetDlgCode(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKey(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnUpdateUiState(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGetCheck(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGetObject(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    // Flips the flag, shows it and tells the parent.
    void Flip();
    void RepaintNow();

    int m_selected = 0;
    ImageList m_images;
    HWND m_hNotify = nullptr;
    CriticalSection m_lock;
    AccessibleKind m_kind;
};
