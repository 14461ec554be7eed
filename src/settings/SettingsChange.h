#pragma once

#include "IconInfo.h"

#include <QString>

class SettingStore;

// One change a person makes to the settings, stored without writing over what others changed
// since the settings were loaded (an import, another launcher, a carer's tool). It is applied
// in one write scope: when the store's generation is not the one the settings in memory were
// read at, the whole tree is read again first (in the same scope, so it is exactly the state
// the change lands on), the change is made on the fresh tree, or refused when it no longer
// fits it, and only the values the change touches are written. A store that has lost the
// tree altogether gets the whole tree in memory back, with the change.
class SettingsChange
{
public:
    enum class Outcome {
        // Stored; the settings in memory have the change.
        Saved,
        // The store had changed: the settings in memory were read again and have the change
        // on top. What is shown must be built anew from them.
        SavedAfterReload,
        // The store had changed and the change no longer fits it (the icon or its tab is gone
        // or is another one, the theme no longer exists): nothing was stored, and the settings
        // in memory are the store's now. What is shown must be built anew, and the person told.
        NoLongerFits,
        // The store took nothing (read-only, damaged, unreadable, or neither it nor the
        // settings in memory hold a tree): the settings in memory are as they were, without
        // the change. The person must be told.
        StoreRefused,
        // The store held no tree for the language any more (its file was deleted, the tree
        // removed): the settings in memory were written whole, with the lock this process
        // knows, and the change on them. What is shown stays as it is.
        SavedWhole,
    };

    // Takes the entry at `position` (0-based, empty parts counted) off the icon list of the
    // tab at `tabIndex`, as `shown` holds it. In a tree read again, the same icon (the same
    // number, kind and target) must still be listed on the same tab (by index and
    // TAB_ITEM_ID): at that position, or else exactly once.
    static SettingsChange removeIcon(const SettingStore &shown, int tabIndex, int position);
    // Puts the entry `entry` (an icon number, as removeIcon took it off) back at `position`
    // of the tab's list, or at its end when the list is shorter now: the undo of a removal.
    static SettingsChange restoreIcon(const SettingStore &shown, int tabIndex, int position, const QString &entry);
    // Adds `icon` as a new icon at the end of the tab's list. Its number is the next free one
    // in the store at the time of the change, whatever `icon.ICON_ID` says.
    static SettingsChange addIcon(const SettingStore &shown, int tabIndex, const IconInfo &icon);
    // Sets one of the numbers a person chooses: IS_FIRST_RUN, CURRENT_THEME (a theme that
    // exists), MUSIC_BACKGROUND_ON, ALWAYS_ON_BACKGROUND, STARTWHENBOOTING or SPEAK_NAMES.
    static SettingsChange setNumber(const QString &valueName, int value);

    // `position`, when given, receives where the change landed in the tab's list: the part
    // taken off, the part put back, or the new icon's part; -1 when it did not land.
    Outcome applyTo(SettingStore &store, int *position = nullptr) const;

    // Whether the change could be made on `tree` as it is now; nothing is written.
    bool fits(const SettingStore &tree) const;

    // After these outcomes the settings in memory were read anew: rebuild what is shown.
    static bool redrawNeeded(Outcome outcome);

private:
    enum class Kind { RemoveIcon, RestoreIcon, AddIcon, SetNumber };
    struct Touched;

    SettingsChange(Kind kind, const SettingStore &shown, int tabIndex);
    explicit SettingsChange(Kind kind);
    bool makeOn(SettingStore &tree, Touched *touched) const;
    bool sameTab(const SettingStore &tree) const;
    bool sameIcon(const SettingStore &tree, const QString &entry) const;
    bool removeFrom(SettingStore &tree, Touched *touched) const;
    bool restoreIn(SettingStore &tree, Touched *touched) const;
    bool addTo(SettingStore &tree, Touched *touched) const;
    bool setIn(SettingStore &tree, Touched *touched) const;

    Kind kind;
    int tabIndex = -1;
    int tabId = 0;
    int position = -1;
    QString entry;
    // The icon `entry` names, as the settings in memory hold it.
    IconInfo icon;
    bool iconKnown = false;
    QString valueName;
    int value = 0;
};
