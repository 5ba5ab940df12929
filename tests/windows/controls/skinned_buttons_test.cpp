// The skinned push button and check box: which picture they draw, and what they tell
// their parent when.
#include <windows.h>

#include <memory>

#include "controls/owner_draw_button.h"
#include "controls/select_state_button.h"
#include "controls_test_support.h"

namespace {

constexpr int kButtonId = 1201;
constexpr int kSize = 20;

class SkinTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        for (const COLORREF c : {kRed, kGreen, kBlue}) {
            m_bitmaps.push_back(std::make_unique<Gdiplus::Bitmap>(kSize, kSize, PixelFormat32bppARGB));
            Gdiplus::Graphics(m_bitmaps.back().get())
                .Clear(Gdiplus::Color(GetRValue(c), GetGValue(c), GetBValue(c)));
        }
        m_button = Child(L"BUTTON", BS_OWNERDRAW, kButtonId, kSize, kSize);
        ASSERT_NE(m_button, nullptr);
    }

    // The first `count` of red, green, blue.
    ImageList Images(std::size_t count) const
    {
        ImageList all{m_bitmaps[0].get(), m_bitmaps[1].get(), m_bitmaps[2].get()};
        all.resize(count);
        return all;
    }

    // Has the button draw as its parent's reflection would; returns the centre's
    // colour, or 0 (black) when nothing at all was drawn.
    COLORREF Drawn() const
    {
        Canvas canvas(kSize, kSize);
        DRAWITEMSTRUCT item{ODT_BUTTON, kButtonId, 0, ODA_DRAWENTIRE, 0, m_button, canvas.Dc(),
                            {0, 0, kSize, kSize}, 0};
        SendMessageW(m_button, OCM_DRAWITEM, kButtonId, reinterpret_cast<LPARAM>(&item));
        return canvas.Changed() ? canvas.Pixel(kSize / 2, kSize / 2) : kNothing;
    }
    void Send(UINT message) const
    {
        SendMessageW(m_button, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(5, 5));
    }
    void ExpectClicks(std::size_t count) const
    {
        ASSERT_EQ(g_commands.size(), count);
        for (const Command& command : g_commands) {
            EXPECT_EQ(command.wParam, MAKEWPARAM(kButtonId, BN_CLICKED));
            EXPECT_EQ(command.lParam, reinterpret_cast<LPARAM>(m_button));
        }
    }

    static constexpr COLORREF kNothing = RGB(0, 0, 0);
    std::vector<std::unique_ptr<Gdiplus::Bitmap>> m_bitmaps;
    HWND m_button = nullptr;
};

struct Step {
    UINT message;
    COLORREF picture;
    std::size_t clicks;  // received by the parent so far
    int selected;        // check box only
};

TEST_F(SkinTest, ButtonShowsNormalHoverPressedPicturesAndClicksOnRelease)
{
    COwnerDrawButton button;
    button.SetImages(m_parent, Images(3));
    ASSERT_TRUE(button.SubclassWindow(m_button));
    EXPECT_EQ(Drawn(), kRed);
    for (const Step& step : {Step{WM_MOUSEMOVE, kGreen, 0, 0}, Step{WM_LBUTTONDOWN, kBlue, 0, 0},
                             Step{WM_LBUTTONUP, kGreen, 1, 0}}) {
        SCOPED_TRACE(testing::Message() << "message " << step.message);
        Send(step.message);
        // Nothing was dispatched in between: a click counted here was sent.
        ExpectClicks(step.clicks);
        EXPECT_EQ(Drawn(), step.picture);
    }
    MSG msg{};
    for (int i = 0; i < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
        DispatchMessageW(&msg);  // and none was posted besides
    ExpectClicks(1);
}

TEST_F(SkinTest, ButtonHoverEndsAtTheTimerOnlyOnceTheCursorHasLeft)
{
    COwnerDrawButton button;
    button.SetImages(m_parent, Images(3));
    ASSERT_TRUE(button.SubclassWindow(m_button));
    Send(WM_MOUSEMOVE);
    ASSERT_EQ(Drawn(), kGreen);

    POINT inside{5, 5};
    ClientToScreen(m_button, &inside);
    ASSERT_TRUE(SetCursorPos(inside.x, inside.y));
    SendMessageW(m_button, WM_TIMER, IDT_HOVER, 0);
    EXPECT_EQ(Drawn(), kGreen);

    MoveCursorAway();
    SendMessageW(m_button, WM_TIMER, IDT_HOVER, 0);
    EXPECT_EQ(Drawn(), kRed);
}

TEST_F(SkinTest, ButtonDrawsNothingForAStateItsListLacks)
{
    COwnerDrawButton button;
    button.SetImages(m_parent, Images(0));
    ASSERT_TRUE(button.SubclassWindow(m_button));
    EXPECT_EQ(Drawn(), kNothing);
    button.SetImages(m_parent, Images(2));
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(Drawn(), kNothing);
}

TEST_F(SkinTest, ButtonDetachesWhenItsWindowIsDestroyed)
{
    COwnerDrawButton button;
    ASSERT_TRUE(button.SubclassWindow(m_button));
    DestroyWindow(m_button);
    EXPECT_EQ(button.m_hWnd, nullptr);
}

TEST_F(SkinTest, CheckBoxFlipsAtEachPressAndTheParentHearsTheNewValue)
{
    CSelectStateButton box;
    box.SetImages(m_parent, Images(2));
    ASSERT_TRUE(box.SubclassWindow(m_button));
    g_commandProbe = [&box] { return box.IsSelected(); };
    EXPECT_EQ(Drawn(), kRed);
    for (const Step& step : {Step{WM_LBUTTONDOWN, kGreen, 1, 1}, Step{WM_LBUTTONUP, kGreen, 1, 1},
                             Step{WM_LBUTTONDOWN, kRed, 2, 0}, Step{WM_LBUTTONUP, kRed, 2, 0}}) {
        SCOPED_TRACE(testing::Message() << "message " << step.message << " to " << step.selected);
        Send(step.message);
        EXPECT_EQ(box.IsSelected(), step.selected);
        EXPECT_EQ(Drawn(), step.picture);
        ASSERT_NO_FATAL_FAILURE(ExpectClicks(step.clicks));
        EXPECT_EQ(g_commands.back().probe, step.selected);  // flipped before the parent heard
    }
}

TEST_F(SkinTest, CheckBoxKeepsItsParentWhenGivenNoneAndDrawsNothingForAMissingPicture)
{
    CSelectStateButton box;
    box.SetImages(m_parent, Images(2));
    box.SetImages(nullptr, Images(1));
    ASSERT_TRUE(box.SubclassWindow(m_button));
    Send(WM_LBUTTONDOWN);
    ASSERT_EQ(box.IsSelected(), 1);
    ExpectClicks(1);
    EXPECT_EQ(Drawn(), kNothing);
}

struct KeyStep {
    UINT message;  // WM_KEYDOWN, WM_KEYUP or WM_KILLFOCUS
    WPARAM key;
    bool repeat;  // a key held down
    COLORREF picture;
    std::size_t clicks;  // received by the parent so far
};

void SendKey(HWND control, const KeyStep& step)
{
    const LPARAM flags = (step.message == WM_KEYUP ? 0xC0000001 : 0x00000001) | (step.repeat ? 0x40000000 : 0);
    SendMessageW(control, step.message, step.message == WM_KILLFOCUS ? 0 : step.key,
                 step.message == WM_KILLFOCUS ? 0 : flags);
}

bool WantsFromDialog(HWND control, WPARAM key)
{
    MSG msg{control, WM_KEYDOWN, key, 0, 0, {}};
    return (SendMessageW(control, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&msg)) & DLGC_WANTMESSAGE) != 0;
}

TEST_F(SkinTest, SpacePressesAButtonAndItsReleaseClicksWhileEnterClicksAtOnce)
{
    COwnerDrawButton button;
    button.SetImages(m_parent, Images(3));
    ASSERT_TRUE(button.SubclassWindow(m_button));
    // Enter comes to the button rather than to the dialog's default button; Tab is the dialog's.
    EXPECT_TRUE(WantsFromDialog(m_button, VK_RETURN));
    EXPECT_FALSE(WantsFromDialog(m_button, VK_TAB));
    for (const KeyStep& step : {KeyStep{WM_KEYDOWN, VK_SPACE, false, kBlue, 0},
                                KeyStep{WM_KEYDOWN, VK_SPACE, true, kBlue, 0},
                                KeyStep{WM_KEYUP, VK_SPACE, false, kRed, 1},
                                KeyStep{WM_KEYUP, VK_SPACE, false, kRed, 1},
                                KeyStep{WM_KEYDOWN, VK_RETURN, false, kRed, 2},
                                KeyStep{WM_KEYDOWN, VK_RETURN, true, kRed, 2},
                                KeyStep{WM_KEYUP, VK_RETURN, false, kRed, 2},
                                KeyStep{WM_KEYDOWN, 'A', false, kRed, 2},
                                // Space let go after the focus went: no click.
                                KeyStep{WM_KEYDOWN, VK_SPACE, false, kBlue, 2},
                                KeyStep{WM_KILLFOCUS, 0, false, kRed, 2},
                                KeyStep{WM_KEYUP, VK_SPACE, false, kRed, 2}}) {
        SCOPED_TRACE(testing::Message() << "message " << step.message << " key " << step.key
                                        << (step.repeat ? " repeated" : ""));
        SendKey(m_button, step);
        ASSERT_NO_FATAL_FAILURE(ExpectClicks(step.clicks));
        EXPECT_EQ(Drawn(), step.picture);
    }
}

TEST_F(SkinTest, SpaceAndEnterFlipTheCheckBoxOnThePressAndItAnswersForItsFlag)
{
    CSelectStateButton box;
    box.SetImages(m_parent, Images(2));
    ASSERT_TRUE(box.SubclassWindow(m_button));
    EXPECT_TRUE(WantsFromDialog(m_button, VK_RETURN));
    for (const KeyStep& step : {KeyStep{WM_KEYDOWN, VK_SPACE, false, kGreen, 1},
                                KeyStep{WM_KEYDOWN, VK_SPACE, true, kGreen, 1},
                                KeyStep{WM_KEYUP, VK_SPACE, false, kGreen, 1},
                                KeyStep{WM_KEYDOWN, VK_RETURN, false, kRed, 2},
                                KeyStep{WM_KEYDOWN, VK_RETURN, true, kRed, 2},
                                KeyStep{WM_KEYDOWN, 'A', false, kRed, 2}}) {
        SCOPED_TRACE(testing::Message() << "message " << step.message << " key " << step.key
                                        << (step.repeat ? " repeated" : ""));
        SendKey(m_button, step);
        ASSERT_NO_FATAL_FAILURE(ExpectClicks(step.clicks));
        EXPECT_EQ(Drawn(), step.picture);
        // What a screen reader asks for: the flag, which the standard button lacks.
        EXPECT_EQ(SendMessageW(m_button, BM_GETCHECK, 0, 0), step.picture == kGreen ? BST_CHECKED : BST_UNCHECKED);
    }
}

TEST_F(SkinTest, BothButtonsShowTheHandCursor)
{
    COwnerDrawButton button;
    CSelectStateButton box;
    for (CWindowImpl* control : std::initializer_list<CWindowImpl*>{&button, &box}) {
        ASSERT_TRUE(control->SubclassWindow(m_button));
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        EXPECT_EQ(SendMessageW(m_button, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_button),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
        control->UnsubclassWindow();
    }
}

}  // namespace
