#pragma once

class QWidget;

// The caregiver lock: while a PIN is stored (LOCK_PIN), the actions that change what a carer
// set up, or leave the launcher, ask for it first. Launching, browsing and the power actions
// never ask.
class CaregiverLock
{
public:
    enum class Action { Delete, Drop, ThemeDialog, TraySettings, TrayExit, LeaveFromShutDown, WindowClose };

    // Whether a PIN is stored now (read from the store at each call; while the store cannot
    // be read, or has lost the tree, the lock last known).
    static bool isLocked();
    // True when `action` may go on: the lock is off, or the right PIN was given on the PIN pad.
    static bool allow(Action action, QWidget *parent = nullptr);

    // Seconds the PIN pad waits before it takes another try, after `wrongTries` wrong ones
    // in a row: the first wrong try is only told, each further one waits a second longer, up
    // to half a minute.
    static int waitSecondsAfter(int wrongTries);
    // Wrong tries in a row, kept beside the lock in the store: neither closing the PIN pad
    // and opening it again nor a restart of the launcher shortens the wait.
    static int wrongTries();
    static void countWrongTry();
    static void countRightTry();
};
