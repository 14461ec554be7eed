#pragma once

#include "IconInfo.h"
#include "IconLayout.h"
#include "MySystem.h"
#include "TabInfo.h"
#include "TabsInfo.h"
#include "ThemeImage.h"
#include "ThemeInfo.h"

#include <QString>

// A record field bound to the registry value of the same name. The tables below list each
// record's values in the order the writers write them.
template <class Record>
struct RecordField
{
    const char *name;
    int Record::*number;
    QString Record::*text;
    bool written;
};

// The macros keep each value name spelled exactly like its field.
#define LUMBRA_NUMBER(Record, field) RecordField<Record>{#field, &Record::field, nullptr, true}
#define LUMBRA_TEXT(Record, field) RecordField<Record>{#field, nullptr, &Record::field, true}
#define LUMBRA_READ_ONLY(Record, field) RecordField<Record>{#field, &Record::field, nullptr, false}
#define LUMBRA_READ_ONLY_TEXT(Record, field) RecordField<Record>{#field, nullptr, &Record::field, false}

inline const RecordField<MySystem> mySystemFields[] = {
    LUMBRA_NUMBER(MySystem, IS_FIRST_RUN),
    LUMBRA_NUMBER(MySystem, CURRENT_THEME),
    LUMBRA_NUMBER(MySystem, NUMBER_OF_TABS),
    LUMBRA_NUMBER(MySystem, ALWAYS_ON_BACKGROUND),
    LUMBRA_NUMBER(MySystem, STARTWHENBOOTING),
    LUMBRA_TEXT(MySystem, SYSTEMTRAY_LUMBRA_PNGFILENAME),
    LUMBRA_TEXT(MySystem, SYSTEMTRAY_LUMBRA_TOOLTIPNAME),
    LUMBRA_TEXT(MySystem, SYSTEMTRAY_SHUTDOWN_PNGFILENAME),
    LUMBRA_TEXT(MySystem, SYSTEMTRAY_SHUTDOWN_TOOLTIPNAME),
    LUMBRA_TEXT(MySystem, SYSTEMTRAY_TASKMANAGER_TOOLTIPNAME),
    LUMBRA_TEXT(MySystem, SYSTEMTRAY_TASKMANAGER_PNGFILENAME),
    LUMBRA_NUMBER(MySystem, NUMBER_OF_ICON_PER_ROW),
    LUMBRA_NUMBER(MySystem, MUSIC_BACKGROUND_ON),
    LUMBRA_TEXT(MySystem, SYSTEM_STRING_FONT),
    LUMBRA_NUMBER(MySystem, SYSTEM_STRING_FONT_SIZE),
    LUMBRA_TEXT(MySystem, VERSION),
    LUMBRA_NUMBER(MySystem, ICON_DISABLE_CLICK_TIMER),
    LUMBRA_TEXT(MySystem, THEME_DIR),
    LUMBRA_TEXT(MySystem, ICON_DIR),
    LUMBRA_TEXT(MySystem, TAB_DIR),
    LUMBRA_TEXT(MySystem, LUMBRA_WINDOWTITLE),
    LUMBRA_TEXT(MySystem, DIALOG_ALWAYS_ON_BACKGROUND_NAME),
    LUMBRA_TEXT(MySystem, DIALOG_STARTWHENBOOTING_NAME),
    LUMBRA_TEXT(MySystem, DIALOG_OK),
    LUMBRA_TEXT(MySystem, DIALOG_CANCEL),
    LUMBRA_TEXT(MySystem, DIALOG_SELECT_BACKGROUND_THEME_NAME),
    LUMBRA_TEXT(MySystem, SYSTEMTRAY_LUMBRA_SETTING_SETTING),
    LUMBRA_TEXT(MySystem, SYSTEMTRAY_LUMBRA_SETTING_EXIT),
    LUMBRA_TEXT(MySystem, DIALOG_DROP_AP_NAME),
    LUMBRA_TEXT(MySystem, DIALOG_DROP_AP_PATH),
    LUMBRA_TEXT(MySystem, DIALOG_LUMBRA_NAME),
    LUMBRA_TEXT(MySystem, DIALOG_WINDOWMODE_NAME),
    LUMBRA_TEXT(MySystem, DIALOG_RETURN_TO_PREV_TAB),
    LUMBRA_NUMBER(MySystem, SPEAK_NAMES),
    LUMBRA_NUMBER(MySystem, SWITCH_SCAN_MS),
    LUMBRA_NUMBER(MySystem, LABEL_FIT),
    // Read, never written: a save leaves a tree without it as it was, so that it looks and
    // exports as before.
    LUMBRA_READ_ONLY(MySystem, FIT_TO_SCREEN),
    // Only the installed registry file sets the texts: a save leaves a tree that lacks them as
    // it was, and their accessors give the English text then.
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_SPEAK_NAMES_NAME),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_NEXT_PAGE_NAME),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_PREVIOUS_PAGE_NAME),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_MUSIC_NAME),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_HOUSE_NAME),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_CHANGED_MEANWHILE),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_NOT_INSTALLED),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_ICON_REMOVED),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_UNDO),
    // Values added later are read but not written back: a tree that never had them keeps
    // exporting exactly as before. The lock has its own writer (LockPinStore), so that a save
    // of the launcher's settings never takes back a PIN set while it runs.
    LUMBRA_READ_ONLY_TEXT(MySystem, LOCK_PIN),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_PIN_TITLE),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_PIN_WRONG),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_PIN_WAIT),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_PIN_ERASE),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_ENTRY_HIDDEN),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_ENTRY_NO_PROGRAM),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_ENTRY_NOT_INSTALLED),
    LUMBRA_READ_ONLY_TEXT(MySystem, DIALOG_ENTRY_UNREADABLE),
};

inline const RecordField<TabsInfo> tabsInfoFields[] = {
    LUMBRA_NUMBER(TabsInfo, TABINFO_HEIGHT),
    LUMBRA_TEXT(TabsInfo, TAB_NAME_FONT),
    LUMBRA_NUMBER(TabsInfo, TAB_NAME_FONT_SIZE),
    LUMBRA_NUMBER(TabsInfo, TABINFO_ITEM_WIDTH),
    LUMBRA_NUMBER(TabsInfo, TABINFO_ITEM_HIGHT),
};

inline const RecordField<TabInfo> tabInfoFields[] = {
    LUMBRA_NUMBER(TabInfo, TAB_ITEM_ID),
    LUMBRA_TEXT(TabInfo, TAB_ITEM_ICON_PNG_FILE_NAME),
    LUMBRA_TEXT(TabInfo, TAB_ITEM_NAME),
    LUMBRA_NUMBER(TabInfo, TAB_ITEM_ICON_WIDTH),
    LUMBRA_NUMBER(TabInfo, TAB_ITEM_ICON_HEIGHT),
    LUMBRA_TEXT(TabInfo, TAB_ITEM_ALL_ICONS),
    LUMBRA_NUMBER(TabInfo, TAB_ITEM_PARENT),
    // Read, never written: a tree without it saves and exports as before.
    LUMBRA_READ_ONLY_TEXT(TabInfo, TAB_ITEM_CATEGORY),
};

inline const RecordField<IconLayout> iconLayoutFields[] = {
    LUMBRA_NUMBER(IconLayout, ICON_WIDTH),
    LUMBRA_NUMBER(IconLayout, ICON_HEIGHT),
    LUMBRA_NUMBER(IconLayout, ICON_RESERVE_VERTICAL),
    LUMBRA_NUMBER(IconLayout, ICON_RESERVE_HORIZONTAL),
    LUMBRA_NUMBER(IconLayout, ICON_INTERVAL),
    LUMBRA_TEXT(IconLayout, ICON_AP_NAME_FONT),
    LUMBRA_NUMBER(IconLayout, ICON_AP_NAME_FONT_SIZE),
    LUMBRA_NUMBER(IconLayout, ICON_AP_NAME_X_POSITION),
    LUMBRA_NUMBER(IconLayout, ICON_AP_NAME_Y_POSITION),
    LUMBRA_NUMBER(IconLayout, ICON_EFFICACY_PIXEL),
    LUMBRA_NUMBER(IconLayout, ICON_EFFICACY_INTERVAL),
    LUMBRA_NUMBER(IconLayout, ICON_EFFICACY_COUNTER),
};

inline const RecordField<IconInfo> iconInfoFields[] = {
    LUMBRA_NUMBER(IconInfo, ICON_ID),
    LUMBRA_TEXT(IconInfo, ICON_AP_PNG_FILE_NAME),
    LUMBRA_TEXT(IconInfo, ICON_AP_NAME),
    LUMBRA_TEXT(IconInfo, ICON_AP_EXE_LOCATION),
    LUMBRA_TEXT(IconInfo, ICON_AP_TOOLTIP_NAME),
    LUMBRA_NUMBER(IconInfo, ICON_DATA_TYPE),
    LUMBRA_NUMBER(IconInfo, ICON_IS_DEFAULT_APP),
    LUMBRA_NUMBER(IconInfo, ICON_DIRTY),
    LUMBRA_NUMBER(IconInfo, ICON_SUB_TAB_ID),
    // Read, never written: a save never gives an icon a role its tree did not have.
    LUMBRA_READ_ONLY_TEXT(IconInfo, ICON_AP_ROLE),
};

// The four BACKTITLEBAR_NAME values are read but never written: they keep what the
// installed registry file gave them.
inline const RecordField<ThemeInfo> themeInfoFields[] = {
    LUMBRA_TEXT(ThemeInfo, THEME_NAME),
    LUMBRA_NUMBER(ThemeInfo, THEME_ICON_AP_NAME_COLOR_B),
    LUMBRA_NUMBER(ThemeInfo, THEME_ICON_AP_NAME_COLOR_G),
    LUMBRA_NUMBER(ThemeInfo, THEME_ICON_AP_NAME_COLOR_R),
    LUMBRA_NUMBER(ThemeInfo, THEME_ICON_AP_NAME_REVERSE_COLOR_B),
    LUMBRA_NUMBER(ThemeInfo, THEME_ICON_AP_NAME_REVERSE_COLOR_G),
    LUMBRA_NUMBER(ThemeInfo, THEME_ICON_AP_NAME_REVERSE_COLOR_R),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_AREA_BACKGROUND_COLOR_B),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_AREA_BACKGROUND_COLOR_G),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_AREA_BACKGROUND_COLOR_R),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_BACKGROUND_COLOR_B),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_BACKGROUND_COLOR_G),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_BACKGROUND_COLOR_R),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_PEN_COLOR_B),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_PEN_COLOR_G),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_PEN_COLOR_R),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_PEN_REVERSE_COLOR_B),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_PEN_REVERSE_COLOR_G),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_PEN_REVERSE_COLOR_R),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR_B),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR_G),
    LUMBRA_NUMBER(ThemeInfo, THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR_R),
    LUMBRA_NUMBER(ThemeInfo, THEME_SYSTEM_PEN_COLOR_R),
    LUMBRA_NUMBER(ThemeInfo, THEME_SYSTEM_PEN_COLOR_G),
    LUMBRA_NUMBER(ThemeInfo, THEME_SYSTEM_PEN_COLOR_B),
    LUMBRA_NUMBER(ThemeInfo, THEME_SYSTEM_PEN_REVERSE_COLOR_R),
    LUMBRA_NUMBER(ThemeInfo, THEME_SYSTEM_PEN_REVERSE_COLOR_G),
    LUMBRA_NUMBER(ThemeInfo, THEME_SYSTEM_PEN_REVERSE_COLOR_B),
    LUMBRA_TEXT(ThemeInfo, TITLEBAR_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, BACKTITLEBAR_PNG_NAME),
    LUMBRA_NUMBER(ThemeInfo, BACKTITLEBAR_PNG_HEIGHT),
    LUMBRA_TEXT(ThemeInfo, BACKBUTTON_HI_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, BACKBUTTON_NOR_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, TABITEM_HI_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, TABITEM_NOR_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, SEPARATE_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, HOUSE_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, DOWNBUTTON_HI_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, DOWNBUTTON_NOR_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, UPBUTTON_HI_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, UPBUTTON_NOR_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, MASK_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, DEFAULT_ICON_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, SPEAKER_ON_PNG_NAME),
    LUMBRA_TEXT(ThemeInfo, SPEAKER_OFF_PNG_NAME),
    LUMBRA_NUMBER(ThemeInfo, BACKBUTTON_PNG_WIDTH),
    LUMBRA_NUMBER(ThemeInfo, BACKBUTTON_PNG_HEIGHT),
    LUMBRA_NUMBER(ThemeInfo, BACKBUTTON_X_POSITION),
    LUMBRA_NUMBER(ThemeInfo, SEPARATE_PNG_WIDTH),
    LUMBRA_NUMBER(ThemeInfo, HOUSE_PNG_WIDTH),
    LUMBRA_NUMBER(ThemeInfo, HOUSE_PNG_HEIGHT),
    LUMBRA_NUMBER(ThemeInfo, DOWNBUTTON_PNG_WIDTH),
    LUMBRA_NUMBER(ThemeInfo, DOWNBUTTON_PNG_HEIGHT),
    LUMBRA_NUMBER(ThemeInfo, UPBUTTON_PNG_WIDTH),
    LUMBRA_NUMBER(ThemeInfo, UPBUTTON_PNG_HEIGHT),
    LUMBRA_NUMBER(ThemeInfo, SPEAKER_PNG_WIDTH),
    LUMBRA_NUMBER(ThemeInfo, SPEAKER_PNG_HEIGHT),
    LUMBRA_READ_ONLY(ThemeInfo, BACKTITLEBAR_NAME_X_POSITION),
    LUMBRA_READ_ONLY(ThemeInfo, BACKTITLEBAR_NAME_Y_POSITION),
    LUMBRA_READ_ONLY(ThemeInfo, BACKTITLEBAR_NAME_WIDTH),
    LUMBRA_READ_ONLY(ThemeInfo, BACKTITLEBAR_NAME_HEIGHT),
};

inline const RecordField<ThemeImage> themeImageFields[] = {
    LUMBRA_TEXT(ThemeImage, IMAGE_FILE_PATH),
    LUMBRA_NUMBER(ThemeImage, IMAGE_TAB_ITEM_ID),
};

#undef LUMBRA_NUMBER
#undef LUMBRA_TEXT
#undef LUMBRA_READ_ONLY
#undef LUMBRA_READ_ONLY_TEXT
