// Adding an icon to the tab shown, taking the highlighted one off, and putting it back when
// the undo offer says so. Each change is stored at once; a change the store refuses is
// taken back and the person is told.

#include "lumbra.h"

#include "LauncherGeometry.h"
#include "MissingPrograms.h"
#include "RemovalOffer.h"
#include "TabEntry.h"
#include "UndoOffer.h"
#include "WaitCursor.h"
#include "dialogs/CaregiverLock.h"
#include "platform/Diagnostic.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"

#include <QStringList>

#include <algorithm>

using G = LauncherGeometry;

bool lumbra::addIcon(const NewIcon &icon)
{
    const bool added = addIconToCurrentTab(icon);
    markSelection();
    return added;
}

bool lumbra::addIconToCurrentTab(const NewIcon &newIcon)
{
    const int t = selection.currentTab;
    if (t < 0 || t >= tabs.size() || t >= theSettings.tabs.size())
        return false;
    IconInfo record;
    record.ICON_ID = int(theSettings.icons.size()) + 1;
    record.ICON_AP_PNG_FILE_NAME = newIcon.image;
    record.ICON_AP_NAME = newIcon.name;
    record.ICON_AP_TOOLTIP_NAME = newIcon.name;
    record.ICON_AP_EXE_LOCATION = newIcon.target;
    record.ICON_DATA_TYPE = newIcon.kind == ActionKind::OpenWithShell ? ActionKind::OpenWithShell
                                                                      : ActionKind::StartProgram;
    record.ICON_IS_DEFAULT_APP = 0;
    record.ICON_DIRTY = 1;
    record.ICON_SUB_TAB_ID = 0;
    theSettings.icons.append(record);
    QString &list = theSettings.tabs[t].TAB_ITEM_ALL_ICONS;
    const QString listBefore = list;
    list = list.isEmpty() ? QString::number(record.ICON_ID) : list + u'.' + QString::number(record.ICON_ID);
    if (!saveAllSettings(theSettings)) {
        // Shown but not stored, the icon would be gone at the next start without a word.
        theSettings.icons.removeLast();
        list = listBefore;
        printDiagnostic(QStringLiteral("the new icon \"%1\" could not be stored").arg(newIcon.name));
        tellNotSaved(tr("\"%1\" could not be added: Lumbra could not save its settings.").arg(newIcon.name));
        return false;
    }

    TabEntry *entry = tabs.at(t);
    const int parts = theSettings.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t);
    APIconQLabel *icon = makeIcon(t, parts - 1, int(entry->icons.size()));
    icon->setParent(pageOf(t));
    entry->icons.append(icon);
    // The new icon is shown when it falls on the page on the screen.
    const int perPage = G::iconsPerPage();
    icon->setVisible(icon->position / perPage == selection.selectedIcon / perPage);
    showPagingButtons(t, false);
    checkTargets(t);
    return true;
}

void lumbra::removeSelectedIcon()
{
    const int t = selection.currentTab;
    const int s = selection.selectedIcon;
    APIconQLabel *icon = iconAt(t, s);
    if (!icon || t >= theSettings.tabs.size())
        return;
    const int part = TabEntry::storePartOf(t, s);
    if (part < 0 || theSettings.getTabIconInt(TabIconIntSetting::ICON_IS_DEFAULT_APP, t, part) != 0)
        return;
    if (!CaregiverLock::allow(CaregiverLock::Action::Delete, this))
        return;
    printDiagnostic(QString::number(theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, part) + 1));
    WaitCursor wait;
    // Exactly the entry under the highlight goes, even when the same icon is listed twice.
    QString &list = theSettings.tabs[t].TAB_ITEM_ALL_ICONS;
    const QString listBefore = list;
    QStringList parts = list.split(u'.', Qt::KeepEmptyParts);
    const QString removed = parts.takeAt(part);
    list = parts.join(u'.');
    if (!saveAllSettings(theSettings)) {
        // Taken off the screen but not from the store, the icon would come back at the next start.
        list = listBefore;
        printDiagnostic(QStringLiteral("taking the icon \"%1\" off could not be stored").arg(icon->name));
        tellNotSaved(tr("\"%1\" could not be taken off: Lumbra could not save its settings.").arg(icon->name));
        return;
    }
    undo->offer({t, part, removed, listBefore, list, s, icon->name});

    QList<APIconQLabel *> &icons = tabs[t]->icons;
    icons.removeAt(s);
    icon->hide();
    icon->deleteLater();
    for (int position = s; position < icons.size(); ++position) {
        APIconQLabel *later = icons.at(position);
        later->position = position;
        const QPoint cell = G::cellOf(position);
        later->moveTo(cell.x(), cell.y());
    }
    const int left = int(icons.size());
    if (left == 0)
        return showPagingButtons(t, false);
    selection.selectedIcon = selection.previousSelectedIcon = std::min(s, left - 1);
    // The page shown is the one that holds the highlight, also when the last icon of a page
    // was taken off.
    const int perPage = G::iconsPerPage();
    const int page = selection.selectedIcon / perPage;
    showIconRange(t, page * perPage, std::min((page + 1) * perPage, left) - 1);
    highlight(icons.at(selection.selectedIcon));
    showPagingButtons(t, false);
}

// Labels stand for the valid entries of the list in order, so the label goes where the valid
// entries before its part end. The tab of the icon is then shown at the page that holds it,
// with the icon highlighted; a page built from now on is built from the restored list.
void lumbra::putBackLabel(const RemovalOffer &offer, int part)
{
    const int t = offer.tab;
    TabEntry *entry = tabs.at(t);
    int position = 0;
    if (entry->page) {
        for (int p = 0; p < part; ++p) {
            if (theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, p) >= 0)
                ++position;
        }
        position = std::min(position, int(entry->icons.size()));
        APIconQLabel *icon = makeIcon(t, part, position);
        icon->setParent(entry->page);
        entry->icons.insert(position, icon);
        for (int p = position; p < entry->icons.size(); ++p) {
            APIconQLabel *label = entry->icons.at(p);
            label->position = p;
            const QPoint cell = G::cellOf(p);
            label->moveTo(cell.x(), cell.y());
        }
        markSelection();
        missing->check({icon});
    }
    if (t != selection.currentTab && !tree.isSubTab(t)) {
        showTab(t);
    } else if (t != selection.currentTab) {
        selection.currentTab = t;
        selection.folderTrail.clear();
        switchToTab(t);
    }
    const QList<APIconQLabel *> &icons = entry->icons;
    if (position < icons.size()) {
        const int perPage = G::iconsPerPage();
        const int page = position / perPage;
        showIconRange(t, page * perPage, (page + 1) * perPage - 1);
        for (APIconQLabel *icon : icons)
            icon->refreshFace(true);
        selection.selectedIcon = selection.previousSelectedIcon = position;
        highlight(icons.at(position));
        showPagingButtons(selection.currentTab, false);
    }
    markSelection();
}
