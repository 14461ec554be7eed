#include "TabEntry.h"

#include "settings/SettingStore.h"

#include <algorithm>

int TabEntry::shownPlaces(int t)
{
    return std::min(std::max(0, theSettings.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t)), kMaxPlaces);
}

int TabEntry::storePartOf(int t, int position)
{
    const int parts = shownPlaces(t);
    int seen = -1;
    for (int part = 0; part < parts; ++part) {
        if (theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, part) >= 0 && ++seen == position)
            return part;
    }
    return -1;
}
