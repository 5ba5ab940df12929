// What a screen reader learns of a skinned control. Its name is the control's window
// text, read by the standard accessibility proxy of its window class; what the proxy
// cannot know, since each skinned control is only a picture of what it is, comes from
// here: an owner-drawn button is no check box or link to it, and a repainted progress
// bar has no value.
#pragma once

#include <windows.h>

enum class AccessibleKind {
    PushButton,
    CheckBox,    // checked while BM_GETCHECK answers BST_CHECKED
    Link,
    Disclosure,  // a button that opens an area: expanded while BM_GETCHECK answers BST_CHECKED
    ProgressBar, // its value is the percentage of its range
};

// The answer to WM_GETOBJECT (`wParam`, `lParam` as received) for the control's client
// area: the standard proxy's object with the kind's role, state and value. Zero for
// any other object or when none can be made, which leaves the question to the
// standard processing.
LRESULT AnswerGetObject(HWND control, AccessibleKind kind, WPARAM wParam, LPARAM lParam);
