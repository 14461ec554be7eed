#pragma once

#include <QList>
#include <QStringList>

// Which tabs stand in the strip and which are folders, opened from an icon. A tab whose
// TAB_ITEM_PARENT is 0 stands in the strip; any other value names the tab, by its 1-based
// place in the list, that the folder lies under. A parent that names no tab, or parents that
// lead round in a ring, would leave a folder with no way up to the strip: such a tab stands
// in the strip, and the fault is told once.
class TabTree
{
public:
    TabTree() = default;
    // `parents`: TAB_ITEM_PARENT of each tab, in the order of the list.
    explicit TabTree(const QList<int> &parents);

    bool isSubTab(int t) const { return parentOf(t) >= 0; }
    // The index of the tab a folder lies under; -1 for a tab of the strip or none at all.
    int parentOf(int t) const { return parent.value(t, -1); }
    // The tabs of the strip, in the order of the list.
    const QList<int> &stripTabs() const { return strip; }
    // One line for each fault in the parents.
    const QStringList &problems() const { return faults; }

private:
    void breakRings(QList<int> &named);

    QList<int> parent;
    QList<int> strip;
    QStringList faults;
};
