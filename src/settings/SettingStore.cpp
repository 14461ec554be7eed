#include "SettingStore.h"

#include "RegistryAccess.h"
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

template <class Record, class Member>
struct IdField
{
    int id;
    Member Record::*field;
};

const IdField<MySystem, int> systemInts[] = {
    {0, &MySystem::IS_FIRST_RUN},
    {1, &MySystem::ALWAYS_ON_BACKGROUND},
    {2, &MySystem::STARTWHENBOOTING},
    {3, &MySystem::CURRENT_THEME},
    {17, &MySystem::NUMBER_OF_ICON_PER_ROW},
    {34, &MySystem::MUSIC_BACKGROUND_ON},
    {38, &MySystem::ICON_DISABLE_CLICK_TIMER},
};

const IdField<IconLayout, int> layoutInts[] = {
    {13, &IconLayout::ICON_WIDTH},
    {14, &IconLayout::ICON_HEIGHT},
    {15, &IconLayout::ICON_AP_NAME_X_POSITION},
    {16, &IconLayout::ICON_AP_NAME_Y_POSITION},
    {23, &IconLayout::ICON_RESERVE_VERTICAL},
    {24, &IconLayout::ICON_RESERVE_HORIZONTAL},
    {35, &IconLayout::ICON_EFFICACY_PIXEL},
    {36, &IconLayout::ICON_EFFICACY_INTERVAL},
    {37, &IconLayout::ICON_EFFICACY_COUNTER},
};

const IdField<TabsInfo, int> tabsInts[] = {
    {19, &TabsInfo::TABINFO_HEIGHT},
    {27, &TabsInfo::TABINFO_ITEM_HIGHT},
    {28, &TabsInfo::TABINFO_ITEM_WIDTH},
};

const IdField<MySystem, QString> systemTexts[] = {
    {1400, &MySystem::VERSION},
    {1402, &MySystem::SYSTEMTRAY_LUMBRA_TOOLTIPNAME},
    {1404, &MySystem::SYSTEMTRAY_SHUTDOWN_TOOLTIPNAME},
    {1405, &MySystem::SYSTEMTRAY_TASKMANAGER_TOOLTIPNAME},
    {1423, &MySystem::LUMBRA_WINDOWTITLE},
    {1424, &MySystem::DIALOG_ALWAYS_ON_BACKGROUND_NAME},
    {1425, &MySystem::DIALOG_STARTWHENBOOTING_NAME},
    {1426, &MySystem::DIALOG_OK},
    {1427, &MySystem::DIALOG_CANCEL},
    {1428, &MySystem::DIALOG_SELECT_BACKGROUND_THEME_NAME},
    {1429, &MySystem::SYSTEMTRAY_LUMBRA_SETTING_SETTING},
    {1430, &MySystem::SYSTEMTRAY_LUMBRA_SETTING_EXIT},
    {1431, &MySystem::DIALOG_DROP_AP_PATH},
    {1432, &MySystem::DIALOG_DROP_AP_NAME},
    {1433, &MySystem::DIALOG_WINDOWMODE_NAME},
    {1434, &MySystem::DIALOG_LUMBRA_NAME},
    {1435, &MySystem::DIALOG_RETURN_TO_PREV_TAB},
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
    {1436, &MySystem::DIALOG_NOT_INSTALLED, "This program is not installed on this computer."},
    {1437, &MySystem::DIALOG_ICON_REMOVED, "%1 was removed"},
    {1438, &MySystem::DIALOG_UNDO, "Undo"},
    {1439, &MySystem::DIALOG_PIN_TITLE, "Please enter the PIN"},
    {1440, &MySystem::DIALOG_PIN_WRONG, "This PIN is wrong. Nothing was changed."},
    {1441, &MySystem::DIALOG_PIN_WAIT, "This PIN is wrong. Please wait %1 seconds, then try again."},
    {1442, &MySystem::DIALOG_PIN_ERASE, "Erase"},
    {1443, &MySystem::DIALOG_ENTRY_HIDDEN, "This shortcut is switched off and cannot be added."},
    {1444, &MySystem::DIALOG_ENTRY_NO_PROGRAM, "This shortcut does not say which program to start."},
    {1445, &MySystem::DIALOG_ENTRY_NOT_INSTALLED, "The program of this shortcut is not installed on this computer."},
    {1446, &MySystem::DIALOG_ENTRY_UNREADABLE, "This shortcut cannot be read: it is not a program's shortcut."},
    {1450, &MySystem::DIALOG_SPEAK_NAMES_NAME, "Read the names aloud"},
    {1451, &MySystem::DIALOG_NEXT_PAGE_NAME, "Next page"},
    {1452, &MySystem::DIALOG_PREVIOUS_PAGE_NAME, "Previous page"},
    {1453, &MySystem::DIALOG_MUSIC_NAME, "Music"},
    {1454, &MySystem::DIALOG_HOUSE_NAME, "Hide Lumbra"},
};

// Tray pictures named in the system record but lying in the current theme's folder.
const IdField<MySystem, QString> systemPictures[] = {
    {1401, &MySystem::SYSTEMTRAY_LUMBRA_PNGFILENAME},
    {1403, &MySystem::SYSTEMTRAY_SHUTDOWN_PNGFILENAME},
    {1406, &MySystem::SYSTEMTRAY_TASKMANAGER_PNGFILENAME},
};

const IdField<ThemeInfo, QString> themePictures[] = {
    {1407, &ThemeInfo::TITLEBAR_PNG_NAME},
    {1408, &ThemeInfo::BACKTITLEBAR_PNG_NAME},
    {1409, &ThemeInfo::BACKBUTTON_HI_PNG_NAME},
    {1410, &ThemeInfo::BACKBUTTON_NOR_PNG_NAME},
    {1411, &ThemeInfo::TABITEM_HI_PNG_NAME},
    {1412, &ThemeInfo::TABITEM_NOR_PNG_NAME},
    {1413, &ThemeInfo::SEPARATE_PNG_NAME},
    {1414, &ThemeInfo::HOUSE_PNG_NAME},
    {1415, &ThemeInfo::DOWNBUTTON_HI_PNG_NAME},
    {1416, &ThemeInfo::DOWNBUTTON_NOR_PNG_NAME},
    {1417, &ThemeInfo::UPBUTTON_HI_PNG_NAME},
    {1418, &ThemeInfo::UPBUTTON_NOR_PNG_NAME},
    {1419, &ThemeInfo::MASK_PNG_NAME},
    {1421, &ThemeInfo::SPEAKER_ON_PNG_NAME},
    {1422, &ThemeInfo::SPEAKER_OFF_PNG_NAME},
};

const IdField<ThemeInfo, int> themeInts[] = {
    {402, &ThemeInfo::BACKBUTTON_PNG_WIDTH},
    {403, &ThemeInfo::BACKBUTTON_PNG_HEIGHT},
    {404, &ThemeInfo::SEPARATE_PNG_WIDTH},
    {405, &ThemeInfo::HOUSE_PNG_WIDTH},
    {406, &ThemeInfo::HOUSE_PNG_HEIGHT},
    {407, &ThemeInfo::DOWNBUTTON_PNG_WIDTH},
    {408, &ThemeInfo::DOWNBUTTON_PNG_HEIGHT},
    {409, &ThemeInfo::UPBUTTON_PNG_WIDTH},
    {410, &ThemeInfo::UPBUTTON_PNG_HEIGHT},
    {411, &ThemeInfo::SPEAKER_PNG_WIDTH},
    {412, &ThemeInfo::SPEAKER_PNG_HEIGHT},
    {413, &ThemeInfo::BACKTITLEBAR_PNG_HEIGHT},
    {414, &ThemeInfo::BACKBUTTON_X_POSITION},
    {415, &ThemeInfo::BACKTITLEBAR_NAME_X_POSITION},
    {416, &ThemeInfo::BACKTITLEBAR_NAME_Y_POSITION},
    {417, &ThemeInfo::BACKTITLEBAR_NAME_WIDTH},
    {418, &ThemeInfo::BACKTITLEBAR_NAME_HEIGHT},
};

struct ColourGroup
{
    int id;
    int ThemeInfo::*red;
    int ThemeInfo::*green;
    int ThemeInfo::*blue;
};

#define LUMBRA_COLOUR(id, group) \
    ColourGroup{id, &ThemeInfo::group##_R, &ThemeInfo::group##_G, &ThemeInfo::group##_B}

const ColourGroup colourGroups[] = {
    LUMBRA_COLOUR(1200, THEME_SYSTEM_PEN_COLOR),
    LUMBRA_COLOUR(1201, THEME_SYSTEM_PEN_REVERSE_COLOR),
    LUMBRA_COLOUR(1202, THEME_ICON_AP_NAME_COLOR),
    LUMBRA_COLOUR(1203, THEME_ICON_AP_NAME_REVERSE_COLOR),
    LUMBRA_COLOUR(1204, THEME_TAB_ITEM_PEN_COLOR),
    LUMBRA_COLOUR(1205, THEME_TAB_AREA_BACKGROUND_COLOR),
    LUMBRA_COLOUR(1206, THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR),
    LUMBRA_COLOUR(1207, THEME_TAB_ITEM_PEN_REVERSE_COLOR),
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

const ThemeInfo *SettingStore::currentTheme() const
{
    // In 64 bits: CURRENT_THEME may be any number a hand-edited store holds.
    const qint64 index = qint64(mySystem.CURRENT_THEME) - 1;
    return index >= 0 && index < themes.size() ? &themes.at(index) : nullptr;
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
    if (const auto *entry = findId(systemInts, id))
        return mySystem.*entry->field;
    if (const auto *entry = findId(layoutInts, id))
        return iconLayout.*entry->field;
    if (const auto *entry = findId(tabsInts, id))
        return tabsInfo.*entry->field;
    switch (id) {
    case 4:
        return 1;
    case 5:
        return int(tabs.size());
    case 6:
        return int(std::count_if(tabs.cbegin(), tabs.cend(),
                                 [](const TabInfo &tab) { return tab.TAB_ITEM_PARENT != 0; }));
    case 8: {
        int total = 0;
        for (const TabInfo &tab : tabs)
            total += positionCount(tab);
        return total;
    }
    case 9:
        return iconColumnGap;
    case 10:
        return iconRowGap;
    case 11:
        return gridLeft;
    case 12:
        return gridTop;
    case 18:
        return kRowsPerPage;
    case 20:
    case 21:
        return 0;
    case 22:
    case 26:
        return screenWidth();
    case 25:
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
    if (id == 1420)
        return expanded(mySystem.ICON_DIR) + expanded(theme->THEME_NAME) + u'/' + expanded(theme->DEFAULT_ICON_PNG_NAME);
    return kNull;
}

QFont SettingStore::getFont(int id) const
{
    switch (id) {
    case 1000:
        return fontOf(expanded(iconLayout.ICON_AP_NAME_FONT), qint64(iconLayout.ICON_AP_NAME_FONT_SIZE) + 7);
    case 1001:
        return fontOf(expanded(mySystem.SYSTEM_STRING_FONT), qint64(mySystem.SYSTEM_STRING_FONT_SIZE) + 8);
    case 1002:
        return fontOf(expanded(tabsInfo.TAB_NAME_FONT), qint64(tabsInfo.TAB_NAME_FONT_SIZE) + 8);
    case 1003:
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
    if (id == 400)
        return int(themes.size());
    const ThemeInfo *theme = currentTheme();
    if (!theme)
        return -1;
    if (const auto *entry = findId(themeInts, id))
        return theme->*entry->field;
    switch (id) {
    case 419:
        return saturated(qint64(screenWidth()) - theme->HOUSE_PNG_WIDTH - 5);
    case 420:
    case 422:
        return tabsInfo.TABINFO_HEIGHT / 2 - theme->HOUSE_PNG_HEIGHT / 2;
    case 421:
        return saturated(qint64(screenWidth()) - 2 * qint64(theme->HOUSE_PNG_WIDTH) - 12);
    default:
        return -1;
    }
}

QString SettingStore::getThemeName(int id, int themeIndex) const
{
    if (id != 200 || themeIndex < 0 || themeIndex >= themes.size())
        return kNull;
    return expanded(themes.at(themeIndex).THEME_NAME);
}

int SettingStore::getThemeImageCount(int id, int themeIndex) const
{
    if (id != 401 || themeIndex < 0 || themeIndex >= themes.size())
        return -1;
    return int(themes.at(themeIndex).images.size());
}

// The folder is always the current theme's, whichever theme the image belongs to.
QString SettingStore::getThemeImagePath(int id, int themeIndex, int imageIndex) const
{
    const ThemeInfo *current = currentTheme();
    if (id != 201 || !current || themeIndex < 0 || themeIndex >= themes.size())
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
    case 1600:
        return expanded(tab->TAB_ITEM_NAME);
    case 1601:
        return expanded(mySystem.TAB_DIR) + expanded(tab->TAB_ITEM_ICON_PNG_FILE_NAME);
    default:
        return kNull;
    }
}

int SettingStore::getTabInt(int id, int index) const
{
    if (id == 29)
        return index >= 0 && index < icons.size() ? icons.at(index).ICON_SUB_TAB_ID : -1;
    const TabInfo *tab = tabAt(index);
    if (!tab)
        return -1;
    switch (id) {
    case 7:
        return positionCount(*tab);
    case 30:
        return tab->TAB_ITEM_PARENT;
    case 31:
        return tab->TAB_ITEM_ICON_WIDTH;
    case 32:
        return tab->TAB_ITEM_ICON_HEIGHT;
    case 33:
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
    case 600:
        return int(icon - icons.constData());
    case 601:
        return icon->ICON_IS_DEFAULT_APP;
    case 602:
        return icon->ICON_DATA_TYPE;
    default:
        return -1;
    }
}

QString SettingStore::getTabIconString(int id, int tabIndex, int position) const
{
    if (id == 804)
        return expanded(mySystem.ICON_DIR) + QStringLiteral("base.png");
    if (id == 805)
        return expanded(mySystem.ICON_DIR) + QStringLiteral("ORTAN-Update.png");
    const IconInfo *icon = iconAt(tabIndex, position);
    if (!icon)
        return kNull;
    switch (id) {
    case 800:
        return expanded(icon->ICON_AP_NAME);
    case 801:
        return icon->ICON_IS_DEFAULT_APP > 0 ? expanded(mySystem.ICON_DIR) + expanded(icon->ICON_AP_PNG_FILE_NAME)
                                             : expanded(icon->ICON_AP_PNG_FILE_NAME);
    case 806:
        return expanded(icon->ICON_AP_EXE_LOCATION);
    case 807:
        return expanded(icon->ICON_AP_TOOLTIP_NAME);
    default:
        return kNull;
    }
}

void SettingStore::computeIconGrid()
{
    const qint64 width = screenWidth();
    const qint64 height = screenHeight();
    const qint64 columns = mySystem.NUMBER_OF_ICON_PER_ROW;
    const qint64 reserveVertical = iconLayout.ICON_RESERVE_VERTICAL;
    const qint64 reserveHorizontal = iconLayout.ICON_RESERVE_HORIZONTAL;
    const qint64 tabHeight = tabsInfo.TABINFO_HEIGHT;
    // One column or fewer has no gap between columns.
    iconColumnGap = columns <= 1 ? 0
        : saturated((width - iconLayout.ICON_WIDTH * columns - (width * reserveVertical) / 50)
                    / (columns - 1));
    iconRowGap = saturated((height - (3 * qint64(iconLayout.ICON_HEIGHT) + tabHeight)
                            - (height * reserveHorizontal) / 50) / 2);
    gridLeft = saturated((width * reserveVertical) / 100);
    gridTop = saturated(((height - tabHeight) * reserveHorizontal) / 100);
}

QPoint SettingStore::getIconPosition(int position) const
{
    const qint64 columns = std::max(1, mySystem.NUMBER_OF_ICON_PER_ROW);
    const qint64 onPage = std::max(0, position) % (columns * kRowsPerPage);
    const qint64 x = gridLeft + (qint64(iconLayout.ICON_WIDTH) + iconColumnGap) * (onPage % columns);
    const qint64 y = gridTop + (onPage / columns) * (qint64(iconLayout.ICON_HEIGHT) + iconRowGap);
    return QPoint(saturated(x), saturated(y));
}
