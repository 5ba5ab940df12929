// Pictures loaded from the program's resources and drawn with GDI+.
#include <windows.h>

#include "controls/png_image.h"
#include "controls_test_support.h"
#include "download/notifications.h"

namespace {

constexpr WORD kNotAPng = 901;  // tests/windows/controls/test_images.rc

// How many pixels of a `width` x `height` canvas drawing `image` into it changes.
int ChangedByDrawing(Gdiplus::Image* image, int width, int height)
{
    Canvas canvas(width, height, kBackground);
    {
        Gdiplus::Graphics graphics(canvas.Dc());
        DrawImage(graphics, image, 0, 0, width, height);
    }
    return canvas.Changed();
}

bool ErrorPosted(HWND notify)
{
    MSG msg{};
    return PeekMessageW(&msg, notify, WM_DOWN_ERROR, WM_DOWN_ERROR, PM_REMOVE) != FALSE;
}

TEST_F(ControlsTest, MissingResourceFailsWithoutReportingAnError)
{
    ImagePtr image;
    EXPECT_FALSE(LoadPngImage(m_parent, 999, L"PNG", image));
    EXPECT_FALSE(ErrorPosted(m_parent));
}

TEST_F(ControlsTest, BytesThatAreNoPictureLoadButDrawNothing)
{
    ImagePtr image;
    ASSERT_TRUE(LoadPngImage(m_parent, kNotAPng, L"PNG", image));
    ASSERT_NE(image, nullptr);
    EXPECT_NE(image->GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(ChangedByDrawing(image.get(), 20, 20), 0);
    EXPECT_FALSE(ErrorPosted(m_parent));
}

struct SkinImage {
    WORD id;
    UINT width;
    UINT height;
};

TEST_F(ControlsTest, SkinPicturesLoadWithTheirSizeAndDraw)
{
    for (const SkinImage& expected : {SkinImage{239, 20, 20}, SkinImage{353, 915, 372}}) {
        SCOPED_TRACE(expected.id);
        ImagePtr image;
        ASSERT_TRUE(LoadPngImage(m_parent, expected.id, L"PNG", image));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), expected.width);
        EXPECT_EQ(image->GetHeight(), expected.height);
        // Drawn after the loader has returned: the image still has its bytes.
        EXPECT_GT(ChangedByDrawing(image.get(), expected.width, expected.height), 0);
    }
}

TEST_F(ControlsTest, EachLoadGivesAnImageOfItsOwn)
{
    ImagePtr first;
    ImagePtr second;
    ASSERT_TRUE(LoadPngImage(m_parent, 383, L"PNG", first));
    ASSERT_TRUE(LoadPngImage(m_parent, 383, L"PNG", second));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first.get(), second.get());
    const UINT width = first->GetWidth();
    const UINT height = first->GetHeight();
    ASSERT_GT(width, 0u);

    first.reset();
    EXPECT_EQ(second->GetWidth(), width);
    EXPECT_GT(ChangedByDrawing(second.get(), static_cast<int>(width), static_cast<int>(height)), 0);
}

}  // namespace
