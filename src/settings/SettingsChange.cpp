#include "SettingsChange.h"

#include "platform/Diagnostic.h"
#include "RecordFields_p.h"
#include "RegistryAccess.h"
#include "RegistryPaths.h"
#include "SettingStore.h"
#include "SettingsPersistence.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/RegistryScope.h"

#include <QStringList>

#include <string>

namespace {

// The numbers a person sets through the dialogs and the launcher's buttons.
const char *const kPersonalNumbers[] = {"IS_FIRST_RUN",         "CURRENT_THEME",    "MUSIC_BACKGROUND_ON",
                                        "ALWAYS_ON_BACKGROUND", "STARTWHENBOOTING", "SPEAK_NAMES"};

int MySystem::*numberField(const QString &name)
{
    for (const char *personal : kPersonalNumbers) {
        if (name != QLatin1String(personal))
            continue;
        for (const RecordField<MySystem> &field : mySystemFields) {
            if (field.number && name == QLatin1String(field.name))
                return field.number;
        }
    }
    return nullptr;
}

QStringList entriesOf(const QString &list)
{
    return list.isEmpty() ? QStringList() : list.split(u'.', Qt::KeepEmptyParts);
}

// The record of icon number `entry`, or nothing.
const IconInfo *iconNamed(const SettingStore &tree, const QString &entry)
{
    bool ok = false;
    const int number = entry.toInt(&ok, 10);
    return ok && number >= 1 && number <= tree.icons.size() ? &tree.icons.at(number - 1) : nullptr;
}

bool isSameIcon(const IconInfo &a, const IconInfo &b)
{
    return a.ICON_DATA_TYPE == b.ICON_DATA_TYPE && a.ICON_AP_EXE_LOCATION == b.ICON_AP_EXE_LOCATION
        && a.ICON_SUB_TAB_ID == b.ICON_SUB_TAB_ID;
}

} // namespace

// The values a change writes, and nothing else.
struct SettingsChange::Touched
{
    QList<int> tabLists; // tab indexes whose TAB_ITEM_ALL_ICONS changed
    int position = -1;   // where in that list the change landed
    int newIcon = 0;     // the number of an icon made, all of whose values are written
    QString number;      // a MySystem number by its value name
};

SettingsChange::SettingsChange(Kind kind)
    : kind(kind)
{
}

SettingsChange::SettingsChange(Kind kind, const SettingStore &shown, int tabIndex)
    : kind(kind)
    , tabIndex(tabIndex)
{
    if (tabIndex >= 0 && tabIndex < shown.tabs.size())
        tabId = shown.tabs.at(tabIndex).TAB_ITEM_ID;
    else
        this->tabIndex = -1;
}

SettingsChange SettingsChange::removeIcon(const SettingStore &shown, int tabIndex, int position)
{
    SettingsChange change(Kind::RemoveIcon, shown, tabIndex);
    change.position = position;
    if (change.tabIndex >= 0) {
        const QStringList entries = entriesOf(shown.tabs.at(tabIndex).TAB_ITEM_ALL_ICONS);
        change.entry = entries.value(position);
    }
    if (const IconInfo *named = iconNamed(shown, change.entry)) {
        change.icon = *named;
        change.iconKnown = true;
    }
    return change;
}

SettingsChange SettingsChange::restoreIcon(const SettingStore &shown, int tabIndex, int position,
                                           const QString &entry)
{
    SettingsChange change(Kind::RestoreIcon, shown, tabIndex);
    change.position = position;
    change.entry = entry;
    if (const IconInfo *named = iconNamed(shown, entry)) {
        change.icon = *named;
        change.iconKnown = true;
    }
    return change;
}

SettingsChange SettingsChange::addIcon(const SettingStore &shown, int tabIndex, const IconInfo &icon)
{
    SettingsChange change(Kind::AddIcon, shown, tabIndex);
    change.icon = icon;
    return change;
}

SettingsChange SettingsChange::setNumber(const QString &valueName, int value)
{
    SettingsChange change(Kind::SetNumber);
    change.valueName = valueName;
    change.value = value;
    return change;
}

bool SettingsChange::redrawNeeded(Outcome outcome)
{
    return outcome == Outcome::SavedAfterReload || outcome == Outcome::NoLongerFits;
}

bool SettingsChange::fits(const SettingStore &tree) const
{
    SettingStore copy = tree;
    Touched touched;
    return makeOn(copy, &touched);
}

bool SettingsChange::sameTab(const SettingStore &tree) const
{
    return tabIndex >= 0 && tabIndex < tree.tabs.size() && tree.tabs.at(tabIndex).TAB_ITEM_ID == tabId;
}

bool SettingsChange::sameIcon(const SettingStore &tree, const QString &listed) const
{
    const IconInfo *named = iconNamed(tree, listed);
    return iconKnown && named && isSameIcon(*named, icon);
}

bool SettingsChange::removeFrom(SettingStore &tree, Touched *touched) const
{
    if (!sameTab(tree) || !sameIcon(tree, entry))
        return false;
    QString &list = tree.tabs[tabIndex].TAB_ITEM_ALL_ICONS;
    QStringList entries = entriesOf(list);
    int at = position >= 0 && position < entries.size() && entries.at(position) == entry ? position : -1;
    if (at < 0 && entries.count(entry) == 1)
        at = int(entries.indexOf(entry));
    if (at < 0)
        return false;
    entries.removeAt(at);
    list = entries.join(u'.');
    touched->tabLists.append(tabIndex);
    touched->position = at;
    return true;
}

bool SettingsChange::restoreIn(SettingStore &tree, Touched *touched) const
{
    if (!sameTab(tree) || !sameIcon(tree, entry))
        return false;
    QString &list = tree.tabs[tabIndex].TAB_ITEM_ALL_ICONS;
    QStringList entries = entriesOf(list);
    touched->position = qBound(0, position, int(entries.size()));
    entries.insert(touched->position, entry);
    list = entries.join(u'.');
    touched->tabLists.append(tabIndex);
    return true;
}

// The number is the first one the store has no icon for: the icon list ends at the first
// number without a key.
bool SettingsChange::addTo(SettingStore &tree, Touched *touched) const
{
    if (!sameTab(tree))
        return false;
    IconInfo made = icon;
    made.ICON_ID = int(tree.icons.size()) + 1;
    tree.icons.append(made);
    QString &list = tree.tabs[tabIndex].TAB_ITEM_ALL_ICONS;
    const QString number = QString::number(made.ICON_ID);
    list = list.isEmpty() ? number : list + u'.' + number;
    touched->tabLists.append(tabIndex);
    touched->position = int(list.count(u'.'));
    touched->newIcon = made.ICON_ID;
    return true;
}

bool SettingsChange::setIn(SettingStore &tree, Touched *touched) const
{
    int MySystem::*field = numberField(valueName);
    if (!field)
        return false;
    if (field == &MySystem::CURRENT_THEME && (value < 1 || value > tree.themes.size()))
        return false;
    tree.mySystem.*field = value;
    touched->number = valueName;
    return true;
}

bool SettingsChange::makeOn(SettingStore &tree, Touched *touched) const
{
    if (tree.origin.state != StoreOrigin::State::Loaded)
        return false;
    switch (kind) {
    case Kind::RemoveIcon:
        return removeFrom(tree, touched);
    case Kind::RestoreIcon:
        return restoreIn(tree, touched);
    case Kind::AddIcon:
        return addTo(tree, touched);
    case Kind::SetNumber:
        return setIn(tree, touched);
    }
    return false;
}

namespace {

// Writes the values the change touched. A key that cannot be made spoils the scope, so the
// commit then stores none of them.
void writeTouched(const SettingStore &tree, const QList<int> &tabLists, int newIcon, const QString &number)
{
    if (newIcon > 0)
        SetLumbraIconInfoRegSetting(newIcon, tree.icons.at(newIcon - 1));
    for (const int t : tabLists) {
        const platform::RegKey key = openRegKey(platform::kLocalMachine, tabSubKeyPath(t + 1), true);
        if (key == platform::kNoKey)
            return;
        writeRegString(key, QStringLiteral("TAB_ITEM_ALL_ICONS"), tree.tabs.at(t).TAB_ITEM_ALL_ICONS);
        closeRegKey(key);
    }
    if (number.isEmpty())
        return;
    const platform::RegKey key = openRegKey(platform::kLocalMachine, systemKeyPath, false);
    if (key == platform::kNoKey)
        return;
    for (const RecordField<MySystem> &field : mySystemFields) {
        if (field.number && number == QLatin1String(field.name))
            writeRegInt(key, number, tree.mySystem.*field.number);
    }
    closeRegKey(key);
}

} // namespace

namespace {

// The store the change may land on: one that could be opened for writing and passes its
// check. A damaged store is written no more: what it took could not be read back whole.
bool storeTakesChanges(platform::Registry &registry, const platform::RegistryScope &scope)
{
    if (!scope.began())
        return false;
    std::string problem;
    if (registry.checkStore(&problem) == platform::kErrorSuccess)
        return true;
    printDiagnostic(QStringLiteral("the settings store is damaged (%1); nothing was changed")
                        .arg(QString::fromStdString(problem)));
    return false;
}

// The grid belongs to the screen: it stays until the launcher computes it anew.
void keepGrid(const SettingStore &from, SettingStore &to)
{
    to.iconColumnGap = from.iconColumnGap;
    to.iconRowGap = from.iconRowGap;
    to.gridLeft = from.gridLeft;
    to.gridTop = from.gridTop;
}

} // namespace

SettingsChange::Outcome SettingsChange::applyTo(SettingStore &store, int *position) const
{
    if (position)
        *position = -1;
    platform::Registry &registry = platform::registry();
    platform::RegistryScope scope(registry);
    std::uint64_t now = 0;
    if (!storeTakesChanges(registry, scope) || registry.generation(&now) != platform::kErrorSuccess) {
        scope.commit();
        return Outcome::StoreRefused;
    }
    const bool reload = store.origin.state != StoreOrigin::State::Loaded || now != store.origin.generation;
    SettingStore tree;
    if (reload) {
        tree.origin = {readSettingsTree(tree) ? StoreOrigin::State::Loaded : StoreOrigin::State::NoTree, now};
        keepGrid(store, tree);
    }
    // A tree that is gone is no change of anybody's to give way to: taking it as the truth
    // would leave the person with an empty screen. What they see is written back instead.
    const bool whole = reload && tree.origin.state == StoreOrigin::State::NoTree
        && store.origin.state == StoreOrigin::State::Loaded;
    if (!reload || whole)
        tree = store;
    Touched touched;
    const bool fits = makeOn(tree, &touched);
    if (fits && whole) {
        printDiagnostic(QStringLiteral("the settings store held no tree for the language; the settings shown "
                                       "were written to it again"));
        saveAllSettings(tree);
    } else if (fits) {
        writeTouched(tree, touched.tabLists, touched.newIcon, touched.number);
    }
    if (fits)
        registry.generation(&tree.origin.generation);
    if (scope.commit() != platform::kErrorSuccess)
        return Outcome::StoreRefused;
    if (fits || reload)
        store = tree;
    // With no tree on either side there was nothing the change could have fitted.
    if (!fits)
        return tree.origin.state == StoreOrigin::State::Loaded ? Outcome::NoLongerFits : Outcome::StoreRefused;
    if (position)
        *position = touched.position;
    return whole ? Outcome::SavedWhole : reload ? Outcome::SavedAfterReload : Outcome::Saved;
}
