// What the skinned buttons share: drawing a picture into an owner-draw request, the
// keyboard focus cue, the keys that press them, the click command to the parent, and
// the hand cursor.
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

// Draws the dotted focus cue over the request's picture while the control has the
// keyboard focus, unless the window hides focus cues (until the keyboard is used).
void DrawFocusCue(const DRAWITEMSTRUCT& item);

// The dialog code of a skinned button: the standard one, and Enter as well, which the
// dialog manager would otherwise turn into a command of a default button that this
// button is not.
LRESULT ButtonDialogCode(LRESULT standard, LPARAM message);

// What a key message does to a focused skinned button: Enter clicks it, Space presses
// it and its release clicks. A key held down repeats nothing.
enum class ButtonKey { None, Press, Click, Release };
ButtonKey KeyAction(UINT message, WPARAM key, LPARAM flags);
