#include "TabPlaces.h"

#include "InstalledPrograms.h"
#include "TabEntry.h"
#include "TargetCheck.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"

namespace {

QString categoryOf(int t)
{
    const QString category = theSettings.getTabString(TabTextSetting::TAB_ITEM_CATEGORY, t);
    return category == QLatin1String("NULL") ? QString() : category;
}

bool namesIcon(int t, int part)
{
    return theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, part) >= 0;
}

} // namespace

TabPlaces::TabPlaces(InstalledPrograms *programs)
    : programs(programs)
{
}

bool TabPlaces::isLabelled(int t, int part)
{
    return namesIcon(t, part) && (!hidesMissing(t) || isPresent(t, part));
}

int TabPlaces::partAt(int t, int position)
{
    if (position < 0)
        return -1;
    const int parts = TabEntry::shownPlaces(t);
    int seen = -1;
    for (int part = 0; part < parts; ++part) {
        if (isLabelled(t, part) && ++seen == position)
            return part;
    }
    return -1;
}

int TabPlaces::positionOf(int t, int part)
{
    int position = 0;
    for (int p = 0; p < part; ++p) {
        if (isLabelled(t, p))
            ++position;
    }
    return position;
}

void TabPlaces::startOf(int t, int part, int *kind, QString *target)
{
    *kind = theSettings.getTabIconInt(TabIconIntSetting::ICON_DATA_TYPE, t, part);
    *target = theSettings.getTabIconString(TabIconTextSetting::ICON_AP_EXE_LOCATION, t, part);
    // Programs and documents may name a role; what this computer has for it is started.
    if (*kind == ActionKind::StartProgram || *kind == ActionKind::OpenWithShell)
        programs->startFor(theSettings.getTabIconString(TabIconTextSetting::ICON_AP_ROLE, t, part), kind, target);
}

void TabPlaces::keepLabelled(int t, int part)
{
    const int icon = theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, part);
    if (icon >= 0)
        present.insert(icon, true);
}

void TabPlaces::forget()
{
    present.clear();
    hiding.clear();
}

bool TabPlaces::hidesMissing(int t)
{
    const QString category = categoryOf(t);
    if (category.isEmpty())
        return false;
    auto known = hiding.constFind(t);
    if (known == hiding.constEnd()) {
        bool anyInstalled = !programs->ofCategory(category, TabEntry::kMaxPlaces).empty();
        const int parts = TabEntry::shownPlaces(t);
        for (int part = 0; part < parts && !anyInstalled; ++part)
            anyInstalled = namesIcon(t, part) && isPresent(t, part);
        known = hiding.insert(t, anyInstalled);
    }
    return *known;
}

bool TabPlaces::isPresent(int t, int part)
{
    const int icon = theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, part);
    auto known = present.constFind(icon);
    if (known == present.constEnd()) {
        int kind = 0;
        QString target;
        startOf(t, part, &kind, &target);
        known = present.insert(icon, !TargetCheck::isMissing(kind, target));
    }
    return *known;
}
