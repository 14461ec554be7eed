// Moving about: the tab shown, folders and the way back, the pages of a tab, and the
// highlight with the "selected" flags it leaves on the widgets.

#include "lumbra.h"

#include "HighlightReporter.h"
#include "LauncherGeometry.h"
#include "PageBuilder.h"
#include "TabEntry.h"
#include "TitleBar.h"
#include "UndoOffer.h"
#include "platform/Diagnostic.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/TabQLabel.h"

#include <QLabel>
#include <QPixmap>

#include <algorithm>

using G = LauncherGeometry;

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

// The tab's label is painted selected, every other one not; the back bar goes, and with it
// every folder's way back.
void lumbra::showTab(int t)
{
    bar->backBar()->hide();
    selection.folderTrail.clear();
    for (int i = 0; i < tabs.size(); ++i) {
        if (i == t)
            tabs.at(i)->tabLabel->paintSelected();
        else
            tabs.at(i)->tabLabel->paintUnselected();
    }
    selection.currentTab = t;
    switchToTab(t);
}

// The tab's page comes on the screen at its first page, with the highlight on its first icon.
// A tab without icons starts at its first page too: an icon added to it goes there, and the
// keys move from there, not from where the highlight was on the tab before.
void lumbra::switchToTab(int t)
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
    if (tabTree().isSubTab(t))
        bar->showBackBar(shown);
    else
        bar->hideBackBar();
    const QList<APIconQLabel *> &icons = tabs.at(t)->icons;
    selection.selectedIcon = selection.previousSelectedIcon = 0;
    if (!icons.isEmpty()) {
        for (APIconQLabel *icon : icons)
            icon->refreshFace(true);
        highlight(icons.first());
    }
    pageBuilder->showPicture(t, tabs.value(t));
    shown->setGeometry(0, G::tabAreaHeight(), G::screenWidth(), G::screenHeight() - G::tabAreaHeight());
    shown->show();
    showPagingButtons(t, true);
    checkTargets(t);
    undo->place();
}

void lumbra::openSubTab(APIconQLabel *icon)
{
    const int t = selection.currentTab;
    const int iconIndex = theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t,
                                                    pageBuilder->places().partAt(t, icon->position));
    const int subTab = theSettings.getTabInt(TabIntSetting::ICON_SUB_TAB_ID, iconIndex);
    if (subTab < 1 || subTab > tabs.size()) {
        printDiagnostic(
            QStringLiteral("the folder icon \"%1\" opens tab %2, which does not exist").arg(icon->name).arg(subTab));
        return;
    }
    const int target = subTab - 1;
    // An icon that names a tab of the strip shows it as its label would.
    if (!tabTree().isSubTab(target)) {
        selection.returnTab = t;
        showTab(target);
        reporter->tabShown(tabs.at(target)->tabLabel->accessibleName());
        return;
    }
    // Back retraces the way in, one folder at a time. A folder that is already on the way
    // back is gone back up to, so that folders naming each other do not make the way endless.
    QList<int> &trail = selection.folderTrail;
    if (const qsizetype onTheWay = trail.indexOf(target); onTheWay >= 0)
        trail.resize(onTheWay);
    else if (target != t)
        trail.append(t);
    selection.returnTab = trail.isEmpty() ? t : trail.last();
    selection.selectedIcon = selection.previousSelectedIcon = 0;
    selection.currentTab = target;
    bar->showBackBar(pageOf(target));
    switchToTab(target);
    reporter->tabShown(tabs.at(target)->tabLabel->accessibleName());
}

// One folder up the way it was opened; from a folder shown without that way (a tab's label
// pressed in between, an icon put back) to the tab it lies under; from a tab of the strip to
// the tab shown before it.
void lumbra::goBack()
{
    if (tabs.isEmpty())
        return;
    QList<int> &trail = selection.folderTrail;
    int target = std::clamp(selection.returnTab, 0, int(tabs.size()) - 1);
    if (!trail.isEmpty())
        target = trail.takeLast();
    else if (tabTree().isSubTab(selection.currentTab))
        target = tabTree().parentOf(selection.currentTab);
    if (tabTree().isSubTab(target)) {
        // The labels keep their looks: the tab of the strip the folders lie in stays selected.
        selection.returnTab = trail.isEmpty() ? target : trail.last();
        selection.currentTab = target;
        switchToTab(target);
    } else {
        selection.currentTab = target;
        showTab(target);
    }
    reporter->tabShown(tabs.at(target)->tabLabel->accessibleName());
}

void lumbra::chooseTab(TabQLabel *tab)
{
    selection.returnTab = selection.currentTab;
    dispatchAction(nullptr, nullptr, tab);
}

// The page `pages` before or after the one that holds the highlight, if the tab has it, with
// the highlight on its first icon.
void lumbra::turnPage(int pages)
{
    const int t = selection.currentTab;
    const int perPage = G::iconsPerPage();
    const int page = selection.selectedIcon / perPage + pages;
    if (page < 0 || t >= tabs.size() || (pages > 0 && page * perPage >= tabs.at(t)->icons.size()))
        return;
    PageBuilder::showIconRange(tabs.at(t), page * perPage, (page + 1) * perPage - 1);
    selection.selectedIcon = selection.previousSelectedIcon = page * perPage;
    for (APIconQLabel *icon : std::as_const(tabs.at(t)->icons))
        icon->refreshFace(true);
    if (APIconQLabel *icon = iconAt(t, selection.selectedIcon))
        highlight(icon);
}

// The paging buttons follow the number of icons on tab t; from its first page, its first
// page's icons are shown.
void lumbra::showPagingButtons(int t, bool fromTheFirstPage)
{
    const int count = int(tabs.at(t)->icons.size());
    const int perPage = G::iconsPerPage();
    bar->showPagingButtons(tabs.at(t)->page, count > perPage);
    if (fromTheFirstPage)
        PageBuilder::showIconRange(tabs.at(t), 0, std::min(count, perPage) - 1);
}

// The mask goes under the normal face, never under an earlier highlight.
void lumbra::highlight(APIconQLabel *icon)
{
    icon->refreshFace(true);
    icon->refreshFace(false);
    reporter->highlighted(icon, icon->name);
}

void lumbra::selectIcon(int position)
{
    APIconQLabel *icon = iconAt(selection.currentTab, position);
    if (!icon)
        return;
    if (APIconQLabel *previous = iconAt(selection.currentTab, selection.selectedIcon))
        previous->refreshFace(true);
    selection.selectedIcon = selection.previousSelectedIcon = position;
    highlight(icon);
    markSelection();
}

// The pointer selects the icon it comes onto, as the arrow keys do; the icon paints its own
// highlight. The page's first icon and the one highlighted before are painted normal again.
void lumbra::iconHovered(APIconQLabel *icon, bool entered)
{
    if (!entered) {
        reporter->pointerLeft(icon);
        return;
    }
    selection.previousSelectedIcon = selection.selectedIcon;
    selection.selectedIcon = icon->position;
    if (APIconQLabel *first = iconAt(selection.currentTab, 0))
        first->refreshFace(true);
    if (APIconQLabel *previous = iconAt(selection.currentTab, selection.previousSelectedIcon))
        previous->refreshFace(true);
    reporter->pointerEntered(icon, icon->name);
    markSelection();
}

// Puts the widgets' "selected" flags on the icon at selectedIcon of the tab shown and on the
// tab's label, and takes them off the others.
void lumbra::markSelection()
{
    APIconQLabel *icon = iconAt(selection.currentTab, selection.selectedIcon);
    if (markedIcon != icon) {
        if (markedIcon)
            markedIcon->setSelected(false);
        markedIcon = icon;
        if (icon)
            icon->setSelected(true);
    }
    for (const TabEntry *entry : std::as_const(tabs)) {
        if (entry->tabLabel)
            entry->tabLabel->setSelected(entry->tabLabel->tabIndex == selection.currentTab);
    }
}
