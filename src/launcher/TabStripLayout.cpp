#include "TabStripLayout.h"

#include <algorithm>

TabStripLayout TabStripLayout::fitting(int count, int separatorWidth, int tabWidth, int tabHeight, int end)
{
    TabStripLayout layout{separatorWidth, tabWidth, tabHeight};
    if (count <= 0)
        return layout;
    const qint64 needed = separatorWidth + qint64(count) * (qint64(tabWidth) + separatorWidth);
    if (needed > end) {
        const qint64 shared = (qint64(end) - separatorWidth) / count - separatorWidth;
        layout.tabWidth = int(std::clamp<qint64>(shared, 1, tabWidth));
    }
    return layout;
}

QRect TabStripLayout::tab(int k) const
{
    return QRect(separatorWidth + k * (tabWidth + separatorWidth), 0, tabWidth, tabHeight);
}

int TabStripLayout::separatorAfter(int k) const
{
    return (k + 1) * (tabWidth + separatorWidth);
}

QRect TabStripLayout::picture(int size) const
{
    const int side = std::clamp(size, 0, std::max(0, tabWidth));
    return QRect(0, 0, side, side);
}
