#include "controls/down_progress_bar.h"

#include <commctrl.h>

#include "app/handles.h"
#include "controls/progress_width.h"

LRESULT CDownProgressBarCtrl::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client{};
    GetClientRect(m_hWnd, &client);

    const UniqueGdiObject<HBRUSH> track(CreateSolidBrush(kProgressTrackColor));
    FillRect(dc, &client, track.get());

    PBRANGE range{};
    SendMessageW(m_hWnd, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    const int position = static_cast<int>(SendMessageW(m_hWnd, PBM_GETPOS, 0, 0));

    RECT bar = client;
    bar.right = ProgressBarWidth(client.right, range.iLow, range.iHigh, position);
    if (bar.right > 0) {
        const UniqueGdiObject<HBRUSH> fill(CreateSolidBrush(kProgressBarColor));
        FillRect(dc, &bar, fill.get());
    }
    EndPaint(m_hWnd, &paint);
    return 0;
}

LRESULT CDownProgressBarCtrl::OnGetObject(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    // Repainted by this class, the bar is still the standard one underneath, which
    // keeps the range and position its value is made of.
    const LRESULT answer = AnswerGetObject(m_hWnd, AccessibleKind::ProgressBar, wParam, lParam);
    bHandled = answer != 0;
    return answer;
}
