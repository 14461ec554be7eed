#pragma once

#include <QString>

// One application icon; ICON_ID is its 1-based place in the icon list.
struct IconInfo
{
    int ICON_ID = 0;
    QString ICON_AP_PNG_FILE_NAME;
    QString ICON_AP_NAME;
    QString ICON_AP_EXE_LOCATION;
    int ICON_DATA_TYPE = 0;
    int ICON_IS_DEFAULT_APP = 0;
    int ICON_DIRTY = 0;
    int ICON_SUB_TAB_ID = 0;
    QString ICON_AP_TOOLTIP_NAME;
    // What the icon is for ("web-browser", ...): where this computer has a program for it,
    // that program is started instead of ICON_AP_EXE_LOCATION. Empty in most trees.
    QString ICON_AP_ROLE;
};
