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
