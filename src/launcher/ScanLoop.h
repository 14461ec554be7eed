#pragma once

#include <QList>

// The order in which one-switch scanning visits what can be chosen: the icons of the page on
// the screen in reading order, then the page-down button if the page has one, the back
// button on a folder's page, every top-level tab, and last the house, which opens the
// shut-down dialog; in a dialog, its buttons.
class ScanLoop
{
public:
    // What the screen offers at one moment.
    struct View
    {
        // Positions of the first icon on the shown page and how many are on it.
        int firstIcon = 0;
        int iconCount = 0;
        bool pageDownShown = false;
        bool backShown = false;
        int topLevelTabs = 0;
        bool houseShown = false;
        // Buttons of an open dialog in reading order; the launcher is then not scanned.
        int dialogButtons = -1;

        bool operator==(const View &other) const;
        bool operator!=(const View &other) const { return !(*this == other); }
    };

    struct Step
    {
        enum Kind { Icon, PageDown, Back, Tab, DialogButton, House };
        Kind kind = Icon;
        // The icon's position on its tab, the tab's place in the strip, or the dialog button's place.
        int index = 0;

        bool operator==(const Step &other) const { return kind == other.kind && index == other.index; }
    };

    static QList<Step> of(const View &view);
};
