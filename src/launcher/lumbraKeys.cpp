// The keyboard: the window's messages, the highlight moved by the arrow keys, Tab between
// the tabs, Return to start, Delete and Ctrl+Z.

#include "lumbra.h"

#include "LauncherGeometry.h"
#include "TabEntry.h"
#include "UndoOffer.h"
#include "platform/WindowMessages.h"
#include "widgets/APIconQLabel.h"
#include "widgets/TabQLabel.h"

namespace {

// Unlike a click, Return also starts icons of the title-bar kinds.
void startSelectedIcon(lumbra &launcher)
{
    APIconQLabel *icon = launcher.iconAt(launcher.currentTab(), launcher.selectedIcon());
    if (!icon || icon->clickBlocked)
        return;
    icon->startClickBlock();
    icon->growStep();
    launcher.dispatchAction(icon, nullptr, nullptr);
}

} // namespace

bool lumbra::handleMessage(unsigned message, std::uintptr_t wParam)
{
    if (message == platform::kWmDisplayChange) {
        displayChanged();
    } else if (message == platform::kWmKeyUp) {
        if (wParam == platform::kVkShift)
            shiftDown = false;
        if (wParam == platform::kVkControl)
            controlDown = false;
    } else if (message == platform::kWmKeyDown) {
        keyDown(static_cast<unsigned>(wParam));
    }
    markSelection();
    return false;
}

bool lumbra::isHeld(unsigned virtualKey) const
{
    return virtualKey == platform::kVkShift ? shiftDown : virtualKey == platform::kVkControl && controlDown;
}

void lumbra::keyDown(unsigned key)
{
    switch (key) {
    case platform::kVkTab:
        moveToTab(shiftDown ? -1 : 1);
        break;
    case platform::kVkReturn:
        startSelectedIcon(*this);
        break;
    case platform::kVkShift:
        shiftDown = true;
        break;
    case platform::kVkControl:
        controlDown = true;
        break;
    case platform::kVkZ:
        if (controlDown)
            undo->undo();
        break;
    case platform::kVkLeft:
    case platform::kVkUp:
    case platform::kVkRight:
    case platform::kVkDown:
        moveHighlight(key);
        break;
    case platform::kVkDelete:
        removeSelectedIcon();
        break;
    default:
        break;
    }
}

// Tab and Shift+Tab go round the tabs of the strip. From a sub-tab, Tab goes to the first tab
// and Shift+Tab, as from the first tab, to the last.
void lumbra::moveToTab(int step)
{
    const QList<int> &strip = tabTree().stripTabs();
    const int count = int(strip.size());
    if (count == 0)
        return;
    int &current = selection.currentTab;
    if (TabEntry *entry = tabs.value(current))
        entry->tabLabel->paintUnselected();
    const int place = int(strip.indexOf(current));
    if (step > 0)
        current = strip.at(place >= 0 && place < count - 1 ? place + 1 : 0);
    else
        current = strip.at(place >= 1 ? place - 1 : count - 1);
    dispatchAction(nullptr, nullptr, tabs.at(current)->tabLabel);
}

void lumbra::moveHighlight(unsigned key)
{
    const int t = selection.currentTab;
    if (t < 0 || t >= tabs.size())
        return;
    const int count = int(tabs.at(t)->icons.size());
    const int columns = LauncherGeometry::columnCount();
    const int perPage = LauncherGeometry::iconsPerPage();
    const int s = selection.selectedIcon;
    int target = s;
    switch (key) {
    case platform::kVkLeft:
        target = s - 1;
        break;
    case platform::kVkRight:
        target = s + 1;
        break;
    case platform::kVkUp:
        target = s / columns > 0 ? s - columns : -1;
        break;
    case platform::kVkDown:
        target = s + columns;
        break;
    default:
        return;
    }
    if (target < 0 || target >= count)
        return;
    const int page = s / perPage;
    if (target / perPage == page) {
        if (APIconQLabel *previous = iconAt(t, selection.previousSelectedIcon))
            previous->refreshFace(true);
        if (APIconQLabel *current = iconAt(t, s))
            current->refreshFace(true);
        selection.previousSelectedIcon = key == platform::kVkLeft || key == platform::kVkRight ? s : target;
        selection.selectedIcon = target;
        highlight(iconAt(t, target));
        return;
    }
    // Across a page boundary: the page action shows the new page and highlights its first
    // icon, which the key then moves on to its own target.
    turnPage(target / perPage < page ? -1 : 1);
    if (key == platform::kVkRight)
        return;
    if (APIconQLabel *first = iconAt(t, selection.selectedIcon))
        first->refreshFace(true);
    selection.selectedIcon = target;
    highlight(iconAt(t, target));
}
