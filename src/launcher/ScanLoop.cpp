#include "ScanLoop.h"

#include <algorithm>

namespace {

// A list of a hundred thousand steps would take days to go round at any step time; the
// loop is cut there rather than asking for memory a broken tree could make unbounded.
constexpr int kMostSteps = 100000;

void append(QList<ScanLoop::Step> &steps, ScanLoop::Step::Kind kind, int index)
{
    if (steps.size() < kMostSteps)
        steps.append({kind, index});
}

} // namespace

bool ScanLoop::View::operator==(const View &other) const
{
    return firstIcon == other.firstIcon && iconCount == other.iconCount && pageDownShown == other.pageDownShown
        && backShown == other.backShown && topLevelTabs == other.topLevelTabs && houseShown == other.houseShown
        && dialogButtons == other.dialogButtons;
}

QList<ScanLoop::Step> ScanLoop::of(const View &view)
{
    QList<Step> steps;
    if (view.dialogButtons >= 0) {
        for (int b = 0; b < std::min(view.dialogButtons, kMostSteps); ++b)
            append(steps, Step::DialogButton, b);
        return steps;
    }
    for (int i = 0; i < std::min(view.iconCount, kMostSteps); ++i)
        append(steps, Step::Icon, view.firstIcon + i);
    if (view.pageDownShown)
        append(steps, Step::PageDown, 0);
    if (view.backShown)
        append(steps, Step::Back, 0);
    for (int t = 0; t < std::min(view.topLevelTabs, kMostSteps); ++t)
        append(steps, Step::Tab, t);
    if (view.houseShown)
        append(steps, Step::House, 0);
    return steps;
}
