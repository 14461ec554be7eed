// Adding an icon to the tab shown, taking the highlighted one off, and putting it back when
// the undo offer says so. Each change is stored at once, on the store as it is then
// (SettingsChange): what others changed meanwhile stays and is shown; a change that no longer
// fits, or that the store refuses, is not shown and the person is told.

#include "lumbra.h"

#include "LauncherGeometry.h"
#include "MissingPrograms.h"
#include "Navigator.h"
#include "PageBuilder.h"
#include "RemovalOffer.h"
#include "TabEntry.h"
#include "UndoOffer.h"
#include "WaitCursor.h"
#include "dialogs/CaregiverLock.h"
#include "platform/Diagnostic.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "settings/SettingsChange.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"

#include <QStringList>

#include <algorithm>

using G = LauncherGeometry;

namespace {

// The page of tab t on the screen, or -1 when another tab is shown.
int shownPage(int t, int currentTab, int selectedIcon)
{
    return t == currentTab ? selectedIcon / G::iconsPerPage() : -1;
}

} // namespace

bool lumbra::addIcon(const NewIcon &icon)
{
    const bool added = addIconToCurrentTab(icon);
    navigator->markSelection();
    return added;
}

bool lumbra::addIconToCurrentTab(const NewIcon &newIcon)
{
    const int t = currentTab();
    if (t < 0 || t >= tabs.size() || t >= theSettings.tabs.size())
        return false;
    IconInfo record;
    record.ICON_AP_PNG_FILE_NAME = newIcon.image;
    record.ICON_AP_NAME = newIcon.name;
    record.ICON_AP_TOOLTIP_NAME = newIcon.name;
    record.ICON_AP_EXE_LOCATION = newIcon.target;
    record.ICON_DATA_TYPE = newIcon.kind == ActionKind::OpenWithShell ? ActionKind::OpenWithShell
                                                                      : ActionKind::StartProgram;
    record.ICON_IS_DEFAULT_APP = 0;
    record.ICON_DIRTY = 1;
    record.ICON_SUB_TAB_ID = 0;
    int part = -1;
    const SettingsChange::Outcome outcome = SettingsChange::addIcon(theSettings, t, record).applyTo(theSettings, &part);
    // Shown but not stored, the icon would be gone at the next start without a word.
    if (!afterChange(outcome, tr("\"%1\" could not be added: Lumbra could not save its settings.").arg(newIcon.name)))
        return false;
    if (SettingsChange::redrawNeeded(outcome))
        return true;

    TabEntry *entry = tabs.at(t);
    DragIconPage *page = pageOf(t);
    // After the tab's own icons, before the installed programs its category adds.
    APIconQLabel *icon = pageBuilder->makeIcon(t, part, int(entry->icons.size()) - entry->installed);
    icon->setParent(page);
    PageBuilder::insertLabel(entry, icon, icon->position, shownPage(t, currentTab(), selectedIcon()));
    // The new icon is shown when it falls on the page on the screen.
    const int perPage = G::iconsPerPage();
    icon->setVisible(icon->position / perPage == selectedIcon() / perPage);
    navigator->showPagingButtons(t, false);
    checkTargets(t);
    return true;
}

void lumbra::removeSelectedIcon()
{
    const int t = currentTab();
    const int s = selectedIcon();
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
    const QString removed = theSettings.tabs.at(t).TAB_ITEM_ALL_ICONS.split(u'.', Qt::KeepEmptyParts).value(part);
    const QString name = icon->name;
    int landed = -1;
    const SettingsChange::Outcome outcome = SettingsChange::removeIcon(theSettings, t, part)
                                                .applyTo(theSettings, &landed);
    // Taken off the screen but not from the store, the icon would come back at the next start.
    if (!afterChange(outcome, tr("\"%1\" could not be taken off: Lumbra could not save its settings.").arg(name)))
        return;
    undo->offer({t, landed, name, SettingsChange::restoreIcon(theSettings, t, landed, removed)});
    if (SettingsChange::redrawNeeded(outcome))
        return;

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
        return navigator->showPagingButtons(t, false);
    navigator->setSelectedIcon(std::min(s, left - 1));
    // The page shown is the one that holds the highlight, also when the last icon of a page
    // was taken off.
    const int perPage = G::iconsPerPage();
    const int page = selectedIcon() / perPage;
    PageBuilder::showIconRange(tabs.at(t), page * perPage, std::min((page + 1) * perPage, left) - 1);
    navigator->highlight(icons.at(selectedIcon()));
    navigator->showPagingButtons(t, false);
}

// Labels stand for the valid entries of the list in order, so the label goes where the valid
// entries before its part end. The tab of the icon is then shown at the page that holds it,
// with the icon highlighted; a page built from now on is built from the restored list. When
// the launcher was built anew on the way, the label is there already.
void lumbra::putBackLabel(const RemovalOffer &offer, int part, bool shownAnew)
{
    const int t = offer.tab;
    if (t < 0 || t >= tabs.size())
        return;
    TabEntry *entry = tabs.at(t);
    int position = 0;
    for (int p = 0; p < part; ++p) {
        if (theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, p) >= 0)
            ++position;
    }
    if (entry->page && !shownAnew) {
        position = std::min(position, int(entry->icons.size()));
        APIconQLabel *icon = pageBuilder->makeIcon(t, part, position);
        icon->setParent(entry->page);
        PageBuilder::insertLabel(entry, icon, position, shownPage(t, currentTab(), selectedIcon()));
        navigator->markSelection();
        missing->check({icon});
    }
    navigator->goTo(t);
    navigator->showIconOf(t, position);
}
