#include "controls/owner_draw.h"

void DrawListEntry(const DRAWITEMSTRUCT& item, const ImageList& images, int index)
{
    SetBkMode(item.hDC, TRANSPARENT);
    Gdiplus::Graphics graphics(item.hDC);
    Gdiplus::Image* image =
        index >= 0 && static_cast<std::size_t>(index) < images.size() ? images[index] : nullptr;
    DrawImage(graphics, image, 0, 0, item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top);
}

void MeasureByFont(HWND control, MEASUREITEMSTRUCT& item)
{
    const HDC dc = GetDC(control);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    item.itemHeight = static_cast<UINT>(metrics.tmHeight);
}

void SendClick(HWND notify, HWND control)
{
    SendMessageW(notify, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

bool SetCursorIfAny(HCURSOR cursor)
{
    if (!cursor)
        return false;
    SetCursor(cursor);
    return true;
}

void DrawFocusCue(const DRAWITEMSTRUCT& item)
{
    if (GetFocus() != item.hwndItem || (SendMessageW(item.hwndItem, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
        return;
    RECT cue = item.rcItem;
    // Inside the edge where there is room, so that the cue stays clear of the outline
    // a larger picture draws; a small box takes it on its edge.
    constexpr int kRoomy = 16;
    if (cue.right - cue.left > kRoomy && cue.bottom - cue.top > kRoomy)
        InflateRect(&cue, -2, -2);
    DrawFocusRect(item.hDC, &cue);
}

LRESULT ButtonDialogCode(LRESULT standard, LPARAM message)
{
    const auto* msg = reinterpret_cast<const MSG*>(message);
    if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
        return standard | DLGC_WANTMESSAGE;
    return standard;
}

ButtonKey KeyAction(UINT message, WPARAM key, LPARAM flags)
{
    // Bit 30: the key was down already, so this is the keyboard's repeat.
    const bool repeat = (flags & (1L << 30)) != 0;
    if (message == WM_KEYDOWN && !repeat && key == VK_RETURN)
        return ButtonKey::Click;
    if (message == WM_KEYDOWN && !repeat && key == VK_SPACE)
        return ButtonKey::Press;
    if (message == WM_KEYUP && key == VK_SPACE)
        return ButtonKey::Release;
    return ButtonKey::None;
}
