#include "SettingStore.h"

#include "RegistryAccess.h"
#include "ScreenFit.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"

#include <QColor>
#include <QFont>
#include <QPoint>

#include <algorithm>
#include <limits>

SettingStore theSettings;

namespace {

const QString kNull = QStringLiteral("NULL");
constexpr int kRowsPerPage = 3;
// More columns than this would make a page's count of icons overflow.
constexpr int kMostColumns = 1 << 20;
// A reserve beyond this leaves the icons no room between the reserves.
constexpr int kMostReserve = 40;
// No picture or icon of the launcher is this large on any screen; a larger size is a slip.
constexpr int kMostPixels = 8192;

// The values a size may take for the launcher to be drawn at all, and the factory value
// (data/settings/template.reg.in) that is used instead of one outside them.
struct UsableRange
{
    int id;
    const char *name;
    int least;
    int most;
    int factory;
};

const UsableRange usableInts[] = {
    {IntSetting::NUMBER_OF_ICON_PER_ROW, "NUMBER_OF_ICON_PER_ROW", 1, kMostColumns, 5},
    {IntSetting::ICON_WIDTH, "ICON_WIDTH", 1, kMostPixels, 150},
    {IntSetting::ICON_HEIGHT, "ICON_HEIGHT", 1, kMostPixels, 136},
    {IntSetting::ICON_RESERVE_VERTICAL, "ICON_RESERVE_VERTICAL", 0, kMostReserve, 5},
    {IntSetting::ICON_RESERVE_HORIZONTAL, "ICON_RESERVE_HORIZONTAL", 0, kMostReserve, 6},
    {IntSetting::TABINFO_HEIGHT, "TABINFO_HEIGHT", 1, kMostPixels, 64},
    {IntSetting::TABINFO_ITEM_HIGHT, "TABINFO_ITEM_HIGHT", 1, kMostPixels, 64},
    {IntSetting::TABINFO_ITEM_WIDTH, "TABINFO_ITEM_WIDTH", 1, kMostPixels, 176},
};

const UsableRange usableThemeInts[] = {
    {ThemeIntSetting::BACKBUTTON_PNG_WIDTH, "BACKBUTTON_PNG_WIDTH", 1, kMostPixels, 160},
    {ThemeIntSetting::BACKBUTTON_PNG_HEIGHT, "BACKBUTTON_PNG_HEIGHT", 1, kMostPixels, 32},
    {ThemeIntSetting::SEPARATE_PNG_WIDTH, "SEPARATE_PNG_WIDTH", 0, kMostPixels, 1},
    {ThemeIntSetting::HOUSE_PNG_WIDTH, "HOUSE_PNG_WIDTH", 1, kMostPixels, 48},
    {ThemeIntSetting::HOUSE_PNG_HEIGHT, "HOUSE_PNG_HEIGHT", 1, kMostPixels, 48},
    {ThemeIntSetting::DOWNBUTTON_PNG_WIDTH, "DOWNBUTTON_PNG_WIDTH", 1, kMostPixels, 48},
    {ThemeIntSetting::DOWNBUTTON_PNG_HEIGHT, "DOWNBUTTON_PNG_HEIGHT", 1, kMostPixels, 64},
    {ThemeIntSetting::UPBUTTON_PNG_WIDTH, "UPBUTTON_PNG_WIDTH", 1, kMostPixels, 48},
    {ThemeIntSetting::UPBUTTON_PNG_HEIGHT, "UPBUTTON_PNG_HEIGHT", 1, kMostPixels, 64},
    {ThemeIntSetting::SPEAKER_PNG_WIDTH, "SPEAKER_PNG_WIDTH", 1, kMostPixels, 48},
    {ThemeIntSetting::SPEAKER_PNG_HEIGHT, "SPEAKER_PNG_HEIGHT", 1, kMostPixels, 48},
    {ThemeIntSetting::BACKTITLEBAR_PNG_HEIGHT, "BACKTITLEBAR_PNG_HEIGHT", 1, kMostPixels, 36},
    {ThemeIntSetting::BACKBUTTON_X_POSITION, "BACKBUTTON_X_POSITION", 1, kMostPixels, 172},
};

// Font sizes are added to (+ 7 or + 8); one that comes to 0 or less keeps the family's own
// size. A size beyond this is no text a dialog or a label can hold, and measuring it to fit
// a button held the theme dialog up for over a minute.
constexpr int kMostFontSize = 200;

const UsableRange usableFontSizes[] = {
    {FontSetting::ICON_AP_NAME_FONT, "ICON_AP_NAME_FONT_SIZE", std::numeric_limits<int>::min(), kMostFontSize, 11},
    {FontSetting::SYSTEM_STRING_FONT, "SYSTEM_STRING_FONT_SIZE", std::numeric_limits<int>::min(), kMostFontSize, 12},
    {FontSetting::TAB_NAME_FONT, "TAB_NAME_FONT_SIZE", std::numeric_limits<int>::min(), kMostFontSize, 12},
};

// A tab may have no picture (0); a negative size is no size.
const UsableRange usableTabInts[] = {
    {TabIntSetting::TAB_ITEM_ICON_WIDTH, "TAB_ITEM_ICON_WIDTH", 0, kMostPixels, 44},
    {TabIntSetting::TAB_ITEM_ICON_HEIGHT, "TAB_ITEM_ICON_HEIGHT", 0, kMostPixels, 44},
};

template <class Record, class Member>
struct IdField
{
    int id;
    Member Record::*field;
};

const IdField<MySystem, int> systemInts[] = {
    {IntSetting::IS_FIRST_RUN, &MySystem::IS_FIRST_RUN},
    {IntSetting::ALWAYS_ON_BACKGROUND, &MySystem::ALWAYS_ON_BACKGROUND},
    {IntSetting::STARTWHENBOOTING, &MySystem::STARTWHENBOOTING},
    {IntSetting::CURRENT_THEME, &MySystem::CURRENT_THEME},
    {IntSetting::NUMBER_OF_ICON_PER_ROW, &MySystem::NUMBER_OF_ICON_PER_ROW},
    {IntSetting::MUSIC_BACKGROUND_ON, &MySystem::MUSIC_BACKGROUND_ON},
    {IntSetting::ICON_DISABLE_CLICK_TIMER, &MySystem::ICON_DISABLE_CLICK_TIMER},
};

const IdField<IconLayout, int> layoutInts[] = {
    {IntSetting::ICON_WIDTH, &IconLayout::ICON_WIDTH},
    {IntSetting::ICON_HEIGHT, &IconLayout::ICON_HEIGHT},
    {IntSetting::ICON_AP_NAME_X_POSITION, &IconLayout::ICON_AP_NAME_X_POSITION},
    {IntSetting::ICON_AP_NAME_Y_POSITION, &IconLayout::ICON_AP_NAME_Y_POSITION},
    {IntSetting::ICON_RESERVE_VERTICAL, &IconLayout::ICON_RESERVE_VERTICAL},
    {IntSetting::ICON_RESERVE_HORIZONTAL, &IconLayout::ICON_RESERVE_HORIZONTAL},
    {IntSetting::ICON_EFFICACY_PIXEL, &IconLayout::ICON_EFFICACY_PIXEL},
    {IntSetting::ICON_EFFICACY_INTERVAL, &IconLayout::ICON_EFFICACY_INTERVAL},
    {IntSetting::ICON_EFFICACY_COUNTER, &IconLayout::ICON_EFFICACY_COUNTER},
};

const IdField<TabsInfo, int> tabsInts[] = {
    {IntSetting::TABINFO_HEIGHT, &TabsInfo::TABINFO_HEIGHT},
    {IntSetting::TABINFO_ITEM_HIGHT, &TabsInfo::TABINFO_ITEM_HIGHT},
    {IntSetting::TABINFO_ITEM_WIDTH, &TabsInfo::TABINFO_ITEM_WIDTH},
};

const IdField<MySystem, QString> systemTexts[] = {
    {TextSetting::VERSION, &MySystem::VERSION},
    {TextSetting::SYSTEMTRAY_LUMBRA_TOOLTIPNAME, &MySystem::SYSTEMTRAY_LUMBRA_TOOLTIPNAME},
    {TextSetting::SYSTEMTRAY_SHUTDOWN_TOOLTIPNAME, &MySystem::SYSTEMTRAY_SHUTDOWN_TOOLTIPNAME},
    {TextSetting::SYSTEMTRAY_TASKMANAGER_TOOLTIPNAME, &MySystem::SYSTEMTRAY_TASKMANAGER_TOOLTIPNAME},
    {TextSetting::LUMBRA_WINDOWTITLE, &MySystem::LUMBRA_WINDOWTITLE},
    {TextSetting::DIALOG_ALWAYS_ON_BACKGROUND_NAME, &MySystem::DIALOG_ALWAYS_ON_BACKGROUND_NAME},
    {TextSetting::DIALOG_STARTWHENBOOTING_NAME, &MySystem::DIALOG_STARTWHENBOOTING_NAME},
    {TextSetting::DIALOG_OK, &MySystem::DIALOG_OK},
    {TextSetting::DIALOG_CANCEL, &MySystem::DIALOG_CANCEL},
    {TextSetting::DIALOG_SELECT_BACKGROUND_THEME_NAME, &MySystem::DIALOG_SELECT_BACKGROUND_THEME_NAME},
    {TextSetting::SYSTEMTRAY_LUMBRA_SETTING_SETTING, &MySystem::SYSTEMTRAY_LUMBRA_SETTING_SETTING},
    {TextSetting::SYSTEMTRAY_LUMBRA_SETTING_EXIT, &MySystem::SYSTEMTRAY_LUMBRA_SETTING_EXIT},
    {TextSetting::DIALOG_DROP_AP_PATH, &MySystem::DIALOG_DROP_AP_PATH},
    {TextSetting::DIALOG_DROP_AP_NAME, &MySystem::DIALOG_DROP_AP_NAME},
    {TextSetting::DIALOG_WINDOWMODE_NAME, &MySystem::DIALOG_WINDOWMODE_NAME},
    {TextSetting::DIALOG_LUMBRA_NAME, &MySystem::DIALOG_LUMBRA_NAME},
    {TextSetting::DIALOG_RETURN_TO_PREV_TAB, &MySystem::DIALOG_RETURN_TO_PREV_TAB},
};

// Texts newer than the trees already installed: where a tree has none, the English text
// stands in, so that no switch or spoken name is ever blank.
struct TextWithFallback
{
    int id;
    QString MySystem::*field;
    const char *english;
};

const TextWithFallback laterSystemTexts[] = {
    {TextSetting::DIALOG_NOT_INSTALLED, &MySystem::DIALOG_NOT_INSTALLED, "This program is not installed on this computer."},
    {TextSetting::DIALOG_ICON_REMOVED, &MySystem::DIALOG_ICON_REMOVED, "%1 was removed"},
    {TextSetting::DIALOG_UNDO, &MySystem::DIALOG_UNDO, "Undo"},
    {TextSetting::DIALOG_PIN_TITLE, &MySystem::DIALOG_PIN_TITLE, "Please enter the PIN"},
    {TextSetting::DIALOG_PIN_WRONG, &MySystem::DIALOG_PIN_WRONG, "This PIN is wrong. Nothing was changed."},
    {TextSetting::DIALOG_PIN_WAIT, &MySystem::DIALOG_PIN_WAIT, "This PIN is wrong. Please wait %1 seconds, then try again."},
    {TextSetting::DIALOG_PIN_ERASE, &MySystem::DIALOG_PIN_ERASE, "Erase"},
    {TextSetting::DIALOG_ENTRY_HIDDEN, &MySystem::DIALOG_ENTRY_HIDDEN, "This shortcut is switched off and cannot be added."},
    {TextSetting::DIALOG_ENTRY_NO_PROGRAM, &MySystem::DIALOG_ENTRY_NO_PROGRAM, "This shortcut does not say which program to start."},
    {TextSetting::DIALOG_ENTRY_NOT_INSTALLED, &MySystem::DIALOG_ENTRY_NOT_INSTALLED, "The program of this shortcut is not installed on this computer."},
    {TextSetting::DIALOG_ENTRY_UNREADABLE, &MySystem::DIALOG_ENTRY_UNREADABLE, "This shortcut cannot be read: it is not a program's shortcut."},
    {TextSetting::DIALOG_SPEAK_NAMES_NAME, &MySystem::DIALOG_SPEAK_NAMES_NAME, "Read the names aloud"},
    {TextSetting::DIALOG_NEXT_PAGE_NAME, &MySystem::DIALOG_NEXT_PAGE_NAME, "Next page"},
    {TextSetting::DIALOG_PREVIOUS_PAGE_NAME, &MySystem::DIALOG_PREVIOUS_PAGE_NAME, "Previous page"},
    {TextSetting::DIALOG_MUSIC_NAME, &MySystem::DIALOG_MUSIC_NAME, "Music"},
    {TextSetting::DIALOG_HOUSE_NAME, &MySystem::DIALOG_HOUSE_NAME, "Hide Lumbra"},
    {TextSetting::DIALOG_CHANGED_MEANWHILE, &MySystem::DIALOG_CHANGED_MEANWHILE,
     "The settings were changed in the meantime and this change no longer fits them, so it was not made. "
     "Lumbra now shows the new settings."},
};

// Tray pictures named in the system record but lying in the current theme's folder.
const IdField<MySystem, QString> systemPictures[] = {
    {TextSetting::SYSTEMTRAY_LUMBRA_PNGFILENAME, &MySystem::SYSTEMTRAY_LUMBRA_PNGFILENAME},
    {TextSetting::SYSTEMTRAY_SHUTDOWN_PNGFILENAME, &MySystem::SYSTEMTRAY_SHUTDOWN_PNGFILENAME},
    {TextSetting::SYSTEMTRAY_TASKMANAGER_PNGFILENAME, &MySystem::SYSTEMTRAY_TASKMANAGER_PNGFILENAME},
};

const IdField<ThemeInfo, QString> themePictures[] = {
    {TextSetting::TITLEBAR_PNG_NAME, &ThemeInfo::TITLEBAR_PNG_NAME},
    {TextSetting::BACKTITLEBAR_PNG_NAME, &ThemeInfo::BACKTITLEBAR_PNG_NAME},
    {TextSetting::BACKBUTTON_HI_PNG_NAME, &ThemeInfo::BACKBUTTON_HI_PNG_NAME},
    {TextSetting::BACKBUTTON_NOR_PNG_NAME, &ThemeInfo::BACKBUTTON_NOR_PNG_NAME},
    {TextSetting::TABITEM_HI_PNG_NAME, &ThemeInfo::TABITEM_HI_PNG_NAME},
    {TextSetting::TABITEM_NOR_PNG_NAME, &ThemeInfo::TABITEM_NOR_PNG_NAME},
    {TextSetting::SEPARATE_PNG_NAME, &ThemeInfo::SEPARATE_PNG_NAME},
    {TextSetting::HOUSE_PNG_NAME, &ThemeInfo::HOUSE_PNG_NAME},
    {TextSetting::DOWNBUTTON_HI_PNG_NAME, &ThemeInfo::DOWNBUTTON_HI_PNG_NAME},
    {TextSetting::DOWNBUTTON_NOR_PNG_NAME, &ThemeInfo::DOWNBUTTON_NOR_PNG_NAME},
    {TextSetting::UPBUTTON_HI_PNG_NAME, &ThemeInfo::UPBUTTON_HI_PNG_NAME},
    {TextSetting::UPBUTTON_NOR_PNG_NAME, &ThemeInfo::UPBUTTON_NOR_PNG_NAME},
    {TextSetting::MASK_PNG_NAME, &ThemeInfo::MASK_PNG_NAME},
    {TextSetting::SPEAKER_ON_PNG_NAME, &ThemeInfo::SPEAKER_ON_PNG_NAME},
    {TextSetting::SPEAKER_OFF_PNG_NAME, &ThemeInfo::SPEAKER_OFF_PNG_NAME},
};

const IdField<ThemeInfo, int> themeInts[] = {
    {ThemeIntSetting::BACKBUTTON_PNG_WIDTH, &ThemeInfo::BACKBUTTON_PNG_WIDTH},
    {ThemeIntSetting::BACKBUTTON_PNG_HEIGHT, &ThemeInfo::BACKBUTTON_PNG_HEIGHT},
    {ThemeIntSetting::SEPARATE_PNG_WIDTH, &ThemeInfo::SEPARATE_PNG_WIDTH},
    {ThemeIntSetting::HOUSE_PNG_WIDTH, &ThemeInfo::HOUSE_PNG_WIDTH},
    {ThemeIntSetting::HOUSE_PNG_HEIGHT, &ThemeInfo::HOUSE_PNG_HEIGHT},
    {ThemeIntSetting::DOWNBUTTON_PNG_WIDTH, &ThemeInfo::DOWNBUTTON_PNG_WIDTH},
    {ThemeIntSetting::DOWNBUTTON_PNG_HEIGHT, &ThemeInfo::DOWNBUTTON_PNG_HEIGHT},
    {ThemeIntSetting::UPBUTTON_PNG_WIDTH, &ThemeInfo::UPBUTTON_PNG_WIDTH},
    {ThemeIntSetting::UPBUTTON_PNG_HEIGHT, &ThemeInfo::UPBUTTON_PNG_HEIGHT},
    {ThemeIntSetting::SPEAKER_PNG_WIDTH, &ThemeInfo::SPEAKER_PNG_WIDTH},
    {ThemeIntSetting::SPEAKER_PNG_HEIGHT, &ThemeInfo::SPEAKER_PNG_HEIGHT},
    {ThemeIntSetting::BACKTITLEBAR_PNG_HEIGHT, &ThemeInfo::BACKTITLEBAR_PNG_HEIGHT},
    {ThemeIntSetting::BACKBUTTON_X_POSITION, &ThemeInfo::BACKBUTTON_X_POSITION},
    {ThemeIntSetting::BACKTITLEBAR_NAME_X_POSITION, &ThemeInfo::BACKTITLEBAR_NAME_X_POSITION},
    {ThemeIntSetting::BACKTITLEBAR_NAME_Y_POSITION, &ThemeInfo::BACKTITLEBAR_NAME_Y_POSITION},
    {ThemeIntSetting::BACKTITLEBAR_NAME_WIDTH, &ThemeInfo::BACKTITLEBAR_NAME_WIDTH},
    {ThemeIntSetting::BACKTITLEBAR_NAME_HEIGHT, &ThemeInfo::BACKTITLEBAR_NAME_HEIGHT},
};

struct ColourGroup
{
    int id;
    int ThemeInfo::*red;
    int ThemeInfo::*green;
    int ThemeInfo::*blue;
};

#define LUMBRA_COLOUR(group) \
    ColourGroup{ColourSetting::group, &ThemeInfo::group##_R, &ThemeInfo::group##_G, &ThemeInfo::group##_B}

const ColourGroup colourGroups[] = {
    LUMBRA_COLOUR(THEME_SYSTEM_PEN_COLOR),
    LUMBRA_COLOUR(THEME_SYSTEM_PEN_REVERSE_COLOR),
    LUMBRA_COLOUR(THEME_ICON_AP_NAME_COLOR),
    LUMBRA_COLOUR(THEME_ICON_AP_NAME_REVERSE_COLOR),
    LUMBRA_COLOUR(THEME_TAB_ITEM_PEN_COLOR),
    LUMBRA_COLOUR(THEME_TAB_AREA_BACKGROUND_COLOR),
    LUMBRA_COLOUR(THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR),
    LUMBRA_COLOUR(THEME_TAB_ITEM_PEN_REVERSE_COLOR),
};

#undef LUMBRA_COLOUR

// A stored text as the launcher uses it: %NAME% references replaced by their values. The
// records keep the stored text, so that what a change writes back keeps the references.
QString expanded(const QString &text)
{
    return expandEnvironmentReferences(text);
}

template <class Table>
auto findId(const Table &table, int id) -> decltype(&table[0])
{
    for (const auto &entry : table) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

int positionCount(const TabInfo &tab)
{
    return tab.TAB_ITEM_ALL_ICONS.isEmpty() ? 0 : int(tab.TAB_ITEM_ALL_ICONS.count(u'.')) + 1;
}

// The grid is computed in 64 bits and saturated, so that absurd sizes from a broken store
// give absurd positions rather than undefined arithmetic.
int saturated(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The size is the stored one plus a few pixels, added in 64 bits: a stored size near the
// end of the int range must not wrap round.
QFont fontOf(const QString &family, qint64 pixelSize)
{
    QFont font(family);
    if (pixelSize > 0)
        font.setPixelSize(saturated(pixelSize));
    return font;
}

} // namespace

QList<int> iconNumbersOf(const QString &allIcons)
{
    QList<int> numbers;
    if (allIcons.isEmpty())
        return numbers;
    for (const QStringView part : QStringView(allIcons).split(u'.')) {
        bool ok = false;
        const int number = part.toInt(&ok, 10);
        numbers.append(ok ? number : 0);
    }
    return numbers;
}

// A CURRENT_THEME that names no theme would leave the launcher without colours, tab names and
// tray icon: the first theme stands in.
const ThemeInfo *SettingStore::currentTheme() const
{
    // In 64 bits: CURRENT_THEME may be any number a hand-edited store holds.
    const qint64 index = qint64(mySystem.CURRENT_THEME) - 1;
    if (index >= 0 && index < themes.size())
        return &themes.at(index);
    if (themes.isEmpty())
        return nullptr;
    reportOnce(QStringLiteral("CURRENT_THEME %1 names no theme; using theme 1 (%2)")
                   .arg(mySystem.CURRENT_THEME)
                   .arg(themes.first().THEME_NAME));
    return &themes.first();
}

int SettingStore::usable(int id, int stored, const QString &owner) const
{
    const UsableRange *range = findId(usableInts, id);
    if (!range)
        range = findId(usableThemeInts, id);
    if (!range)
        range = findId(usableTabInts, id);
    if (!range)
        range = findId(usableFontSizes, id);
    if (!range || (stored >= range->least && stored <= range->most))
        return stored;
    reportOnce(QStringLiteral("%1 %2%3 is out of range; using %4")
                   .arg(QLatin1String(range->name))
                   .arg(stored)
                   .arg(owner.isEmpty() ? QString() : QStringLiteral(" of ") + owner)
                   .arg(range->factory));
    return range->factory;
}

void SettingStore::reportOnce(const QString &line) const
{
    if (reported.contains(line))
        return;
    reported.insert(line);
    printDiagnostic(line);
}

const TabInfo *SettingStore::tabAt(int tabIndex) const
{
    return tabIndex >= 0 && tabIndex < tabs.size() ? &tabs.at(tabIndex) : nullptr;
}

const IconInfo *SettingStore::iconAt(int tabIndex, int position) const
{
    const TabInfo *tab = tabAt(tabIndex);
    if (!tab)
        return nullptr;
    const QList<int> &numbers = iconNumbersOfTab(*tab);
    if (position < 0 || position >= numbers.size())
        return nullptr;
    const int number = numbers.at(position);
    return number >= 1 && number <= icons.size() ? &icons.at(number - 1) : nullptr;
}

const QList<int> &SettingStore::iconNumbersOfTab(const TabInfo &tab) const
{
    const QString &list = tab.TAB_ITEM_ALL_ICONS;
    if (list.constData() != parsedIconList.constData() || list.size() != parsedIconList.size()
        || list.isNull() != parsedIconList.isNull()) {
        parsedIconList = list;
        parsedIconNumbers = iconNumbersOf(list);
    }
    return parsedIconNumbers;
}

QString SettingStore::themePicture(const QString ThemeInfo::*field) const
{
    const ThemeInfo *theme = currentTheme();
    if (!theme)
        return kNull;
    return expanded(mySystem.THEME_DIR) + expanded(theme->THEME_NAME) + u'/' + expanded(theme->*field);
}

int SettingStore::screenWidth() const
{
    return platform::screen().systemMetric(platform::kSmCxFullScreen);
}

int SettingStore::screenHeight() const
{
    platform::ScreenMetrics &screen = platform::screen();
    return screen.systemMetric(platform::kSmCyFullScreen) + screen.systemMetric(platform::kSmCyCaption);
}

int SettingStore::getInt(int id) const
{
    if (id == IntSetting::CURRENT_THEME) {
        const ThemeInfo *theme = currentTheme();
        return theme ? int(theme - themes.constData()) + 1 : mySystem.CURRENT_THEME;
    }
    if (const auto *entry = findId(systemInts, id))
        return usable(id, mySystem.*entry->field);
    if (const auto *entry = findId(layoutInts, id))
        return usable(id, iconLayout.*entry->field);
    if (const auto *entry = findId(tabsInts, id))
        return usable(id, tabsInfo.*entry->field);
    switch (id) {
    case IntSetting::ALWAYS_ONE:
        return 1;
    case IntSetting::TAB_COUNT:
        return int(tabs.size());
    case IntSetting::SUB_TAB_COUNT:
        return int(std::count_if(tabs.cbegin(), tabs.cend(),
                                 [](const TabInfo &tab) { return tab.TAB_ITEM_PARENT != 0; }));
    case IntSetting::ICON_POSITION_COUNT: {
        int total = 0;
        for (const TabInfo &tab : tabs)
            total += positionCount(tab);
        return total;
    }
    case IntSetting::ICON_COLUMN_GAP:
        return iconColumnGap;
    case IntSetting::ICON_ROW_GAP:
        return iconRowGap;
    case IntSetting::GRID_LEFT:
        return gridLeft;
    case IntSetting::GRID_TOP:
        return gridTop;
    case IntSetting::ICON_ROWS_PER_PAGE:
        return kRowsPerPage;
    case IntSetting::ALWAYS_ZERO:
    case IntSetting::ALWAYS_ZERO_TOO:
        return 0;
    case IntSetting::SCREEN_WIDTH:
    case IntSetting::SCREEN_WIDTH_TOO:
        return screenWidth();
    case IntSetting::SCREEN_HEIGHT:
        return screenHeight();
    default:
        return -1;
    }
}

QString SettingStore::getString(int id) const
{
    if (const auto *entry = findId(systemTexts, id))
        return expanded(mySystem.*entry->field);
    if (const auto *entry = findId(laterSystemTexts, id)) {
        const QString text = expanded(mySystem.*entry->field);
        return text.trimmed().isEmpty() ? QString::fromUtf8(entry->english) : text;
    }
    if (const auto *entry = findId(themePictures, id))
        return themePicture(entry->field);
    const ThemeInfo *theme = currentTheme();
    if (!theme)
        return kNull;
    if (const auto *entry = findId(systemPictures, id))
        return expanded(mySystem.THEME_DIR) + expanded(theme->THEME_NAME) + u'/' + expanded(mySystem.*entry->field);
    if (id == TextSetting::DEFAULT_ICON_PNG_NAME)
        return expanded(mySystem.ICON_DIR) + expanded(theme->THEME_NAME) + u'/' + expanded(theme->DEFAULT_ICON_PNG_NAME);
    return kNull;
}

QFont SettingStore::getFont(int id) const
{
    switch (id) {
    case FontSetting::ICON_AP_NAME_FONT:
        return fontOf(expanded(iconLayout.ICON_AP_NAME_FONT), qint64(usable(id, iconLayout.ICON_AP_NAME_FONT_SIZE)) + 7);
    case FontSetting::SYSTEM_STRING_FONT:
        return fontOf(expanded(mySystem.SYSTEM_STRING_FONT), qint64(usable(id, mySystem.SYSTEM_STRING_FONT_SIZE)) + 8);
    case FontSetting::TAB_NAME_FONT:
        return fontOf(expanded(tabsInfo.TAB_NAME_FONT), qint64(usable(id, tabsInfo.TAB_NAME_FONT_SIZE)) + 8);
    case FontSetting::TOOLTIP_FONT:
        return fontOf(QStringLiteral("Arial"), 19);
    default:
        return QFont();
    }
}

QColor SettingStore::getColor(int id) const
{
    const ColourGroup *group = findId(colourGroups, id);
    const ThemeInfo *theme = currentTheme();
    if (!group || !theme)
        return QColor();
    // Components outside 0 ... 255 would make an invalid colour; a hand-edited theme gets
    // the nearest one instead.
    return QColor(std::clamp(theme->*group->red, 0, 255), std::clamp(theme->*group->green, 0, 255),
                  std::clamp(theme->*group->blue, 0, 255));
}

int SettingStore::getThemeInt(int id) const
{
    if (id == ThemeIntSetting::THEME_COUNT)
        return int(themes.size());
    const ThemeInfo *theme = currentTheme();
    if (!theme)
        return -1;
    if (const auto *entry = findId(themeInts, id))
        return usable(id, theme->*entry->field, QStringLiteral("theme ") + theme->THEME_NAME);
    const qint64 houseWidth = getThemeInt(ThemeIntSetting::HOUSE_PNG_WIDTH);
    switch (id) {
    case ThemeIntSetting::HOUSE_X:
        return saturated(qint64(screenWidth()) - houseWidth - 5);
    case ThemeIntSetting::HOUSE_Y:
    case ThemeIntSetting::SPEAKER_Y:
        return getInt(IntSetting::TABINFO_HEIGHT) / 2 - getThemeInt(ThemeIntSetting::HOUSE_PNG_HEIGHT) / 2;
    case ThemeIntSetting::SPEAKER_X:
        return saturated(qint64(screenWidth()) - 2 * houseWidth - 12);
    default:
        return -1;
    }
}

QString SettingStore::getThemeName(int id, int themeIndex) const
{
    if (id != ThemeSetting::THEME_NAME || themeIndex < 0 || themeIndex >= themes.size())
        return kNull;
    return expanded(themes.at(themeIndex).THEME_NAME);
}

int SettingStore::getThemeImageCount(int id, int themeIndex) const
{
    if (id != ThemeSetting::IMAGE_COUNT || themeIndex < 0 || themeIndex >= themes.size())
        return -1;
    return int(themes.at(themeIndex).images.size());
}

// The folder is always the current theme's, whichever theme the image belongs to.
QString SettingStore::getThemeImagePath(int id, int themeIndex, int imageIndex) const
{
    const ThemeInfo *current = currentTheme();
    if (id != ThemeSetting::IMAGE_FILE_PATH || !current || themeIndex < 0 || themeIndex >= themes.size())
        return kNull;
    const QList<ThemeImage> &images = themes.at(themeIndex).images;
    if (imageIndex < 0 || imageIndex >= images.size())
        return kNull;
    return expanded(mySystem.THEME_DIR) + expanded(current->THEME_NAME) + u'/'
        + expanded(images.at(imageIndex).IMAGE_FILE_PATH);
}

QString SettingStore::getTabString(int id, int tabIndex) const
{
    const TabInfo *tab = tabAt(tabIndex);
    if (!tab)
        return kNull;
    switch (id) {
    case TabTextSetting::TAB_ITEM_NAME:
        return expanded(tab->TAB_ITEM_NAME);
    case TabTextSetting::TAB_ITEM_ICON_PNG_FILE_NAME:
        return expanded(mySystem.TAB_DIR) + expanded(tab->TAB_ITEM_ICON_PNG_FILE_NAME);
    case TabTextSetting::TAB_ITEM_CATEGORY:
        return tab->TAB_ITEM_CATEGORY.trimmed();
    default:
        return kNull;
    }
}

int SettingStore::getTabInt(int id, int index) const
{
    if (id == TabIntSetting::ICON_SUB_TAB_ID)
        return index >= 0 && index < icons.size() ? icons.at(index).ICON_SUB_TAB_ID : -1;
    const TabInfo *tab = tabAt(index);
    if (!tab)
        return -1;
    switch (id) {
    case TabIntSetting::ICON_POSITION_COUNT:
        return positionCount(*tab);
    case TabIntSetting::TAB_ITEM_PARENT:
        return tab->TAB_ITEM_PARENT;
    case TabIntSetting::TAB_ITEM_ICON_WIDTH:
        return usable(id, tab->TAB_ITEM_ICON_WIDTH, QStringLiteral("tab %1").arg(index + 1));
    case TabIntSetting::TAB_ITEM_ICON_HEIGHT:
        return usable(id, tab->TAB_ITEM_ICON_HEIGHT, QStringLiteral("tab %1").arg(index + 1));
    case TabIntSetting::TAB_ITEM_ID:
        return tab->TAB_ITEM_ID;
    default:
        return -1;
    }
}

int SettingStore::getTabIconInt(int id, int tabIndex, int position) const
{
    const IconInfo *icon = iconAt(tabIndex, position);
    if (!icon)
        return -1;
    switch (id) {
    case TabIconIntSetting::ICON_INDEX:
        return int(icon - icons.constData());
    case TabIconIntSetting::ICON_IS_DEFAULT_APP:
        return icon->ICON_IS_DEFAULT_APP;
    case TabIconIntSetting::ICON_DATA_TYPE:
        return icon->ICON_DATA_TYPE;
    default:
        return -1;
    }
}

QString SettingStore::getTabIconString(int id, int tabIndex, int position) const
{
    if (id == TabIconTextSetting::BASE_PICTURE)
        return expanded(mySystem.ICON_DIR) + QStringLiteral("base.png");
    if (id == TabIconTextSetting::UPDATE_PICTURE)
        return expanded(mySystem.ICON_DIR) + QStringLiteral("ORTAN-Update.png");
    const IconInfo *icon = iconAt(tabIndex, position);
    if (!icon)
        return kNull;
    switch (id) {
    case TabIconTextSetting::ICON_AP_NAME:
        return expanded(icon->ICON_AP_NAME);
    case TabIconTextSetting::ICON_AP_PNG_FILE_NAME:
        return icon->ICON_IS_DEFAULT_APP > 0 ? expanded(mySystem.ICON_DIR) + expanded(icon->ICON_AP_PNG_FILE_NAME)
                                             : expanded(icon->ICON_AP_PNG_FILE_NAME);
    case TabIconTextSetting::ICON_AP_EXE_LOCATION:
        return expanded(icon->ICON_AP_EXE_LOCATION);
    case TabIconTextSetting::ICON_AP_TOOLTIP_NAME:
        return expanded(icon->ICON_AP_TOOLTIP_NAME);
    case TabIconTextSetting::ICON_AP_ROLE:
        return icon->ICON_AP_ROLE.trimmed();
    default:
        return kNull;
    }
}

// The grid's gaps and margins, on the sizes at the screen's scale (ScreenFit). Where the
// reserve at the right is narrower than the paging buttons, the columns share what is left
// of them instead, so that none runs under the buttons.
void SettingStore::computeIconGrid()
{
    using namespace IntSetting;
    const qint64 width = screenWidth();
    const qint64 height = screenHeight();
    const qint64 columns = getInt(NUMBER_OF_ICON_PER_ROW);
    const qint64 reserveVertical = getInt(ICON_RESERVE_VERTICAL);
    const qint64 reserveHorizontal = getInt(ICON_RESERVE_HORIZONTAL);
    const int pagingWidth = currentTheme() ? std::max(getThemeInt(ThemeIntSetting::UPBUTTON_PNG_WIDTH),
                                                      getThemeInt(ThemeIntSetting::DOWNBUTTON_PNG_WIDTH))
                                           : 0;
    ScreenFit::Sizes sizes;
    sizes.screenWidth = width;
    sizes.screenHeight = height;
    sizes.columns = int(columns);
    sizes.iconWidth = getInt(ICON_WIDTH);
    sizes.iconHeight = getInt(ICON_HEIGHT);
    sizes.reserveVertical = int(reserveVertical);
    sizes.reserveHorizontal = int(reserveHorizontal);
    sizes.tabHeight = getInt(TABINFO_HEIGHT);
    sizes.pagingWidth = pagingWidth;
    sizes.fitToScreen = mySystem.FIT_TO_SCREEN == 1;
    gridScale = ScreenFit::scaleFor(sizes);
    cellWidth = scaled(sizes.iconWidth);
    cellHeight = scaled(sizes.iconHeight);
    const qint64 tabHeight = scaled(sizes.tabHeight);
    const qint64 reserve = (width * reserveVertical) / 100;
    const qint64 underPaging = std::max<qint64>(0, scaled(pagingWidth) - reserve);
    // One column has no gap between columns.
    iconColumnGap = columns <= 1
        ? 0
        : saturated((width - cellWidth * columns - (width * reserveVertical) / 50 - underPaging) / (columns - 1));
    iconRowGap = saturated((height - (3 * qint64(cellHeight) + tabHeight) - (height * reserveHorizontal) / 50) / 2);
    gridLeft = saturated(reserve);
    gridTop = saturated(((height - tabHeight) * reserveHorizontal) / 100);
}

QPoint SettingStore::getIconPosition(int position) const
{
    const qint64 columns = getInt(IntSetting::NUMBER_OF_ICON_PER_ROW);
    const qint64 onPage = std::max(0, position) % (columns * kRowsPerPage);
    const qint64 x = gridLeft + (qint64(scaled(getInt(IntSetting::ICON_WIDTH))) + iconColumnGap) * (onPage % columns);
    const qint64 y = gridTop + (onPage / columns) * (qint64(scaled(getInt(IntSetting::ICON_HEIGHT))) + iconRowGap);
    return QPoint(saturated(x), saturated(y));
}

int SettingStore::scaled(int size) const
{
    return ScreenFit::scaled(size, gridScale);
}
