#pragma once

#include "settings/SettingsChange.h"

#include <QString>

#include <optional>

// What the last Delete took off, kept while the undo bar offers to put it back: the tab, the
// place in its TAB_ITEM_ALL_ICONS the entry was taken from, the icon's name, and the change
// that puts it back there (made on the settings the Delete left, so that it knows the icon
// as it was).
struct RemovalOffer
{
    int tab = -1;
    int part = -1;
    QString name;
    std::optional<SettingsChange> putBack;
};
