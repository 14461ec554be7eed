#pragma once

#include <QString>

// One tab. TAB_ITEM_ALL_ICONS lists its icons by number in display order ("3.1.12").
struct TabInfo
{
    int TAB_ITEM_ID = 0;
    QString TAB_ITEM_ICON_PNG_FILE_NAME;
    int TAB_ITEM_ICON_WIDTH = 0;
    int TAB_ITEM_ICON_HEIGHT = 0;
    QString TAB_ITEM_ALL_ICONS;
    int TAB_ITEM_PARENT = 0;
    QString TAB_ITEM_NAME;
    // A menu category ("Game"): the tab shows the installed programs of it after its own icons.
    QString TAB_ITEM_CATEGORY;
};
