#pragma once

// How much the launcher's sizes (icons, names, the tab strip and its buttons) are scaled on
// a screen. Small PCs and large televisions are both the launcher's home:
// - with FIT_TO_SCREEN the tab strip and the three rows of icons take the share of the
//   screen's height that the factory sizes take on the 1024 x 768 screen they are drawn for
//   (472 of 768 pixels), on any screen;
// - without it the sizes are the settings' own (scale 1);
// and in both cases the scale is lowered where the icons would not fit: no two icons of a
// page overlap, none runs under the paging buttons, and every row stays on the page.
struct ScreenFit
{
    // The launcher's sizes as used (the settings' values, with factory sizes in place of
    // unusable ones), all in pixels but the reserves (percent).
    struct Sizes
    {
        long long screenWidth = 0;
        long long screenHeight = 0;
        int columns = 1;
        int iconWidth = 0;
        int iconHeight = 0;
        int reserveVertical = 0;
        int reserveHorizontal = 0;
        int tabHeight = 0;
        // The wider of the two paging buttons, which stand at the right edge of the page.
        int pagingWidth = 0;
        bool fitToScreen = false;
    };

    // The least room between two icons, in pixels.
    static constexpr int kLeastGap = 4;

    // Exactly 1 where the sizes are kept as they are; else above 0.
    static double scaleFor(const Sizes &sizes);
    // A size at `scale`: itself at scale 1, else the whole pixels of it, but at least 1 for a
    // size that has any.
    static int scaled(int size, double scale);
};
