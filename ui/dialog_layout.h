// Where the main dialog's controls sit, in client pixels. No windows.h here.
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

// The order in which the keyboard walks the controls: the order they read in, row by
// row from the top and left to right within a row. Controls whose heights overlap
// share a row, so a field and a taller button beside it read field first.
std::vector<int> ReadingOrder(std::vector<PlacedControl> controls);
