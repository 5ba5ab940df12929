// The skinned push button and check box: which picture they draw, what they tell
// their parent and when.
#include <windows.h>

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
        for (const COLORREF colour : {kRed, kGreen, kBlue}) {
            auto& bitmap = m_bitmaps.emplace_back(std::make_unique<Gdiplus::Bitmap>(kSize, kSize, PixelFormat32bppARGB));
            Gdiplus::Graphics(bitmap.get()).Clear(Gdiplus::Color(255, GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        }
        m_button = Child(L"BUTTON", BS_OWNERDRAW, kButtonId, kSize, kSize);
        ASSERT_NE(m_button, nullptr);
    }

    // The first `count` of red, green, blue.
    ImageList Images(std::size_t count) const
    {
        ImageList images;
        for (std::size_t i = 0; i < count; ++i)
            images.push_back(m_bitmaps[i].get());
        return images;
    }

    // Asks the button to draw into `canvas` as its parent's reflection would.
    void Draw(Canvas& canvas) const
    {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = kButtonId;
        item.itemAction = ODA_DRAWENTIRE;
        item.hwndItem = m_button;
        item.hDC = canvas.Dc();
        item.rcItem = {0, 0, kSize, kSize};
        SendMessageW(m_button, OCM_DRAWITEM, kButtonId, reinterpret_cast<LPARAM>(&item));
    }
    COLORREF Drawn() const
    {
        Canvas canvas(kSize, kSize, kBackground);
        Draw(canvas);
        return canvas.Pixel(kSize / 2, kSize / 2);
    }
    int ChangedByDrawing() const
    {
        Canvas canvas(kSize, kSize, kBackground);
        Draw(canvas);
        return canvas.Changed();
    }
    void Send(UINT message) const { SendMessageW(m_button, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(5, 5)); }

    std::vector<std::unique_ptr<Gdiplus::Bitmap>> m_bitmaps;
    HWND m_button = nullptr;
};

struct MouseStep {
    UINT message;
    COLORREF picture;
    std::size_t commands;  // received by the parent so far
};

TEST_F(SkinTest, ButtonShowsNormalHoverPressedPicturesAndClicksOnRelease)
{
    COwnerDrawButton button;
    button.SetImages(m_parent, Images(3));
    ASSERT_TRUE(button.SubclassWindow(m_button));
    EXPECT_EQ(Drawn(), kRed);

    const MouseStep steps[] = {{WM_MOUSEMOVE, kGreen, 0}, {WM_LBUTTONDOWN, kBlue, 0}, {WM_LBUTTONUP, kGreen, 1}};
    for (const MouseStep& step : steps) {
        SCOPED_TRACE(testing::Message() << "message " << step.message);
        Send(step.message);
        // Nothing was dispatched in between: what arrived was sent.
        EXPECT_EQ(g_commands.size(), step.commands);
        EXPECT_EQ(Drawn(), step.picture);
    }
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0].wParam, MAKEWPARAM(kButtonId, BN_CLICKED));
    EXPECT_EQ(g_commands[0].lParam, reinterpret_cast<LPARAM>(m_button));
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
    EXPECT_EQ(ChangedByDrawing(), 0);

    button.SetImages(m_parent, Images(2));
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(ChangedByDrawing(), 0);
}

TEST_F(SkinTest, ButtonDetachesWhenItsWindowIsDestroyed)
{
    COwnerDrawButton button;
    ASSERT_TRUE(button.SubclassWindow(m_button));
    DestroyWindow(m_button);
    EXPECT_EQ(button.m_hWnd, nullptr);
}

struct CheckStep {
    UINT message;
    int selected;
    COLORREF picture;
    std::size_t commands;
};

TEST_F(SkinTest, CheckBoxFlipsAtEachPressAndTheParentSeesTheNewValue)
{
    CSelectStateButton box;
    box.SetImages(m_parent, Images(2));
    ASSERT_TRUE(box.SubclassWindow(m_button));
    g_commandProbe = [&box] { return box.IsSelected(); };
    EXPECT_EQ(Drawn(), kRed);

    const CheckStep steps[] = {
        {WM_LBUTTONDOWN, 1, kGreen, 1}, {WM_LBUTTONUP, 1, kGreen, 1},
        {WM_LBUTTONDOWN, 0, kRed, 2},   {WM_LBUTTONUP, 0, kRed, 2},
    };
    for (const CheckStep& step : steps) {
        SCOPED_TRACE(testing::Message() << "message " << step.message << " to " << step.selected);
        Send(step.message);
        EXPECT_EQ(box.IsSelected(), step.selected);
        EXPECT_EQ(Drawn(), step.picture);
        ASSERT_EQ(g_commands.size(), step.commands);
        EXPECT_EQ(g_commands.back().wParam, MAKEWPARAM(kButtonId, BN_CLICKED));
        EXPECT_EQ(g_commands.back().lParam, reinterpret_cast<LPARAM>(m_button));
        EXPECT_EQ(g_commands.back().probe, step.selected);  // already flipped when the parent heard
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
    EXPECT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(ChangedByDrawing(), 0);
}

TEST_F(SkinTest, BothButtonsShowTheHandCursor)
{
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    COwnerDrawButton button;
    CSelectStateButton box;
    for (CWindowImpl* control : {static_cast<CWindowImpl*>(&button), static_cast<CWindowImpl*>(&box)}) {
        ASSERT_TRUE(control->SubclassWindow(m_button));
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        EXPECT_EQ(SendMessageW(m_button, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_button), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
        EXPECT_EQ(GetCursor(), hand);
        control->UnsubclassWindow();
    }
}

}  // namespace
