#pragma once

#include <QRect>

// Where the parts of the launcher's title bar stand for the screen and the theme of now: the
// one placement of them, used when they are built and after every change of the display.
// The paging buttons' places are on the page, which starts under the tab area; the back
// button's on the back bar. Sizes and distances are the settings' at the screen's scale.
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
    // Where the tabs of the strip must end, a little left of the speaker and the house, so
    // that a click on a button always reaches the button.
    int tabsEnd = 0;

    static TitleBarLayout current();
};
