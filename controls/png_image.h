// Embedded PNG resources turned into GDI+ images.
#pragma once

#include <windows.h>
#include <objidl.h>  // gdiplus.h needs it and the lean windows.h leaves it out
#include <gdiplus.h>

#include <memory>
#include <vector>

using ImagePtr = std::unique_ptr<Gdiplus::Image>;
// The pictures a control shows, by its state; the control does not own them.
using ImageList = std::vector<Gdiplus::Image*>;

// Loads resource `id` of type `type` from the program into `slot`; true when it did.
// - No such resource: false, `error` 0; the caller decides whether that matters.
// - The resource cannot be loaded or locked: false, `error` its last error; no memory
//   for its copy: false, `error` ERROR_NOT_ENOUGH_MEMORY.
// - Otherwise true; bytes that are no image give an image whose status says so and
//   that draws nothing.
bool LoadPngImage(WORD id, const wchar_t* type, ImagePtr& slot, DWORD& error);

// One picture of the skin drawn at its size and at twice it (resource id + 1000). A
// missing second drawing leaves the first to be scaled up.
struct SkinPicture {
    ImagePtr normal;
    ImagePtr dense;

    // The drawing for a screen `skinScale` (1 or 2) times as dense as 96 DPI.
    Gdiplus::Image* ForScale(int skinScale) const { return skinScale > 1 && dense ? dense.get() : normal.get(); }
};

inline constexpr WORD kDenseSkinIdOffset = 1000;

// Draws `image` scaled into (x, y, width, height); nothing for a missing image. At its
// own size it is copied as it is; scaled, it is filtered with high quality and its
// edges stay as sharp as its middle.
void DrawImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height);

// Draws the part (sourceX, sourceY, sourceWidth, sourceHeight) of `image` scaled into
// `target`, with the same high-quality filter.
void DrawImagePart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const Gdiplus::Rect& target, int sourceX,
                   int sourceY, int sourceWidth, int sourceHeight);
