#pragma once

// The ids the accessors of SettingStore take, one enum per accessor family, named after the
// registry value they read (or after what they compute). The numbers are fixed: an id is a
// number throughout the program's history, and a store or a test may still name one by it.
// Each enum lives in a namespace of its family, so that a call reads
// theSettings.getInt(IntSetting::ICON_WIDTH) and the same name may serve two families.

// getInt
namespace IntSetting {
enum Id : int {
    IS_FIRST_RUN = 0,
    ALWAYS_ON_BACKGROUND = 1,
    STARTWHENBOOTING = 2,
    CURRENT_THEME = 3,
    ALWAYS_ONE = 4,
    TAB_COUNT = 5,
    SUB_TAB_COUNT = 6,
    ICON_POSITION_COUNT = 8,
    ICON_COLUMN_GAP = 9,
    ICON_ROW_GAP = 10,
    GRID_LEFT = 11,
    GRID_TOP = 12,
    ICON_WIDTH = 13,
    ICON_HEIGHT = 14,
    ICON_AP_NAME_X_POSITION = 15,
    ICON_AP_NAME_Y_POSITION = 16,
    NUMBER_OF_ICON_PER_ROW = 17,
    ICON_ROWS_PER_PAGE = 18,
    TABINFO_HEIGHT = 19,
    ALWAYS_ZERO = 20,
    ALWAYS_ZERO_TOO = 21,
    SCREEN_WIDTH = 22,
    ICON_RESERVE_VERTICAL = 23,
    ICON_RESERVE_HORIZONTAL = 24,
    SCREEN_HEIGHT = 25,
    SCREEN_WIDTH_TOO = 26,
    TABINFO_ITEM_HIGHT = 27,
    TABINFO_ITEM_WIDTH = 28,
    MUSIC_BACKGROUND_ON = 34,
    ICON_EFFICACY_PIXEL = 35,
    ICON_EFFICACY_INTERVAL = 36,
    ICON_EFFICACY_COUNTER = 37,
    ICON_DISABLE_CLICK_TIMER = 38,
};
} // namespace IntSetting

// getString: texts, and pictures of the current theme (its folder and the file name).
namespace TextSetting {
enum Id : int {
    VERSION = 1400,
    SYSTEMTRAY_LUMBRA_PNGFILENAME = 1401,
    SYSTEMTRAY_LUMBRA_TOOLTIPNAME = 1402,
    SYSTEMTRAY_SHUTDOWN_PNGFILENAME = 1403,
    SYSTEMTRAY_SHUTDOWN_TOOLTIPNAME = 1404,
    SYSTEMTRAY_TASKMANAGER_TOOLTIPNAME = 1405,
    SYSTEMTRAY_TASKMANAGER_PNGFILENAME = 1406,
    TITLEBAR_PNG_NAME = 1407,
    BACKTITLEBAR_PNG_NAME = 1408,
    BACKBUTTON_HI_PNG_NAME = 1409,
    BACKBUTTON_NOR_PNG_NAME = 1410,
    TABITEM_HI_PNG_NAME = 1411,
    TABITEM_NOR_PNG_NAME = 1412,
    SEPARATE_PNG_NAME = 1413,
    HOUSE_PNG_NAME = 1414,
    DOWNBUTTON_HI_PNG_NAME = 1415,
    DOWNBUTTON_NOR_PNG_NAME = 1416,
    UPBUTTON_HI_PNG_NAME = 1417,
    UPBUTTON_NOR_PNG_NAME = 1418,
    MASK_PNG_NAME = 1419,
    // In ICON_DIR, not THEME_DIR.
    DEFAULT_ICON_PNG_NAME = 1420,
    SPEAKER_ON_PNG_NAME = 1421,
    SPEAKER_OFF_PNG_NAME = 1422,
    LUMBRA_WINDOWTITLE = 1423,
    DIALOG_ALWAYS_ON_BACKGROUND_NAME = 1424,
    DIALOG_STARTWHENBOOTING_NAME = 1425,
    DIALOG_OK = 1426,
    DIALOG_CANCEL = 1427,
    DIALOG_SELECT_BACKGROUND_THEME_NAME = 1428,
    SYSTEMTRAY_LUMBRA_SETTING_SETTING = 1429,
    SYSTEMTRAY_LUMBRA_SETTING_EXIT = 1430,
    DIALOG_DROP_AP_PATH = 1431,
    DIALOG_DROP_AP_NAME = 1432,
    DIALOG_WINDOWMODE_NAME = 1433,
    DIALOG_LUMBRA_NAME = 1434,
    DIALOG_RETURN_TO_PREV_TAB = 1435,
    // Texts newer than the trees already installed; English where a tree has none.
    DIALOG_NOT_INSTALLED = 1436,
    DIALOG_ICON_REMOVED = 1437,
    DIALOG_UNDO = 1438,
    DIALOG_PIN_TITLE = 1439,
    DIALOG_PIN_WRONG = 1440,
    DIALOG_PIN_WAIT = 1441,
    DIALOG_PIN_ERASE = 1442,
    DIALOG_ENTRY_HIDDEN = 1443,
    DIALOG_ENTRY_NO_PROGRAM = 1444,
    DIALOG_ENTRY_NOT_INSTALLED = 1445,
    DIALOG_ENTRY_UNREADABLE = 1446,
    DIALOG_SPEAK_NAMES_NAME = 1450,
    DIALOG_NEXT_PAGE_NAME = 1451,
    DIALOG_PREVIOUS_PAGE_NAME = 1452,
    DIALOG_MUSIC_NAME = 1453,
    DIALOG_HOUSE_NAME = 1454,
    DIALOG_CHANGED_MEANWHILE = 1455,
};
} // namespace TextSetting

// getFont
namespace FontSetting {
enum Id : int {
    ICON_AP_NAME_FONT = 1000,
    SYSTEM_STRING_FONT = 1001,
    TAB_NAME_FONT = 1002,
    TOOLTIP_FONT = 1003,
};
} // namespace FontSetting

// getColor: the colour groups of the current theme.
namespace ColourSetting {
enum Id : int {
    THEME_SYSTEM_PEN_COLOR = 1200,
    THEME_SYSTEM_PEN_REVERSE_COLOR = 1201,
    THEME_ICON_AP_NAME_COLOR = 1202,
    THEME_ICON_AP_NAME_REVERSE_COLOR = 1203,
    THEME_TAB_ITEM_PEN_COLOR = 1204,
    THEME_TAB_AREA_BACKGROUND_COLOR = 1205,
    THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR = 1206,
    THEME_TAB_ITEM_PEN_REVERSE_COLOR = 1207,
};
} // namespace ColourSetting

// getThemeInt: sizes of the current theme's pictures, and places computed from them.
namespace ThemeIntSetting {
enum Id : int {
    THEME_COUNT = 400,
    BACKBUTTON_PNG_WIDTH = 402,
    BACKBUTTON_PNG_HEIGHT = 403,
    SEPARATE_PNG_WIDTH = 404,
    HOUSE_PNG_WIDTH = 405,
    HOUSE_PNG_HEIGHT = 406,
    DOWNBUTTON_PNG_WIDTH = 407,
    DOWNBUTTON_PNG_HEIGHT = 408,
    UPBUTTON_PNG_WIDTH = 409,
    UPBUTTON_PNG_HEIGHT = 410,
    SPEAKER_PNG_WIDTH = 411,
    SPEAKER_PNG_HEIGHT = 412,
    BACKTITLEBAR_PNG_HEIGHT = 413,
    BACKBUTTON_X_POSITION = 414,
    BACKTITLEBAR_NAME_X_POSITION = 415,
    BACKTITLEBAR_NAME_Y_POSITION = 416,
    BACKTITLEBAR_NAME_WIDTH = 417,
    BACKTITLEBAR_NAME_HEIGHT = 418,
    HOUSE_X = 419,
    HOUSE_Y = 420,
    SPEAKER_X = 421,
    SPEAKER_Y = 422,
};
} // namespace ThemeIntSetting

// getThemeName, getThemeImageCount and getThemeImagePath: one id each.
namespace ThemeSetting {
enum Id : int {
    THEME_NAME = 200,
    IMAGE_FILE_PATH = 201,
    IMAGE_COUNT = 401,
};
} // namespace ThemeSetting

// getTabString
namespace TabTextSetting {
enum Id : int {
    TAB_ITEM_NAME = 1600,
    TAB_ITEM_ICON_PNG_FILE_NAME = 1601,
    TAB_ITEM_CATEGORY = 1602,
};
} // namespace TabTextSetting

// getTabInt: of the tab at an index, but ICON_SUB_TAB_ID of the icon at an index.
namespace TabIntSetting {
enum Id : int {
    ICON_POSITION_COUNT = 7,
    ICON_SUB_TAB_ID = 29,
    TAB_ITEM_PARENT = 30,
    TAB_ITEM_ICON_WIDTH = 31,
    TAB_ITEM_ICON_HEIGHT = 32,
    TAB_ITEM_ID = 33,
};
} // namespace TabIntSetting

// getTabIconInt: of the icon at a position of a tab.
namespace TabIconIntSetting {
enum Id : int {
    // Its index in the icon list (its number - 1); -1 when the position names no icon.
    ICON_INDEX = 600,
    ICON_IS_DEFAULT_APP = 601,
    ICON_DATA_TYPE = 602,
};
} // namespace TabIconIntSetting

// getTabIconString: of the icon at a position of a tab.
namespace TabIconTextSetting {
enum Id : int {
    ICON_AP_NAME = 800,
    // In ICON_DIR for a default application, else as stored.
    ICON_AP_PNG_FILE_NAME = 801,
    BASE_PICTURE = 804,
    UPDATE_PICTURE = 805,
    ICON_AP_EXE_LOCATION = 806,
    ICON_AP_TOOLTIP_NAME = 807,
    ICON_AP_ROLE = 808,
};
} // namespace TabIconTextSetting
