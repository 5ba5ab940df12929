// What the two skinned buttons share: an owner-drawn button that shows one picture of
// its list, the hand cursor, the focus cue, the keys that press a button, and a name
// and role for screen readers. Each button says which picture shows and what a press
// or a key does.
#pragma once

#include <windows.h>

#include "app/window_impl.h"
#include "controls/accessible_control.h"
#include "controls/owner_draw.h"
#include "controls/png_image.h"

class CSkinnedButton : public CWindowImpl {
public:
    // What a null notify window given to SetImages does.
    enum class NullNotify { Clears, KeepsPrevious };

    // `kind`: what a screen reader is told the control is.
    CSkinnedButton(AccessibleKind kind, NullNotify nullNotify) : m_kind(kind), m_nullNotify(nullNotify) {}

    // `notify` receives the click commands; a null one clears the window set before or
    // keeps it, as the button's kind says. `images` are indexed by what ImageIndex gives.
    void SetImages(HWND notify, ImageList images);

    BEGIN_MSG_MAP(CSkinnedButton)
        MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
        MESSAGE_HANDLER(OCM_MEASUREITEM, OnMeasureItem)
        MESSAGE_HANDLER(OCM_COMPAREITEM, OnCompareItem)
        MESSAGE_HANDLER(OCM_DELETEITEM, OnDeleteItem)
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
    // The picture to show now.
    virtual int ImageIndex() = 0;
    // A key that presses, releases or clicks the button while it shows.
    virtual void OnButtonKey(ButtonKey action) = 0;
    virtual void OnFocusLost() {}

    // Tells the parent of a click.
    void SendClickToParent();
    void RepaintNow();
    // Where the button was last drawn, in its own coordinates.
    const RECT& DrawnRect() const { return m_rcItem; }

private:
    LRESULT OnDrawItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMeasureItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCompareItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDeleteItem(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnSetCursor(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGetDlgCode(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnKey(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnUpdateUiState(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGetObject(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    RECT m_rcItem{};
    ImageList m_images;
    HWND m_hNotify = nullptr;
    AccessibleKind m_kind;
    NullNotify m_nullNotify;
};
