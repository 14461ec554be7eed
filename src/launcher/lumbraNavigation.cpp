// The tabs and the selection as the widgets, the scanner and the tests see them; moving about
// them is the Navigator's.

#include "lumbra.h"

#include "Navigator.h"
#include "TabEntry.h"

APIconQLabel *lumbra::iconAt(int t, int position) const
{
    if (t < 0 || t >= tabs.size())
        return nullptr;
    const QList<APIconQLabel *> &icons = tabs.at(t)->icons;
    return position >= 0 && position < icons.size() ? icons.at(position) : nullptr;
}

const TabEntry *lumbra::tab(int t) const
{
    return t >= 0 && t < tabs.size() ? tabs.at(t) : nullptr;
}

int lumbra::currentTab() const
{
    return navigator->selection().currentTab;
}

int lumbra::selectedIcon() const
{
    return navigator->selection().selectedIcon;
}

void lumbra::selectIcon(int position)
{
    navigator->selectIcon(position);
}

void lumbra::chooseTab(TabQLabel *tab)
{
    navigator->chooseTab(tab);
}
