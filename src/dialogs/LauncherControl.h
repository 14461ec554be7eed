#pragma once

#include "settings/SettingsChange.h"

class QString;
class QWidget;
struct NewIcon;

// What the dialogs and the tray ask of the launcher window, which implements it: they sit on
// a lower floor and reach the launcher only through this.
class LauncherControl
{
public:
    virtual ~LauncherControl() = default;

    // Tells the person, in a message over the launcher, that a change could not be saved.
    virtual void tellNotSaved(const QString &text) = 0;
    // Redraws the launcher in the current theme.
    virtual void applyTheme() = 0;
    // After a change of the settings: shows them anew when the change read them again, says
    // so when it no longer fitted them, and says `notSaved` when the store refused it.
    // Answers whether the change was stored.
    virtual bool afterChange(SettingsChange::Outcome outcome, const QString &notSaved) = 0;
    // Background music on (played once from its start) or off, with the speaker's face and
    // the setting in memory; storing it is the caller's change.
    virtual void setMusic(bool on) = 0;
    // Shows the launcher again and gives it the focus.
    virtual void restore() = 0;
    // Adds the icon to the tab shown and stores it at once; false (the person is told) when the
    // store refused it.
    virtual bool addIcon(const NewIcon &icon) = 0;
    // The launcher's window, for what every window does (minimise, close).
    virtual QWidget *widget() = 0;
};

// The launcher of this process, or null before it is made and after it is gone.
extern LauncherControl *theLauncher;
