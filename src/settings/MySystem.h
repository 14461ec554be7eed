#pragma once

#include <QString>

// The system-wide settings, named after their registry values.
struct MySystem
{
    int IS_FIRST_RUN = 0;
    int CURRENT_THEME = 0;
    int NUMBER_OF_TABS = 0;
    int ALWAYS_ON_BACKGROUND = 0;
    int STARTWHENBOOTING = 0;
    QString SYSTEMTRAY_LUMBRA_PNGFILENAME;
    QString SYSTEMTRAY_LUMBRA_TOOLTIPNAME;
    QString SYSTEMTRAY_SHUTDOWN_PNGFILENAME;
    QString SYSTEMTRAY_SHUTDOWN_TOOLTIPNAME;
    QString SYSTEMTRAY_TASKMANAGER_TOOLTIPNAME;
    QString SYSTEMTRAY_TASKMANAGER_PNGFILENAME;
    int MUSIC_BACKGROUND_ON = 0;
    int NUMBER_OF_ICON_PER_ROW = 0;
    QString SYSTEM_STRING_FONT;
    int SYSTEM_STRING_FONT_SIZE = 0;
    QString VERSION;
    int ICON_DISABLE_CLICK_TIMER = 0;
    QString THEME_DIR;
    QString ICON_DIR;
    QString TAB_DIR;
    QString LUMBRA_WINDOWTITLE;
    QString DIALOG_ALWAYS_ON_BACKGROUND_NAME;
    QString DIALOG_STARTWHENBOOTING_NAME;
    QString DIALOG_OK;
    QString DIALOG_CANCEL;
    QString DIALOG_SELECT_BACKGROUND_THEME_NAME;
    QString SYSTEMTRAY_LUMBRA_SETTING_SETTING;
    QString SYSTEMTRAY_LUMBRA_SETTING_EXIT;
    QString DIALOG_DROP_AP_NAME;
    QString DIALOG_DROP_AP_PATH;
    QString DIALOG_LUMBRA_NAME;
    QString DIALOG_WINDOWMODE_NAME;
    QString DIALOG_RETURN_TO_PREV_TAB;
    // For people who cannot read the names or press more than one key. A tree without
    // these values reads 0 and empty, which is the launcher as it was before them.
    int SPEAK_NAMES = 0;
    int SWITCH_SCAN_MS = 0;
    int LABEL_FIT = 0;
    // 1: the icons, their names and the tab strip are scaled with the screen (ScreenFit). A
    // tree without it keeps its own sizes, as it always did.
    int FIT_TO_SCREEN = 0;
    QString DIALOG_SPEAK_NAMES_NAME;
    QString DIALOG_NEXT_PAGE_NAME;
    QString DIALOG_PREVIOUS_PAGE_NAME;
    QString DIALOG_MUSIC_NAME;
    QString DIALOG_HOUSE_NAME;
    // Said when a person's change no longer fits settings changed meanwhile.
    QString DIALOG_CHANGED_MEANWHILE;
    // Newer texts: a tree installed before them lacks them, and their accessors answer the
    // English text instead.
    QString DIALOG_NOT_INSTALLED;
    QString DIALOG_ICON_REMOVED;
    QString DIALOG_UNDO;
    // The caregiver lock: empty means unlocked, otherwise a salted hash of the PIN (PinHash).
    QString LOCK_PIN;
    QString DIALOG_PIN_TITLE;
    QString DIALOG_PIN_WRONG;
    QString DIALOG_PIN_WAIT;
    QString DIALOG_PIN_ERASE;
    QString DIALOG_ENTRY_HIDDEN;
    QString DIALOG_ENTRY_NO_PROGRAM;
    QString DIALOG_ENTRY_NOT_INSTALLED;
    QString DIALOG_ENTRY_UNREADABLE;
};
