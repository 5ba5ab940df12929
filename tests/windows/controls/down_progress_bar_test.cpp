// The download progress bar as the screen shows it: a blue bar from the left over a
// light blue track.
#include <windows.h>
#include <commctrl.h>

#include "controls/down_progress_bar.h"
#include "controls_test_support.h"

namespace {

constexpr int kWidth = 540;
constexpr int kHeight = 15;

struct ProgressCase {
    int low, high, position, barWidth;
};

TEST_F(ControlsTest, ProgressBarPaintsItsShareOfTheWidthOverTheTrack)
{
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    const HWND bar = Child(PROGRESS_CLASSW, 0, 1, kWidth, kHeight);
    ASSERT_NE(bar, nullptr);
    // The control gives itself an edge; the window grows by it so that the client area
    // keeps the size the dialog means the bar to have.
    RECT window{}, client{};
    GetWindowRect(bar, &window);
    GetClientRect(bar, &client);
    SetWindowPos(bar, nullptr, 0, 0, kWidth + (window.right - window.left) - client.right,
                 kHeight + (window.bottom - window.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(bar, &client);
    ASSERT_EQ(client.right, kWidth);
    ASSERT_EQ(client.bottom, kHeight);
    CDownProgressBarCtrl ctrl;
    ASSERT_TRUE(ctrl.SubclassWindow(bar));

    const ProgressCase cases[] = {
        {0, 100, 0, 0},     {0, 100, 1, 5},   {0, 100, 33, 178}, {0, 100, 50, 270},
        {0, 100, 67, 361},  // 361.8: cut, not rounded
        {0, 100, 100, 540}, {50, 50, 50, 0},  // an empty range: the track alone
    };
    for (const ProgressCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "range " << c.low << ".." << c.high << ", position " << c.position);
        SendMessageW(bar, PBM_SETRANGE32, c.low, c.high);
        SendMessageW(bar, PBM_SETPOS, c.position, 0);
        InvalidateRect(bar, nullptr, TRUE);
        UpdateWindow(bar);
        // The class paints in WM_PAINT only (WM_PRINTCLIENT, and so PrintWindow, would
        // reach the standard control), so the picture is read back from the window.
        Canvas canvas(kWidth, kHeight);
        const HDC screen = GetDC(bar);
        ASSERT_TRUE(BitBlt(canvas.Dc(), 0, 0, kWidth, kHeight, screen, 0, 0, SRCCOPY));
        ReleaseDC(bar, screen);

        const auto expected = [&c](int x) { return x < c.barWidth ? kProgressBarColor : kProgressTrackColor; };
        EXPECT_EQ(canvas.Mismatches(expected, kHeight / 2, kHeight / 2 + 1), 0) << "in the middle row";
        EXPECT_EQ(canvas.Mismatches(expected), 0) << "in all rows";
    }
}

}  // namespace
