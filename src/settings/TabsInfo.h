#pragma once

#include <QString>

// The tab strip as a whole.
struct TabsInfo
{
    QString TAB_NAME_FONT;
    int TAB_NAME_FONT_SIZE = 0;
    int TABINFO_HEIGHT = 0;
    int TABINFO_ITEM_WIDTH = 0;
    int TABINFO_ITEM_HIGHT = 0; // the registry value is spelled so
};
