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

// Loads resource `id` of type `type` from the program into `slot`.
// - No such resource: false, nothing reported.
// - The resource or memory for it cannot be had: WM_DOWN_ERROR (the error code, kind
//   DOWN_ERR_SYSTEM) is posted to `notify`, and false.
// - Otherwise true; bytes that are no image give an image whose status says so and
//   that draws nothing.
bool LoadPngImage(HWND notify, WORD id, const wchar_t* type, ImagePtr& slot);

// Draws `image` scaled into (x, y, width, height); nothing for a missing image.
void DrawImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height);
