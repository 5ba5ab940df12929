#include "ui/dialog_layout.h"

#include <algorithm>

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
