// The places of the tab strip's labels and separators and of the icons on the pages, for the
// screen of now: after the strip is built and after every change of the display.

#include "lumbra.h"

#include "LauncherGeometry.h"
#include "TabEntry.h"
#include "TabStripLayout.h"
#include "TitleBarLayout.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/TabQLabel.h"

#include <QFont>
#include <QLabel>

// The labels the strip shows stand side by side, narrower where they would reach the
// title-bar buttons; a separator before the first and after each, the others hidden.
void lumbra::placeTabStrip()
{
    using G = LauncherGeometry;
    QList<int> shown;
    for (int t = 0; t < tabs.size(); ++t) {
        if (!tabs.at(t)->tabLabel->isHidden())
            shown.append(t);
    }
    const TabStripLayout strip = TabStripLayout::fitting(
        int(shown.size()), G::themeInt(ThemeIntSetting::SEPARATE_PNG_WIDTH), G::sizeOf(IntSetting::TABINFO_ITEM_WIDTH),
        G::sizeOf(IntSetting::TABINFO_ITEM_HIGHT), TitleBarLayout::current().tabsEnd);
    const QFont font = G::font(FontSetting::TAB_NAME_FONT);
    for (int k = 0; k < shown.size(); ++k) {
        const int pictureSize = G::scaled(theSettings.getTabInt(TabIntSetting::TAB_ITEM_ICON_WIDTH, shown.at(k)));
        tabs.at(shown.at(k))->tabLabel->setPlace(strip.tab(k), strip.picture(pictureSize), font);
    }
    for (int i = 0; i < separators.size(); ++i) {
        QLabel *separator = separators.at(i);
        separator->setVisible(i <= shown.size());
        const int x = i == 0 ? strip.leadingSeparator() : strip.separatorAfter(i - 1);
        separator->setGeometry(x, 0, strip.separatorWidth, strip.tabHeight);
    }
}

// Every icon in its cell of the grid of now, at the cell's size.
void lumbra::layOutIcons()
{
    using G = LauncherGeometry;
    const int width = G::sizeOf(IntSetting::ICON_WIDTH);
    const int height = G::sizeOf(IntSetting::ICON_HEIGHT);
    const int nameX = G::offset(theSettings.getInt(IntSetting::ICON_AP_NAME_X_POSITION));
    const int nameY = G::offset(theSettings.getInt(IntSetting::ICON_AP_NAME_Y_POSITION));
    const QFont font = G::font(FontSetting::ICON_AP_NAME_FONT);
    for (const TabEntry *entry : std::as_const(tabs)) {
        for (APIconQLabel *icon : entry->icons) {
            const QPoint cell = G::cellOf(icon->position);
            icon->moveTo(cell.x(), cell.y());
            icon->resizeCell(width, height, nameX, nameY, font);
        }
    }
}
