#include "LauncherStore.h"

#include "settings/SettingStore.h"

QString LauncherStore::iconList(int first, int last)
{
    QStringList numbers;
    for (int n = first; n <= last; ++n)
        numbers.append(QString::number(n));
    return numbers.join(u'.');
}

void LauncherStore::fill(SettingStore &store) const
{
    store = SettingStore();
    // As a start that found the tree: a change then lands on the store as it is.
    store.origin.state = StoreOrigin::State::Loaded;
    store.mySystem.CURRENT_THEME = 1;
    store.mySystem.NUMBER_OF_TABS = int(tabIcons.size());
    store.mySystem.NUMBER_OF_ICON_PER_ROW = columns;
    store.mySystem.ICON_DISABLE_CLICK_TIMER = 500;
    store.mySystem.THEME_DIR = QStringLiteral("./Theme/");
    store.mySystem.ICON_DIR = QStringLiteral("./Icon/");
    store.mySystem.TAB_DIR = QStringLiteral("./Tab/");
    store.mySystem.DIALOG_RETURN_TO_PREV_TAB = QStringLiteral("Back");
    store.tabsInfo.TABINFO_HEIGHT = 64;
    store.tabsInfo.TABINFO_ITEM_WIDTH = 160;
    store.tabsInfo.TABINFO_ITEM_HIGHT = 64;
    store.tabsInfo.TAB_NAME_FONT_SIZE = 10;
    store.iconLayout.ICON_WIDTH = 120;
    store.iconLayout.ICON_HEIGHT = 120;
    store.iconLayout.ICON_RESERVE_VERTICAL = 5;
    store.iconLayout.ICON_RESERVE_HORIZONTAL = 5;
    store.iconLayout.ICON_AP_NAME_Y_POSITION = 90;
    store.iconLayout.ICON_EFFICACY_PIXEL = 2;
    store.iconLayout.ICON_EFFICACY_INTERVAL = 10;
    store.iconLayout.ICON_EFFICACY_COUNTER = 2;
    for (int n = 0; n < tabIcons.size(); ++n) {
        TabInfo tab;
        tab.TAB_ITEM_ID = n + 1;
        tab.TAB_ITEM_NAME = QStringLiteral("Tab %1").arg(n + 1);
        tab.TAB_ITEM_ICON_PNG_FILE_NAME = QStringLiteral("tab%1.png").arg(n + 1);
        tab.TAB_ITEM_ICON_WIDTH = 40;
        tab.TAB_ITEM_ICON_HEIGHT = 40;
        tab.TAB_ITEM_ALL_ICONS = tabIcons.at(n);
        tab.TAB_ITEM_PARENT = n >= tabIcons.size() - subTabs ? 1 : 0;
        store.tabs.append(tab);
    }
    for (int n = 1; n <= iconCount; ++n) {
        IconInfo icon;
        icon.ICON_ID = n;
        icon.ICON_AP_NAME = QStringLiteral("Icon %1").arg(n);
        icon.ICON_AP_TOOLTIP_NAME = icon.ICON_AP_NAME;
        icon.ICON_AP_PNG_FILE_NAME = QStringLiteral("app%1.png").arg(n);
        icon.ICON_IS_DEFAULT_APP = userIcons.contains(n) ? 0 : 1;
        icon.ICON_DATA_TYPE = n == 3 ? 7 : 1;
        icon.ICON_SUB_TAB_ID = n == 3 ? folderTarget : 0;
        icon.ICON_AP_EXE_LOCATION = QStringLiteral("/opt/apps/app%1").arg(n);
        store.icons.append(icon);
    }
    ThemeInfo theme;
    theme.THEME_NAME = QStringLiteral("Light");
    theme.THEME_TAB_AREA_BACKGROUND_COLOR_B = 200;
    theme.BACKTITLEBAR_PNG_HEIGHT = 48;
    theme.BACKBUTTON_PNG_WIDTH = 120;
    theme.BACKBUTTON_PNG_HEIGHT = 40;
    theme.BACKBUTTON_X_POSITION = 130;
    theme.SEPARATE_PNG_WIDTH = 2;
    theme.HOUSE_PNG_WIDTH = 48;
    theme.HOUSE_PNG_HEIGHT = 48;
    theme.UPBUTTON_PNG_WIDTH = 40;
    theme.UPBUTTON_PNG_HEIGHT = 60;
    theme.DOWNBUTTON_PNG_WIDTH = 40;
    theme.DOWNBUTTON_PNG_HEIGHT = 60;
    theme.SPEAKER_PNG_WIDTH = 48;
    theme.SPEAKER_PNG_HEIGHT = 48;
    for (int n = 1; n <= tabIcons.size(); ++n)
        theme.images.append({n, QStringLiteral("page%1.png").arg(n)});
    store.themes.append(theme);
}
