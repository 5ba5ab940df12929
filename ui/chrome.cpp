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
constexpr int kFrameEnd = 8;  // width of each rounded end in the picture

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
        switch (m_state) {
        case STATE_SETUP: {
            graphics.FillRectangle(&white, 0, 0, kDialogWidth, kCollapsedHeight);
            Gdiplus::SolidBrush separator(kSeparator);
            graphics.FillRectangle(&separator, 0, 312, kDialogWidth, 1);
            graphics.FillRectangle(&separator, 0, kCollapsedHeight - 1, kDialogWidth, 1);
            DrawImage(graphics, m_imgLogo.get(), 40, 20, 196, 31);
            DrawImage(graphics, m_imgProduct.get(), 200, 60, 376, 154);
            PaintPathFrame(graphics);
            break;
        }
        case STATE_DOWNLOADING:
            DrawImage(graphics, m_curBanner, 0, 0, kDialogWidth, 290);
            graphics.FillRectangle(&white, client.left, 290, client.right, client.bottom);
            break;
        case STATE_FINISHED:
            graphics.FillRectangle(&white, 0, 0, kDialogWidth, kCollapsedHeight);
            DrawImage(graphics, m_imgLogo.get(), 40, 20, 196, 31);
            DrawImage(graphics, m_imgProduct.get(), 200, 60, 376, 154);
            break;
        default:
            break;
        }
        Gdiplus::Pen outline(kOutline, 1.0f);
        graphics.DrawRectangle(&outline, 0, 0, client.right - 1, client.bottom - 1);
    }
    EndPaint(m_hWnd, &paint);
    return 0;
}

void CMainDlg::PaintPathFrame(Gdiplus::Graphics& graphics)
{
    Gdiplus::Image* frame = m_imgPathFrame.get();
    if (!frame)
        return;
    const int width = static_cast<int>(frame->GetWidth());
    const int height = static_cast<int>(frame->GetHeight());
    if (width <= 2 * kFrameEnd || height <= 0)
        return;
    const int middle = kFrameWidth - 2 * kFrameEnd;
    graphics.DrawImage(frame, Gdiplus::Rect(kFrameX, kFrameY, kFrameEnd, height), 0, 0, kFrameEnd, height,
                       Gdiplus::UnitPixel);
    graphics.DrawImage(frame, Gdiplus::Rect(kFrameX + kFrameEnd, kFrameY, middle, height), kFrameEnd, 0,
                       width - 2 * kFrameEnd, height, Gdiplus::UnitPixel);
    graphics.DrawImage(frame, Gdiplus::Rect(kFrameX + kFrameWidth - kFrameEnd, kFrameY, kFrameEnd, height),
                       width - kFrameEnd, 0, kFrameEnd, height, Gdiplus::UnitPixel);
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
                                      [this](const ImagePtr& banner) { return banner.get() == m_curBanner; });
    const auto next = (current == m_banners.end() || current + 1 == m_banners.end()) ? m_banners.begin()
                                                                                     : current + 1;
    m_curBanner = next->get();
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
