#pragma once

#include <QList>

class APIconQLabel;
class DragIconPage;
class TabQLabel;

// What the launcher window holds for one tab: its icon labels in the order of the tab's
// TAB_ITEM_ALL_ICONS (TabPlaces says which entries have one), the page they stand on, and its
// label in the strip.
struct TabEntry
{
    QList<APIconQLabel *> icons;
    DragIconPage *page = nullptr;
    TabQLabel *tabLabel = nullptr;

    // A tab shows the icons of the first this many places of its list. Every icon keeps its
    // painted faces, so a broken store listing tens of thousands would take the memory of a
    // small machine and minutes to build; no one pages through more than this.
    static constexpr int kMaxPlaces = 1000;
    // How many places of tab t's list are shown, and that a label's position is counted over.
    static int shownPlaces(int t);
};
