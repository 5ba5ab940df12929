// Pictures loaded from the program's resources and drawn with GDI+.
#include <windows.h>

#include "controls/png_image.h"
#include "controls_test_support.h"
#include "download/notifications.h"

namespace {

constexpr WORD kNotAPng = 901;  // test_images.rc

// How many pixels drawing `image` into a `width` x `height` canvas changes.
int ChangedByDrawing(Gdiplus::Image* image, UINT width, UINT height)
{
    Canvas canvas(static_cast<int>(width), static_cast<int>(height));
    {
        Gdiplus::Graphics graphics(canvas.Dc());
        DrawImage(graphics, image, 0, 0, static_cast<int>(width), static_cast<int>(height));
    }
    return canvas.Changed();
}

bool ErrorPosted(HWND notify)
{
    MSG msg{};
    return PeekMessageW(&msg, notify, WM_DOWN_ERROR, WM_DOWN_ERROR, PM_REMOVE);
}

TEST_F(ControlsTest, ImageLoaderFailsQuietlyForAMissingResource)
{
    ImagePtr image;
    EXPECT_FALSE(LoadPngImage(m_parent, 999, L"PNG", image));
    EXPECT_FALSE(ErrorPosted(m_parent));
}

TEST_F(ControlsTest, ImageLoaderTakesBytesThatAreNoPictureAndTheyDrawNothing)
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
    UINT width, height;
};

TEST_F(ControlsTest, SkinPicturesLoadWithTheirSizeAndDrawAfterTheLoaderReturned)
{
    for (const SkinImage& expected : {SkinImage{239, 20, 20}, SkinImage{353, 915, 372}}) {
        SCOPED_TRACE(expected.id);
        ImagePtr image;
        ASSERT_TRUE(LoadPngImage(m_parent, expected.id, L"PNG", image));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), expected.width);
        EXPECT_EQ(image->GetHeight(), expected.height);
        EXPECT_GT(ChangedByDrawing(image.get(), expected.width, expected.height), 0);
    }
}

TEST_F(ControlsTest, EachLoadGivesAnImageOfItsOwn)
{
    ImagePtr first, second;
    ASSERT_TRUE(LoadPngImage(m_parent, 383, L"PNG", first));
    ASSERT_TRUE(LoadPngImage(m_parent, 383, L"PNG", second));
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    const UINT width = first->GetWidth();
    const UINT height = first->GetHeight();
    ASSERT_GT(width, 0u);
    first.reset();  // the other one keeps what it needs
    EXPECT_EQ(second->GetWidth(), width);
    EXPECT_GT(ChangedByDrawing(second.get(), width, height), 0);
}

}  // namespace
