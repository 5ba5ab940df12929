#include "controls/progress_width.h"

int ProgressBarWidth(int clientWidth, int low, int high, int position)
{
    const double span = static_cast<double>(high) - static_cast<double>(low);
    if (span == 0.0)
        return 0;
    const double width = static_cast<double>(clientWidth) / span * static_cast<double>(position);
    // Whatever lies beyond the client area is clipped by the paint anyway.
    if (width >= static_cast<double>(clientWidth))
        return clientWidth;
    if (width <= 0.0)
        return 0;
    return static_cast<int>(width);
}
