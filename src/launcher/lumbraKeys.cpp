// The keyboard: the window's messages, the highlight moved by the arrow keys, Tab between
// the tabs, Return to start, Delete and Ctrl+Z.

#include "lumbra.h"

#include "Navigator.h"
#include "UndoOffer.h"
#include "platform/WindowMessages.h"
#include "widgets/APIconQLabel.h"

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
    navigator->markSelection();
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
        navigator->moveToTab(shiftDown ? -1 : 1);
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
        navigator->moveHighlight(key);
        break;
    case platform::kVkDelete:
        removeSelectedIcon();
        break;
    default:
        break;
    }
}
