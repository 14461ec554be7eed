#include "LauncherGeometry.h"

#include "settings/SettingStore.h"
#include "widgets/FaceRecipes.h"

#include <algorithm>

namespace {

// Settings hold whatever a hand-edited file gave them. More columns than this would make a
// page's count of icons overflow.
constexpr int kMostColumns = 1 << 20;

} // namespace

int LauncherGeometry::screenWidth()
{
    return std::max(0, theSettings.getInt(IntSetting::SCREEN_WIDTH));
}

int LauncherGeometry::screenHeight()
{
    return std::max(0, theSettings.getInt(IntSetting::SCREEN_HEIGHT));
}

int LauncherGeometry::tabAreaHeight()
{
    return pixels(theSettings.getInt(IntSetting::TABINFO_HEIGHT));
}

int LauncherGeometry::pixels(int size)
{
    return std::clamp(size, 0, std::max(screenWidth(), screenHeight()));
}

int LauncherGeometry::themeInt(int id)
{
    return pixels(theSettings.getThemeInt(id));
}

int LauncherGeometry::columnCount()
{
    return std::clamp(theSettings.getInt(IntSetting::NUMBER_OF_ICON_PER_ROW), 1, kMostColumns);
}

int LauncherGeometry::iconsPerPage()
{
    return 3 * columnCount();
}

QPoint LauncherGeometry::cellOf(int position)
{
    return gridCell(position);
}
