// The window at the display's density: sizes, places, pictures, font and corners for
// the window's DPI, and all of them again when the window moves to a monitor of another.
#include "ui/main_dlg.h"

#include "ui/screen_dpi.h"

LRESULT CMainDlg::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const int dpi = HIWORD(wParam);
    m_dpi = dpi > 0 ? dpi : kBaseDpi;
    // Windows' suggestion keeps the window under the cursor on the new monitor; the size
    // is the layout's own, by the one rounding rule of every length.
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, Scaled(kDialogWidth), Scaled(HeightUnits()),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutForDpi();
    SetIcons();
    PrepareTrayIcon();
    InvalidateRect(m_hWnd, nullptr, TRUE);
    return 0;
}

int CMainDlg::HeightUnits()
{
    return m_state == STATE_SETUP && m_btnCustomize.m_hWnd && m_btnCustomize.IsSelected() ? kExpandedHeight
                                                                                          : kCollapsedHeight;
}

void CMainDlg::SizeWindow()
{
    SetWindowPos(m_hWnd, HWND_BOTTOM, 0, 0, Scaled(kDialogWidth), Scaled(HeightUnits()), SWP_NOMOVE | SWP_NOZORDER);
}

void CMainDlg::LayOutForDpi()
{
    MoveControls();
    if (m_progress.m_hWnd)
        RoundProgressCorners();
    ApplyFont();
    ApplyButtonImages();
}

void CMainDlg::MoveControls()
{
    for (const PlacedControl& control : DialogControls(GetUserDefaultUILanguage())) {
        const ControlRect rect = ScaleToDpi(control.rect, m_dpi);
        SetWindowPos(GetDlgItem(m_hWnd, control.id), nullptr, rect.x, rect.y, rect.width, rect.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CMainDlg::ApplyFont()
{
    // The template's font (its face and weight) at 9 points for this DPI: the dialog
    // manager made it for the DPI the window was created at.
    LOGFONTW face{};
    const auto current = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    if (!current || !GetObjectW(current, sizeof(face), &face))
        return;
    face.lfHeight = DialogFontHeight(m_dpi);
    face.lfWidth = 0;
    UniqueGdiObject<HFONT> font(CreateFontIndirectW(&face));
    if (!font)
        return;
    for (const int id : {IDC_STATIC_AGREE, IDC_STATIC_PATH, IDC_STATIC_PERCENT, IDC_EDIT_PATH})
        SendMessageW(GetDlgItem(m_hWnd, id), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    // The controls hold the new font now; the old one can go.
    m_font = std::move(font);
}

void CMainDlg::ApplyButtonImages()
{
    const bool dense = SkinScaleFor(m_dpi) > 1;
    for (const ButtonFaces& faces : m_buttonFaces) {
        faces.button->SetImages(m_hWnd, dense ? faces.dense : faces.normal);
        InvalidateRect(faces.button->m_hWnd, nullptr, TRUE);
    }
}
