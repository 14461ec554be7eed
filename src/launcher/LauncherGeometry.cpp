#include "LauncherGeometry.h"

#include "settings/SettingStore.h"
#include "widgets/FaceRecipes.h"

#include <QFont>

#include <algorithm>
#include <cmath>

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
    return sizeOf(IntSetting::TABINFO_HEIGHT);
}

int LauncherGeometry::pixels(int size)
{
    return std::clamp(size, 0, std::max(screenWidth(), screenHeight()));
}

int LauncherGeometry::scaled(int size)
{
    return pixels(theSettings.scaled(size));
}

int LauncherGeometry::offset(int value)
{
    const double scale = theSettings.gridScale;
    if (scale == 1)
        return value;
    const int limit = std::max(screenWidth(), screenHeight());
    return int(std::clamp(std::floor(value * scale), double(-limit), double(limit)));
}

int LauncherGeometry::themeInt(int id)
{
    return scaled(theSettings.getThemeInt(id));
}

int LauncherGeometry::sizeOf(int id)
{
    return scaled(theSettings.getInt(id));
}

QFont LauncherGeometry::font(int id)
{
    QFont font = theSettings.getFont(id);
    const double scale = theSettings.gridScale;
    if (scale != 1 && font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(std::min(std::lround(font.pixelSize() * scale), long(1 << 20)))));
    return font;
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
