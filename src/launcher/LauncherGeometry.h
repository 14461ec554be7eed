#pragma once

#include <QPoint>

class QFont;

// Sizes and places of the launcher as it uses them, read anew from the settings and the
// screen at each call: the settings' sizes at the scale computeIconGrid found for this screen
// (ScreenFit), nothing larger than the screen and nothing smaller than nothing, whatever a
// hand-edited store holds.
class LauncherGeometry
{
public:
    static int screenWidth();
    static int screenHeight();
    // The height of the tab strip (TABINFO_HEIGHT).
    static int tabAreaHeight();
    // A size from the settings, kept between 0 and the larger side of the screen.
    static int pixels(int size);
    // A size from the settings at the screen's scale, kept as pixels() keeps it.
    static int scaled(int size);
    // An offset (which may be negative) at the screen's scale.
    static int offset(int value);
    // A size of the current theme (getThemeInt) at the screen's scale.
    static int themeInt(int id);
    // A size of the launcher's own settings (getInt) at the screen's scale.
    static int sizeOf(int id);
    // A font of the settings (getFont) with its pixel size at the screen's scale.
    static QFont font(int id);
    // Icons per row: at least one, and never so many that a page's count overflows.
    static int columnCount();
    static int iconsPerPage();
    // Where the icon at a position stands on its page.
    static QPoint cellOf(int position);
};
