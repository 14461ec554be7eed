#include "TabEntry.h"

#include "settings/SettingStore.h"

#include <algorithm>

int TabEntry::shownPlaces(int t)
{
    return std::min(std::max(0, theSettings.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t)), kMaxPlaces);
}
