// Pictures loaded from the program's resources and drawn with GDI+.
#include <windows.h>

#include "controls/png_image.h"
#include "controls_test_support.h"

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

TEST_F(ControlsTest, ImageLoaderFailsQuietlyForAMissingResource)
{
    ImagePtr image;
    DWORD error = 1;
    EXPECT_FALSE(LoadPngImage(999, L"PNG", image, error));
    EXPECT_EQ(error, 0u);
}

TEST_F(ControlsTest, ImageLoaderTakesBytesThatAreNoPictureAndTheyDrawNothing)
{
    ImagePtr image;
    DWORD error = 0;
    ASSERT_TRUE(LoadPngImage(kNotAPng, L"PNG", image, error));
    ASSERT_NE(image, nullptr);
    EXPECT_NE(image->GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(ChangedByDrawing(image.get(), 20, 20), 0);
}

struct SkinImage {
    WORD id;
    UINT width, height;
};

TEST_F(ControlsTest, SkinPicturesLoadWithTheirSizeAndDrawAfterTheLoaderReturned)
{
    for (const SkinImage& expected : {SkinImage{239, 20, 20}, SkinImage{1239, 40, 40}, SkinImage{353, 750, 290}, SkinImage{1353, 1500, 580}}) {
        SCOPED_TRACE(expected.id);
        ImagePtr image;
        DWORD error = 0;
        ASSERT_TRUE(LoadPngImage(expected.id, L"PNG", image, error));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), expected.width);
        EXPECT_EQ(image->GetHeight(), expected.height);
        EXPECT_GT(ChangedByDrawing(image.get(), expected.width, expected.height), 0);
    }
}

TEST_F(ControlsTest, EachLoadGivesAnImageOfItsOwn)
{
    ImagePtr first, second;
    DWORD error = 0;
    ASSERT_TRUE(LoadPngImage(383, L"PNG", first, error) && LoadPngImage(383, L"PNG", second, error));
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
