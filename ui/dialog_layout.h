// Where the main dialog's controls sit, in units of a 96-DPI screen (its pixels), and
// how those become pixels of a screen of another density. No windows.h here.
#pragma once

#include <cstdint>
#include <vector>

struct ControlRect {
    int x;
    int y;
    int width;
    int height;

    bool operator==(const ControlRect&) const = default;
};

inline constexpr int kDialogWidth = 750;
inline constexpr int kCollapsedHeight = 360;
inline constexpr int kExpandedHeight = 434;  // with the custom-install area open

inline constexpr ControlRect kCloseRect{690, 20, 20, 20};
inline constexpr ControlRect kMinimizeRect{660, 20, 20, 20};
inline constexpr ControlRect kInstallRect{298, 235, 168, 46};
inline constexpr ControlRect kAgreeRect{20, 329, 11, 11};
inline constexpr ControlRect kLicenceRect{42, 329, 390, 15};
inline constexpr ControlRect kCustomizeRect{541, 329, 180, 12};
inline constexpr ControlRect kAgreeTextRect{20, 344, 350, 15};
inline constexpr ControlRect kBrowseRect{581, 381, 90, 32};
inline constexpr ControlRect kLaunchRect{298, 235, 168, 46};  // the Install button's place
inline constexpr ControlRect kHideRect{645, 317, 57, 26};
inline constexpr ControlRect kProgressRect{48, 320, 540, 15};
inline constexpr ControlRect kPercentRect{599, 320, 30, 15};
inline constexpr ControlRect kPathEditRect{150, 388, 420, 22};

// The place of the "Installation Path:" label, which longer translations push to the
// left: by the whole UI LANGID, so only Italian (0x0410) and French of France (0x040C)
// get the wide label and Traditional Chinese (0x0404) the narrow one.
ControlRect PathLabelRect(std::uint16_t uiLanguage);

struct PlacedControl {
    int id;
    ControlRect rect;
};

// Every control the dialog places, with its place for a UI language.
std::vector<PlacedControl> DialogControls(std::uint16_t uiLanguage);
// The place of control `id`; an empty rectangle for a control the dialog does not place.
ControlRect ControlPlace(int id, std::uint16_t uiLanguage);

// The density every unit above is written for.
inline constexpr int kBaseDpi = 96;

// The one rounding rule for every length on the window: `units` * dpi / 96, rounded to
// the nearest pixel, halves away from zero (as MulDiv does). Each of a rectangle's
// place and size is scaled alone, so equal sizes stay equal at every density.
int ScaleToDpi(int units, int dpi);
ControlRect ScaleToDpi(const ControlRect& rect, int dpi);

// The template font's height at `dpi`, as a LOGFONT height (negative: the character
// height without the leading): 9 points.
int DialogFontHeight(int dpi);

// The pictures come in a set drawn at their size and a set drawn at twice it: the
// smallest set whose scale reaches the screen's, else the largest. 1 or 2.
int SkinScaleFor(int dpi);

// The order in which the keyboard walks the controls: the order they read in, row by
// row from the top and left to right within a row. Controls whose heights overlap
// share a row, so a field and a taller button beside it read field first.
std::vector<int> ReadingOrder(std::vector<PlacedControl> controls);
