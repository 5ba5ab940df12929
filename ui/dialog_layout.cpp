#include "ui/dialog_layout.h"

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
