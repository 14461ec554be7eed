#include "Navigator.h"

#include "HighlightReporter.h"
#include "LauncherGeometry.h"
#include "PageBuilder.h"
#include "TabEntry.h"
#include "TitleBar.h"
#include "lumbra.h"
#include "platform/Diagnostic.h"
#include "platform/WindowMessages.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/TabQLabel.h"

#include <QLabel>
#include <QPixmap>

#include <algorithm>

using G = LauncherGeometry;

Navigator::Navigator(lumbra *launcher, const QList<TabEntry *> &tabs, PageBuilder *pageBuilder,
                     HighlightReporter *reporter, std::function<DragIconPage *(int)> pageOf)
    : QObject(launcher),
      launcher(launcher),
      tabs(tabs),
      pageBuilder(pageBuilder),
      reporter(reporter),
      pageOf(std::move(pageOf))
{
    connect(pageBuilder, &PageBuilder::iconHovered, this, &Navigator::iconHovered);
}

void Navigator::showTab(int t)
{
    launcher->titleBar()->backBar()->hide();
    where.folderTrail.clear();
    for (int i = 0; i < tabs.size(); ++i) {
        if (i == t)
            tabs.at(i)->tabLabel->paintSelected();
        else
            tabs.at(i)->tabLabel->paintUnselected();
    }
    where.currentTab = t;
    switchToTab(t);
}

// A tab without icons starts at its first page too: an icon added to it goes there, and the
// keys move from there, not from where the highlight was on the tab before.
void Navigator::switchToTab(int t)
{
    DragIconPage *shown = pageOf(t);
    if (!shown)
        return;
    for (int i = 0; i < tabs.size(); ++i) {
        DragIconPage *page = tabs.at(i)->page;
        if (i == t || !page)
            continue;
        // Only the page on the screen keeps its picture in memory.
        page->setPixmap(QPixmap());
        page->hide();
    }
    TitleBar *bar = launcher->titleBar();
    if (launcher->tabTree().isSubTab(t))
        bar->showBackBar(shown);
    else
        bar->hideBackBar();
    const QList<APIconQLabel *> &icons = tabs.at(t)->icons;
    where.selectedIcon = where.previousSelectedIcon = 0;
    if (!icons.isEmpty()) {
        for (APIconQLabel *icon : icons)
            icon->refreshFace(true);
        highlight(icons.first());
    }
    pageBuilder->showPicture(t, tabs.value(t));
    shown->setGeometry(0, G::tabAreaHeight(), G::screenWidth(), G::screenHeight() - G::tabAreaHeight());
    shown->show();
    showPagingButtons(t, true);
    emit switched(t);
}

void Navigator::goTo(int t)
{
    if (t != where.currentTab && !launcher->tabTree().isSubTab(t)) {
        showTab(t);
    } else if (t != where.currentTab) {
        where.currentTab = t;
        where.folderTrail.clear();
        switchToTab(t);
    }
}

void Navigator::openSubTab(APIconQLabel *icon)
{
    const int t = where.currentTab;
    const int iconIndex = theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t,
                                                    TabEntry::storePartOf(t, icon->position));
    const int subTab = theSettings.getTabInt(TabIntSetting::ICON_SUB_TAB_ID, iconIndex);
    if (subTab < 1 || subTab > tabs.size()) {
        printDiagnostic(
            QStringLiteral("the folder icon \"%1\" opens tab %2, which does not exist").arg(icon->name).arg(subTab));
        return;
    }
    const int target = subTab - 1;
    // An icon that names a tab of the strip shows it as its label would.
    if (!launcher->tabTree().isSubTab(target)) {
        where.returnTab = t;
        showTab(target);
        reporter->tabShown(tabs.at(target)->tabLabel->accessibleName());
        return;
    }
    // Back retraces the way in, one folder at a time. A folder that is already on the way
    // back is gone back up to, so that folders naming each other do not make the way endless.
    QList<int> &trail = where.folderTrail;
    if (const qsizetype onTheWay = trail.indexOf(target); onTheWay >= 0)
        trail.resize(onTheWay);
    else if (target != t)
        trail.append(t);
    where.returnTab = trail.isEmpty() ? t : trail.last();
    where.selectedIcon = where.previousSelectedIcon = 0;
    where.currentTab = target;
    launcher->titleBar()->showBackBar(pageOf(target));
    switchToTab(target);
    reporter->tabShown(tabs.at(target)->tabLabel->accessibleName());
}

// One folder up the way it was opened; from a folder shown without that way (a tab's label
// pressed in between, an icon put back) to the tab it lies under; from a tab of the strip to
// the tab shown before it.
void Navigator::goBack()
{
    if (tabs.isEmpty())
        return;
    const TabTree &tree = launcher->tabTree();
    QList<int> &trail = where.folderTrail;
    int target = std::clamp(where.returnTab, 0, int(tabs.size()) - 1);
    if (!trail.isEmpty())
        target = trail.takeLast();
    else if (tree.isSubTab(where.currentTab))
        target = tree.parentOf(where.currentTab);
    if (tree.isSubTab(target)) {
        // The labels keep their looks: the tab of the strip the folders lie in stays selected.
        where.returnTab = trail.isEmpty() ? target : trail.last();
        where.currentTab = target;
        switchToTab(target);
    } else {
        where.currentTab = target;
        showTab(target);
    }
    reporter->tabShown(tabs.at(target)->tabLabel->accessibleName());
}

void Navigator::chooseTab(TabQLabel *tab)
{
    where.returnTab = where.currentTab;
    launcher->dispatchAction(nullptr, nullptr, tab);
}

// From a sub-tab, Tab goes to the first tab of the strip and Shift+Tab, as from the first
// tab, to the last.
void Navigator::moveToTab(int step)
{
    const QList<int> &strip = launcher->tabTree().stripTabs();
    const int count = int(strip.size());
    if (count == 0)
        return;
    int &current = where.currentTab;
    if (TabEntry *entry = tabs.value(current))
        entry->tabLabel->paintUnselected();
    const int place = int(strip.indexOf(current));
    if (step > 0)
        current = strip.at(place >= 0 && place < count - 1 ? place + 1 : 0);
    else
        current = strip.at(place >= 1 ? place - 1 : count - 1);
    launcher->dispatchAction(nullptr, nullptr, tabs.at(current)->tabLabel);
}

void Navigator::moveHighlight(unsigned key)
{
    const int t = where.currentTab;
    if (t < 0 || t >= tabs.size())
        return;
    const int count = int(tabs.at(t)->icons.size());
    const int columns = G::columnCount();
    const int perPage = G::iconsPerPage();
    const int s = where.selectedIcon;
    int target = s;
    switch (key) {
    case platform::kVkLeft:
        target = s - 1;
        break;
    case platform::kVkRight:
        target = s + 1;
        break;
    case platform::kVkUp:
        target = s / columns > 0 ? s - columns : -1;
        break;
    case platform::kVkDown:
        target = s + columns;
        break;
    default:
        return;
    }
    if (target < 0 || target >= count)
        return;
    const int page = s / perPage;
    if (target / perPage == page) {
        if (APIconQLabel *previous = launcher->iconAt(t, where.previousSelectedIcon))
            previous->refreshFace(true);
        if (APIconQLabel *current = launcher->iconAt(t, s))
            current->refreshFace(true);
        where.previousSelectedIcon = key == platform::kVkLeft || key == platform::kVkRight ? s : target;
        where.selectedIcon = target;
        highlight(launcher->iconAt(t, target));
        return;
    }
    // Across a page boundary: the page action shows the new page and highlights its first
    // icon, which the key then moves on to its own target.
    turnPage(target / perPage < page ? -1 : 1);
    if (key == platform::kVkRight)
        return;
    if (APIconQLabel *first = launcher->iconAt(t, where.selectedIcon))
        first->refreshFace(true);
    where.selectedIcon = target;
    highlight(launcher->iconAt(t, target));
}

// The page `pages` before or after the one that holds the highlight, if the tab has it, with
// the highlight on its first icon.
void Navigator::turnPage(int pages)
{
    const int t = where.currentTab;
    const int perPage = G::iconsPerPage();
    const int page = where.selectedIcon / perPage + pages;
    if (page < 0 || t >= tabs.size() || (pages > 0 && page * perPage >= tabs.at(t)->icons.size()))
        return;
    PageBuilder::showIconRange(tabs.at(t), page * perPage, (page + 1) * perPage - 1);
    where.selectedIcon = where.previousSelectedIcon = page * perPage;
    for (APIconQLabel *icon : std::as_const(tabs.at(t)->icons))
        icon->refreshFace(true);
    if (APIconQLabel *icon = launcher->iconAt(t, where.selectedIcon))
        highlight(icon);
}

// The paging buttons follow the number of icons on tab t; from its first page, its first
// page's icons are shown.
void Navigator::showPagingButtons(int t, bool fromTheFirstPage)
{
    const int count = int(tabs.at(t)->icons.size());
    const int perPage = G::iconsPerPage();
    launcher->titleBar()->showPagingButtons(tabs.at(t)->page, count > perPage);
    if (fromTheFirstPage)
        PageBuilder::showIconRange(tabs.at(t), 0, std::min(count, perPage) - 1);
}

void Navigator::showIconOf(int t, int position)
{
    const QList<APIconQLabel *> &icons = tabs.at(t)->icons;
    if (!icons.isEmpty()) {
        position = std::clamp(position, 0, int(icons.size()) - 1);
        const int perPage = G::iconsPerPage();
        const int page = position / perPage;
        PageBuilder::showIconRange(tabs.at(t), page * perPage, (page + 1) * perPage - 1);
        for (APIconQLabel *icon : icons)
            icon->refreshFace(true);
        where.selectedIcon = where.previousSelectedIcon = position;
        highlight(icons.at(position));
        showPagingButtons(t, false);
    }
    markSelection();
}

// The mask goes under the normal face, never under an earlier highlight.
void Navigator::highlight(APIconQLabel *icon)
{
    icon->refreshFace(true);
    icon->refreshFace(false);
    reporter->highlighted(icon, icon->name);
}

void Navigator::selectIcon(int position)
{
    APIconQLabel *icon = launcher->iconAt(where.currentTab, position);
    if (!icon)
        return;
    if (APIconQLabel *previous = launcher->iconAt(where.currentTab, where.selectedIcon))
        previous->refreshFace(true);
    where.selectedIcon = where.previousSelectedIcon = position;
    highlight(icon);
    markSelection();
}

// The pointer selects the icon it comes onto, as the arrow keys do; the icon paints its own
// highlight. The page's first icon and the one highlighted before are painted normal again.
void Navigator::iconHovered(APIconQLabel *icon, bool entered)
{
    if (!entered) {
        reporter->pointerLeft(icon);
        return;
    }
    where.previousSelectedIcon = where.selectedIcon;
    where.selectedIcon = icon->position;
    if (APIconQLabel *first = launcher->iconAt(where.currentTab, 0))
        first->refreshFace(true);
    if (APIconQLabel *previous = launcher->iconAt(where.currentTab, where.previousSelectedIcon))
        previous->refreshFace(true);
    reporter->pointerEntered(icon, icon->name);
    markSelection();
}

// Puts the widgets' "selected" flags on the icon at selectedIcon of the tab shown and on the
// tab's label, and takes them off the others.
void Navigator::markSelection()
{
    APIconQLabel *icon = launcher->iconAt(where.currentTab, where.selectedIcon);
    if (markedIcon != icon) {
        if (markedIcon)
            markedIcon->setSelected(false);
        markedIcon = icon;
        if (icon)
            icon->setSelected(true);
    }
    for (const TabEntry *entry : std::as_const(tabs)) {
        if (entry->tabLabel)
            entry->tabLabel->setSelected(entry->tabLabel->tabIndex == where.currentTab);
    }
}
