#pragma once

#include <QString>

// A page picture of a theme; the launcher picks a tab's picture by position.
struct ThemeImage
{
    int IMAGE_TAB_ITEM_ID = 0;
    QString IMAGE_FILE_PATH;
};
