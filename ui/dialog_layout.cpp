#include "ui/dialog_layout.h"

#include <algorithm>

#include "res/resource.h"

ControlRect PathLabelRect(std::uint16_t uiLanguage)
{
    switch (uiLanguage) {
    case 0x0410:
    case 0x040C:
        return {12, 388, 130, 32};
    case 0x0404:
        return {82, 388, 60, 32};
    default:
        return {42, 388, 100, 32};
    }
}

std::vector<PlacedControl> DialogControls(std::uint16_t uiLanguage)
{
    return {{IDC_BTN_CLOSE, kCloseRect},          {IDC_BTN_MINIMIZE, kMinimizeRect},
            {IDC_BTN_INSTALL, kInstallRect},      {IDC_CHK_AGREE, kAgreeRect},
            {IDC_BTN_LICENCE, kLicenceRect},      {IDC_BTN_CUSTOMIZE, kCustomizeRect},
            {IDC_STATIC_AGREE, kAgreeTextRect},   {IDC_BTN_BROWSE, kBrowseRect},
            {IDC_BTN_LAUNCH, kLaunchRect},        {IDC_BTN_HIDE, kHideRect},
            {IDC_PROGRESS, kProgressRect},        {IDC_STATIC_PERCENT, kPercentRect},
            {IDC_EDIT_PATH, kPathEditRect},       {IDC_STATIC_PATH, PathLabelRect(uiLanguage)}};
}

ControlRect ControlPlace(int id, std::uint16_t uiLanguage)
{
    for (const PlacedControl& control : DialogControls(uiLanguage)) {
        if (control.id == id)
            return control.rect;
    }
    return {};
}

int ScaleToDpi(int units, int dpi)
{
    const long long scaled = static_cast<long long>(units) * dpi;
    const long long half = kBaseDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kBaseDpi : (scaled - half) / kBaseDpi);
}

ControlRect ScaleToDpi(const ControlRect& rect, int dpi)
{
    return {ScaleToDpi(rect.x, dpi), ScaleToDpi(rect.y, dpi), ScaleToDpi(rect.width, dpi),
            ScaleToDpi(rect.height, dpi)};
}

int DialogFontHeight(int dpi)
{
    // 9 points of 1/72 inch; 12 pixels at 96 DPI, as the dialog manager makes it.
    constexpr int kPoints = 9;
    return -static_cast<int>((static_cast<long long>(kPoints) * dpi + 36) / 72);
}

int SkinScaleFor(int dpi)
{
    return dpi <= kBaseDpi ? 1 : 2;
}

std::vector<int> ReadingOrder(std::vector<PlacedControl> controls)
{
    std::stable_sort(controls.begin(), controls.end(),
                     [](const PlacedControl& a, const PlacedControl& b) { return a.rect.y < b.rect.y; });
    std::vector<int> order;
    for (auto row = controls.begin(); row != controls.end();) {
        int bottom = row->rect.y + row->rect.height;
        auto end = row + 1;
        for (; end != controls.end() && end->rect.y < bottom; ++end)
            bottom = std::max(bottom, end->rect.y + end->rect.height);
        std::stable_sort(row, end, [](const PlacedControl& a, const PlacedControl& b) { return a.rect.x < b.rect.x; });
        for (; row != end; ++row)
            order.push_back(row->id);
    }
    return order;
}
