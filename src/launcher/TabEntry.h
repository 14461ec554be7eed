#pragma once

#include <QList>

class APIconQLabel;
class DragIconPage;
class TabQLabel;

// What the launcher window holds for one tab: its icon labels in the order of the tab's
// TAB_ITEM_ALL_ICONS, the page they stand on, and its label in the strip.
struct TabEntry
{
    QList<APIconQLabel *> icons;
    DragIconPage *page = nullptr;
    TabQLabel *tabLabel = nullptr;
};
