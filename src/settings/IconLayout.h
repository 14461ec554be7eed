#pragma once

#include <QString>

// Sizes and animation of the application icons, shared by all of them.
struct IconLayout
{
    int ICON_WIDTH = 0;
    int ICON_HEIGHT = 0;
    int ICON_RESERVE_VERTICAL = 0;
    int ICON_RESERVE_HORIZONTAL = 0;
    int ICON_INTERVAL = 0;
    int ICON_AP_NAME_X_POSITION = 0;
    int ICON_AP_NAME_Y_POSITION = 0;
    QString ICON_AP_NAME_FONT;
    int ICON_AP_NAME_FONT_SIZE = 0;
    int ICON_EFFICACY_PIXEL = 0;
    int ICON_EFFICACY_INTERVAL = 0;
    int ICON_EFFICACY_COUNTER = 0;
};
