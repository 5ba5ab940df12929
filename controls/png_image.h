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

// Draws `image` scaled into (x, y, width, height); nothing for a missing image.
void DrawImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height);
