// The download progress bar: the standard control keeps range and position; this
// paints a light blue track and a blue bar over it.
#pragma once

#include <windows.h>

#include "app/window_impl.h"
#include "controls/accessible_control.h"

inline constexpr COLORREF kProgressTrackColor = RGB(197, 219, 255);
inline constexpr COLORREF kProgressBarColor = RGB(64, 136, 255);

class CDownProgressBarCtrl : public CWindowImpl {
public:
    BEGIN_MSG_MAP(CDownProgressBarCtrl)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_GETOBJECT, OnGetObject)
    END_MSG_MAP()

private:
    LRESULT OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnGetObject(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};
