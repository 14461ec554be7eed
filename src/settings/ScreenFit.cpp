#include "ScreenFit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The factory's 64-pixel tab strip and three 136-pixel rows on the 768-pixel screen they are
// drawn for: a screen's height is filled this far by the strip and the rows.
constexpr double kFilledHeight = 64 + 3 * 136;
constexpr double kDesignHeight = 768;
// Below this a launcher is a few pixels whatever it does; absurd sizes stop here.
constexpr double kLeastScale = 1.0 / 4096;

// The largest scale at which the columns, with at least the least gap between them, fit
// between the reserves, and the last one stays clear of the paging buttons.
double widthScale(const ScreenFit::Sizes &sizes)
{
    const double columns = sizes.columns;
    const double cells = columns * sizes.iconWidth;
    if (cells <= 0)
        return std::numeric_limits<double>::infinity();
    const double reserve = double(sizes.screenWidth) * sizes.reserveVertical / 100;
    const double gaps = (columns - 1) * ScreenFit::kLeastGap;
    const double betweenReserves = (double(sizes.screenWidth) - 2 * reserve - gaps) / cells;
    const double clearOfPaging = (double(sizes.screenWidth) - reserve - gaps) / (cells + sizes.pagingWidth);
    return std::min(betweenReserves, clearOfPaging);
}

// The largest scale at which the strip and the three rows, with at least the least gap
// between the rows, fit between the reserves above and below.
double heightScale(const ScreenFit::Sizes &sizes)
{
    const double content = 3.0 * sizes.iconHeight + sizes.tabHeight;
    if (content <= 0)
        return std::numeric_limits<double>::infinity();
    const double reserve = double(sizes.screenHeight) * sizes.reserveHorizontal / 100;
    return (double(sizes.screenHeight) - 2 * reserve - 2.0 * ScreenFit::kLeastGap) / content;
}

} // namespace

double ScreenFit::scaleFor(const Sizes &sizes)
{
    double scale = 1;
    const double content = 3.0 * sizes.iconHeight + sizes.tabHeight;
    if (sizes.fitToScreen && content > 0 && sizes.screenHeight > 0) {
        // In this grouping the factory sizes on a 768-pixel screen give exactly 1.
        scale = (double(sizes.screenHeight) * kFilledHeight) / (kDesignHeight * content);
    }
    scale = std::min({scale, widthScale(sizes), heightScale(sizes)});
    if (!(scale >= kLeastScale))
        return kLeastScale;
    return scale;
}

int ScreenFit::scaled(int size, double scale)
{
    if (scale == 1 || size <= 0)
        return size;
    const double result = std::floor(double(size) * scale);
    return int(std::clamp(result, 1.0, double(std::numeric_limits<int>::max())));
}
