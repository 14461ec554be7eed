#pragma once

#include <QPoint>

// Sizes and places of the launcher as it uses them, read anew from the settings and the
// screen at each call: nothing it places is larger than the screen, and nothing smaller than
// nothing, whatever a hand-edited store holds.
class LauncherGeometry
{
public:
    static int screenWidth();
    static int screenHeight();
    // The height of the tab strip (TABINFO_HEIGHT).
    static int tabAreaHeight();
    // A size from the settings, kept between 0 and the larger side of the screen.
    static int pixels(int size);
    // A size of the current theme (getThemeInt) as pixels() keeps it.
    static int themeInt(int id);
    // Icons per row: at least one, and never so many that a page's count overflows.
    static int columnCount();
    static int iconsPerPage();
    // Where the icon at a position stands on its page.
    static QPoint cellOf(int position);
};
