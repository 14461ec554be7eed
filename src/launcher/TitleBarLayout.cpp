#include "TitleBarLayout.h"

#include "LauncherGeometry.h"
#include "settings/SettingIds.h"

#include <algorithm>

namespace {

// Between the last tab and the speaker.
constexpr int kRoomBeforeButtons = 8;

} // namespace

TitleBarLayout TitleBarLayout::current()
{
    using G = LauncherGeometry;
    using namespace ThemeIntSetting;
    const int width = G::screenWidth();
    const int tabHeight = G::tabAreaHeight();
    const int pageMiddle = (G::screenHeight() - tabHeight) / 2;
    const int houseWidth = G::themeInt(HOUSE_PNG_WIDTH);
    const int houseTop = tabHeight / 2 - G::themeInt(HOUSE_PNG_HEIGHT) / 2;
    const int backBarHeight = G::themeInt(BACKTITLEBAR_PNG_HEIGHT);
    TitleBarLayout layout;
    layout.tabArea = QRect(0, 0, width, tabHeight);
    layout.backBar = QRect(0, 0, width, backBarHeight);
    layout.backButton = QRect(width - G::themeInt(BACKBUTTON_X_POSITION),
                              (backBarHeight - G::themeInt(BACKBUTTON_PNG_HEIGHT)) / 2,
                              G::themeInt(BACKBUTTON_PNG_WIDTH), G::themeInt(BACKBUTTON_PNG_HEIGHT));
    layout.upButton = QRect(width - G::themeInt(UPBUTTON_PNG_WIDTH), pageMiddle - G::themeInt(UPBUTTON_PNG_HEIGHT),
                            G::themeInt(UPBUTTON_PNG_WIDTH), G::themeInt(UPBUTTON_PNG_HEIGHT));
    layout.downButton = QRect(width - G::themeInt(DOWNBUTTON_PNG_WIDTH), pageMiddle, G::themeInt(DOWNBUTTON_PNG_WIDTH),
                              G::themeInt(DOWNBUTTON_PNG_HEIGHT));
    layout.houseButton = QRect(width - houseWidth - G::scaled(5), houseTop, houseWidth, G::themeInt(HOUSE_PNG_HEIGHT));
    layout.speakerButton = QRect(width - 2 * houseWidth - G::scaled(12), houseTop, G::themeInt(SPEAKER_PNG_WIDTH),
                                 G::themeInt(SPEAKER_PNG_HEIGHT));
    layout.tabsEnd = std::max(0, std::min(layout.speakerButton.left(), layout.houseButton.left())
                                     - G::scaled(kRoomBeforeButtons));
    return layout;
}
