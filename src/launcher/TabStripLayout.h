#pragma once

#include <QRect>

// Where the labels of the tab strip stand: side by side from the left edge, with a
// separator before the first and after each. They are as wide as the settings say while all
// of them end before the title-bar buttons; where they would not, all are made narrower
// alike, down to their pictures and, past that, narrower than their pictures too, so that no
// label ever lies under a button.
struct TabStripLayout
{
    int separatorWidth = 0;
    int tabWidth = 0;
    int tabHeight = 0;

    // For `count` labels that must end at `end` (TitleBarLayout::tabsEnd).
    static TabStripLayout fitting(int count, int separatorWidth, int tabWidth, int tabHeight, int end);

    // The label at place k (0 is the first label the strip shows).
    QRect tab(int k) const;
    // The separator before the first label, and the one after the label at place k.
    int leadingSeparator() const { return separatorWidth; }
    int separatorAfter(int k) const;
    // A tab picture `size` pixels square, no wider than the label.
    QRect picture(int size) const;
};
