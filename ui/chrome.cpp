// The window's look and feel as a window: painting per state, dragging by its
// surface, the rotating banner, and the colours of the two special static texts.
#include <algorithm>

#include "ui/main_dlg.h"

namespace {

const Gdiplus::Color kWhite(0xFF, 0xFF, 0xFF, 0xFF);
const Gdiplus::Color kSeparator(0xFF, 0xE0, 0xE0, 0xE0);
const Gdiplus::Color kOutline(0xFF, 0xCC, 0xCC, 0xCC);

// The path frame surrounds the path field (150, 388, 420 x 22) with a few pixels to
// spare; its picture is narrower, so the straight middle is stretched and the rounded
// ends are drawn as they are.
constexpr int kFrameX = 144;
constexpr int kFrameY = 383;
constexpr int kFrameWidth = 432;
constexpr int kFrameHeight = 32;  // the picture's, at 96 DPI
constexpr int kFrameEnd = 8;      // width of each rounded end in the picture at 96 DPI

}  // namespace

LRESULT CMainDlg::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    {
        Gdiplus::Graphics graphics(dc);
        Gdiplus::SolidBrush white(kWhite);
        const int skinScale = SkinScaleFor(m_dpi);
        // Lengths in 96-DPI units, drawn scaled to the window's DPI.
        const auto fill = [&](Gdiplus::Brush& brush, int x, int y, int width, int height) {
            graphics.FillRectangle(&brush, Scaled(x), Scaled(y), Scaled(width), Scaled(height));
        };
        const auto draw = [&](const SkinPicture* picture, int x, int y, int width, int height) {
            if (picture)
                DrawImage(graphics, picture->ForScale(skinScale), Scaled(x), Scaled(y), Scaled(width), Scaled(height));
        };
        switch (m_state) {
        case STATE_SETUP: {
            fill(white, 0, 0, kDialogWidth, kCollapsedHeight);
            Gdiplus::SolidBrush separator(kSeparator);
            fill(separator, 0, 312, kDialogWidth, 1);
            fill(separator, 0, kCollapsedHeight - 1, kDialogWidth, 1);
            draw(&m_imgLogo, 40, 20, 196, 31);
            draw(&m_imgProduct, 200, 60, 376, 154);
            PaintPathFrame(graphics);
            break;
        }
        case STATE_DOWNLOADING:
            draw(m_curBanner, 0, 0, kDialogWidth, 290);
            graphics.FillRectangle(&white, client.left, Scaled(290), client.right, client.bottom);
            break;
        case STATE_FINISHED:
            fill(white, 0, 0, kDialogWidth, kCollapsedHeight);
            draw(&m_imgLogo, 40, 20, 196, 31);
            draw(&m_imgProduct, 200, 60, 376, 154);
            break;
        default:
            break;
        }
        // A line as wide as a pixel of the design along the window's edge, drawn as four
        // bands: a pen wider than one pixel would straddle the edge.
        const int line = Scaled(1);
        Gdiplus::SolidBrush outline(kOutline);
        graphics.FillRectangle(&outline, 0, 0, client.right, line);
        graphics.FillRectangle(&outline, 0, client.bottom - line, client.right, line);
        graphics.FillRectangle(&outline, 0, 0, line, client.bottom);
        graphics.FillRectangle(&outline, client.right - line, 0, line, client.bottom);
    }
    EndPaint(m_hWnd, &paint);
    return 0;
}

void CMainDlg::PaintPathFrame(Gdiplus::Graphics& graphics)
{
    Gdiplus::Image* frame = m_imgPathFrame.ForScale(SkinScaleFor(m_dpi));
    if (!frame)
        return;
    const int width = static_cast<int>(frame->GetWidth());
    const int height = static_cast<int>(frame->GetHeight());
    // The ends' width in the picture, whichever density it was drawn for.
    const int end = kFrameEnd * height / kFrameHeight;
    if (width <= 2 * end || height <= 0)
        return;
    const int x = Scaled(kFrameX);
    const int y = Scaled(kFrameY);
    const int right = x + Scaled(kFrameWidth);
    const int targetEnd = Scaled(kFrameEnd);
    const int targetHeight = Scaled(kFrameHeight);
    DrawImagePart(graphics, frame, Gdiplus::Rect(x, y, targetEnd, targetHeight), 0, 0, end, height);
    DrawImagePart(graphics, frame, Gdiplus::Rect(x + targetEnd, y, right - x - 2 * targetEnd, targetHeight), end, 0,
                  width - 2 * end, height);
    DrawImagePart(graphics, frame, Gdiplus::Rect(right - targetEnd, y, targetEnd, targetHeight), width - end, 0, end,
                  height);
}

LRESULT CMainDlg::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    // Signed: on a monitor left of or above the primary one the coordinates are negative.
    const POINT cursor{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT client{};
    GetClientRect(m_hWnd, &client);
    MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return PtInRect(&client, cursor) ? HTCAPTION : HTNOWHERE;
}

LRESULT CMainDlg::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (wParam == IDT_WAKE) {
        m_engine.OnWake();
        return 0;
    }
    if (wParam != IDT_BANNER || m_banners.empty())
        return 0;
    const auto current = std::find_if(m_banners.begin(), m_banners.end(),
                                      [this](const SkinPicture& banner) { return &banner == m_curBanner; });
    const auto next = (current == m_banners.end() || current + 1 == m_banners.end()) ? m_banners.begin()
                                                                                     : current + 1;
    m_curBanner = &*next;
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
    return 0;
}

LRESULT CMainDlg::OnCtlColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const auto dc = reinterpret_cast<HDC>(wParam);
    const auto control = reinterpret_cast<HWND>(lParam);
    if (control == m_hAgreeText) {
        SetTextColor(dc, RGB(255, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetCurrentObject(dc, OBJ_BRUSH));
    }
    if (control == m_hPercentText)
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    return 0;  // the dialog manager's own colours
}
