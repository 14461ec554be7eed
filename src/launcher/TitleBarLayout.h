#pragma once

#include <QRect>

// Where the parts of the launcher's title bar stand for the screen and the theme of now: the
// one placement of them, used when they are built and after every change of the display.
// The paging buttons' places are on the page, which starts under the tab area; the back
// button's on the back bar.
struct TitleBarLayout
{
    QRect tabArea;
    QRect backBar;
    QRect backButton;
    QRect upButton;
    QRect downButton;
    QRect houseButton;
    // Left of the house, one house width and 12 pixels away, at the house's height: a theme
    // whose speaker is smaller than its house keeps the speaker in the same place whatever
    // the screen.
    QRect speakerButton;

    static TitleBarLayout current();
};
