// What the skinned buttons share: drawing a picture into an owner-draw request, the
// click command to the parent, and the hand cursor.
#pragma once

#include <windows.h>

#include "controls/png_image.h"

// Draws images[index] (if the list has it and it is present) scaled into the
// request's item rectangle.
void DrawListEntry(const DRAWITEMSTRUCT& item, const ImageList& images, int index);

// The measurement of an owner-drawn control: the height of its font's characters.
void MeasureByFont(HWND control, MEASUREITEMSTRUCT& item);

// Sends (not posts) BN_CLICKED of `control` to `notify`.
void SendClick(HWND notify, HWND control);

// Shows `cursor` (loaded once by the caller's cache); false when there is none.
bool SetCursorIfAny(HCURSOR cursor);
