#include "TestPlatform.h"

#include "settings/RecordFields_p.h"
#include "settings/SettingStore.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRegularExpression>
#include <QTest>

#include <climits>

namespace {

// Two themes, three tabs and eight icons, sized like the factory settings on a 1024 x 768
// screen.
SettingStore sampleStore()
{
    SettingStore store;
    store.mySystem.CURRENT_THEME = 2;
    store.mySystem.NUMBER_OF_TABS = 3;
    store.mySystem.NUMBER_OF_ICON_PER_ROW = 5;
    store.mySystem.THEME_DIR = QStringLiteral("./Theme/");
    // Stored texts keep their references; the accessors hand them out expanded.
    store.mySystem.ICON_DIR = QStringLiteral("%LUMBRA_TEST_DOT%/Icon/");
    store.mySystem.TAB_DIR = QStringLiteral("./Tab/");
    store.mySystem.VERSION = QStringLiteral("0.1");
    store.mySystem.SYSTEMTRAY_LUMBRA_PNGFILENAME = QStringLiteral("tray.png");
    store.tabsInfo.TABINFO_HEIGHT = 64;
    store.iconLayout.ICON_WIDTH = 150;
    store.iconLayout.ICON_HEIGHT = 140;
    store.iconLayout.ICON_RESERVE_VERTICAL = 5;
    store.iconLayout.ICON_RESERVE_HORIZONTAL = 5;
    store.iconLayout.ICON_AP_NAME_FONT = QStringLiteral("DejaVu Sans");
    store.iconLayout.ICON_AP_NAME_FONT_SIZE = 13;
    const QStringList allIcons = {QStringLiteral("3.1.7"), QStringLiteral("2..9"), QString()};
    for (int n = 0; n < 3; ++n) {
        TabInfo tab;
        tab.TAB_ITEM_ID = 10 + n;
        tab.TAB_ITEM_NAME = QStringLiteral("Tab %1").arg(n + 1);
        tab.TAB_ITEM_ICON_PNG_FILE_NAME = QStringLiteral("tab%1.png").arg(n + 1);
        tab.TAB_ITEM_ALL_ICONS = allIcons.at(n);
        // Any parent but 0 makes a sub-tab, a negative one too.
        tab.TAB_ITEM_PARENT = n == 2 ? 10 : n == 1 ? -1 : 0;
        store.tabs.append(tab);
    }
    for (int n = 1; n <= 8; ++n) {
        IconInfo icon;
        icon.ICON_ID = n;
        icon.ICON_AP_NAME = QStringLiteral("Icon %1").arg(n);
        icon.ICON_AP_PNG_FILE_NAME = n == 1 ? QStringLiteral("/home/me/added.png") : QStringLiteral("app%1.png").arg(n);
        icon.ICON_IS_DEFAULT_APP = n == 1 ? 0 : n == 7 ? -1 : 1;
        icon.ICON_DATA_TYPE = n == 3 ? 7 : 1;
        icon.ICON_SUB_TAB_ID = n == 3 ? 12 : 0;
        icon.ICON_AP_EXE_LOCATION = QStringLiteral("%LUMBRA_TEST_BIN%/app%1").arg(n);
        store.icons.append(icon);
    }
    for (const QString &name : {QStringLiteral("Blue"), QStringLiteral("Green")}) {
        ThemeInfo theme;
        theme.THEME_NAME = name;
        theme.TITLEBAR_PNG_NAME = QStringLiteral("titlebar.png");
        theme.DEFAULT_ICON_PNG_NAME = QStringLiteral("default.png");
        theme.HOUSE_PNG_WIDTH = 48;
        theme.HOUSE_PNG_HEIGHT = 41;
        theme.BACKBUTTON_PNG_WIDTH = 120;
        theme.THEME_SYSTEM_PEN_COLOR_R = 10;
        theme.THEME_SYSTEM_PEN_COLOR_G = 300;
        theme.THEME_SYSTEM_PEN_COLOR_B = -4;
        for (int m = 1; m <= 3; ++m)
            theme.images.append({m, QStringLiteral("%1-page%2.png").arg(name).arg(m)});
        store.themes.append(theme);
    }
    return store;
}

// The number field called `name` in the system, layout, tab-strip, current theme's or first
// tab's record.
int *numberField(SettingStore &store, const QString &name)
{
    int *found = nullptr;
    const auto find = [&](auto &record, const auto &fields) {
        for (const auto &field : fields)
            found = field.number && name == QLatin1String(field.name) ? &(record.*field.number) : found;
    };
    find(store.mySystem, mySystemFields);
    find(store.iconLayout, iconLayoutFields);
    find(store.tabsInfo, tabsInfoFields);
    find(store.themes[1], themeInfoFields);
    find(store.tabs[0], tabInfoFields);
    return found;
}

} // namespace

class tst_SettingStore : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void valuesById_data();
    void valuesById();
    void colours_data();
    void colours();
    void fonts_data();
    void fonts();
    void unusableSizesAreTheFactorys_data();
    void unusableSizesAreTheFactorys();
    void iconGridOnTheReferenceScreen();
    void iconGridWithFewColumnsOrAbsurdSizes_data();
    void iconGridWithFewColumnsOrAbsurdSizes();
    void iconLookUpsFollowEveryChangeOfAList_data();
    void iconLookUpsFollowEveryChangeOfAList();

private:
    TestPlatform platformUnderTest;
    SettingStore store;
};

void tst_SettingStore::init()
{
    platformUnderTest.screen.width = 1024;
    platformUnderTest.screen.height = 768;
    platformUnderTest.screen.caption = 19;
    qputenv("LUMBRA_TEST_DOT", ".");
    qputenv("LUMBRA_TEST_BIN", "/usr/bin");
    store = sampleStore();
}

void tst_SettingStore::valuesById_data()
{
    QTest::addColumn<QString>("accessor");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("expected"); // a number in its digits

    QTest::newRow("number of tabs") << "int" << int(IntSetting::TAB_COUNT) << 0 << 0 << "3";
    QTest::newRow("sub-tabs") << "int" << int(IntSetting::SUB_TAB_COUNT) << 0 << 0 << "2";
    QTest::newRow("all positions, empty parts counted")
        << "int" << int(IntSetting::ICON_POSITION_COUNT) << 0 << 0 << "6";
    QTest::newRow("rows per page") << "int" << int(IntSetting::ICON_ROWS_PER_PAGE) << 0 << 0 << "3";
    QTest::newRow("width") << "int" << int(IntSetting::SCREEN_WIDTH) << 0 << 0 << "1024";
    QTest::newRow("height with caption") << "int" << int(IntSetting::SCREEN_HEIGHT) << 0 << 0 << "768";
    QTest::newRow("unknown id 7") << "int" << 7 << 0 << 0 << "-1";
    QTest::newRow("number of themes") << "theme" << int(ThemeIntSetting::THEME_COUNT) << 0 << 0 << "2";
    QTest::newRow("id 401 is not a theme int") << "theme" << 401 << 0 << 0 << "-1";
    QTest::newRow("house x") << "theme" << int(ThemeIntSetting::HOUSE_X) << 0 << 0 << QString::number(1024 - 48 - 5);
    QTest::newRow("house y") << "theme" << int(ThemeIntSetting::HOUSE_Y) << 0 << 0 << QString::number(32 - 20);
    QTest::newRow("music x") << "theme" << int(ThemeIntSetting::SPEAKER_X) << 0 << 0 << QString::number(1024 - 96 - 12);
    QTest::newRow("image count") << "imageCount" << int(ThemeSetting::IMAGE_COUNT) << 1 << 0 << "3";
    QTest::newRow("image count, no such theme") << "imageCount" << int(ThemeSetting::IMAGE_COUNT) << 2 << 0 << "-1";
    QTest::newRow("tab positions") << "tab" << int(TabIntSetting::ICON_POSITION_COUNT) << 1 << 0 << "3";
    QTest::newRow("tab positions, none") << "tab" << int(TabIntSetting::ICON_POSITION_COUNT) << 2 << 0 << "0";
    QTest::newRow("tab parent") << "tab" << int(TabIntSetting::TAB_ITEM_PARENT) << 2 << 0 << "10";
    QTest::newRow("tab id, no such tab") << "tab" << int(TabIntSetting::TAB_ITEM_ID) << 3 << 0 << "-1";
    QTest::newRow("tab id, negative index") << "tab" << int(TabIntSetting::TAB_ITEM_ID) << -1 << 0 << "-1";
    QTest::newRow("sub-tab of icon index") << "tab" << int(TabIntSetting::ICON_SUB_TAB_ID) << 2 << 0 << "12";
    QTest::newRow("sub-tab, no such icon") << "tab" << int(TabIntSetting::ICON_SUB_TAB_ID) << 8 << 0 << "-1";
    QTest::newRow("icon index of part 7") << "icon" << int(TabIconIntSetting::ICON_INDEX) << 0 << 2 << "6";
    QTest::newRow("icon index of an empty part") << "icon" << int(TabIconIntSetting::ICON_INDEX) << 1 << 1 << "-1";
    QTest::newRow("icon number past the list") << "icon" << int(TabIconIntSetting::ICON_INDEX) << 1 << 2 << "-1";
    QTest::newRow("position past the tab") << "icon" << int(TabIconIntSetting::ICON_INDEX) << 0 << 3 << "-1";
    QTest::newRow("position far past the tab")
        << "icon" << int(TabIconIntSetting::ICON_INDEX) << 0 << 0x10000000 << "-1";
    QTest::newRow("negative position") << "icon" << int(TabIconIntSetting::ICON_INDEX) << 0 << -1 << "-1";
    QTest::newRow("tab past the list") << "icon" << int(TabIconIntSetting::ICON_INDEX) << 9 << 0 << "-1";
    QTest::newRow("default app flag") << "icon" << int(TabIconIntSetting::ICON_IS_DEFAULT_APP) << 0 << 1 << "0";
    QTest::newRow("data type") << "icon" << int(TabIconIntSetting::ICON_DATA_TYPE) << 0 << 0 << "7";
    QTest::newRow("unknown icon id") << "icon" << 603 << 0 << 0 << "-1";
    QTest::newRow("version") << "string" << int(TextSetting::VERSION) << 0 << 0 << "0.1";
    QTest::newRow("tray picture in the theme folder")
        << "string" << int(TextSetting::SYSTEMTRAY_LUMBRA_PNGFILENAME) << 0 << 0 << "./Theme/Green/tray.png";
    QTest::newRow("title bar") << "string" << int(TextSetting::TITLEBAR_PNG_NAME) << 0 << 0
                               << "./Theme/Green/titlebar.png";
    QTest::newRow("default icon lies in the icon folder")
        << "string" << int(TextSetting::DEFAULT_ICON_PNG_NAME) << 0 << 0 << "./Icon/Green/default.png";
    QTest::newRow("unknown id") << "string" << 1499 << 0 << 0 << "NULL";
    QTest::newRow("theme name") << "themeName" << int(ThemeSetting::THEME_NAME) << 0 << 0 << "Blue";
    QTest::newRow("theme name, no such theme") << "themeName" << int(ThemeSetting::THEME_NAME) << 2 << 0 << "NULL";
    QTest::newRow("theme name, wrong id") << "themeName" << 201 << 0 << 0 << "NULL";
    QTest::newRow("image of another theme, current folder")
        << "image" << int(ThemeSetting::IMAGE_FILE_PATH) << 0 << 1 << "./Theme/Green/Blue-page2.png";
    QTest::newRow("image past the list") << "image" << int(ThemeSetting::IMAGE_FILE_PATH) << 0 << 3 << "NULL";
    QTest::newRow("image asked by another id") << "image" << int(ThemeSetting::IMAGE_COUNT) << 0 << 0 << "NULL";
    QTest::newRow("tab name") << "tabText" << int(TabTextSetting::TAB_ITEM_NAME) << 1 << 0 << "Tab 2";
    QTest::newRow("tab picture") << "tabText" << int(TabTextSetting::TAB_ITEM_ICON_PNG_FILE_NAME) << 0 << 0
                                 << "./Tab/tab1.png";
    QTest::newRow("tab name, no such tab") << "tabText" << int(TabTextSetting::TAB_ITEM_NAME) << 3 << 0 << "NULL";
    QTest::newRow("icon name") << "iconText" << int(TabIconTextSetting::ICON_AP_NAME) << 0 << 0 << "Icon 3";
    QTest::newRow("picture of a default app")
        << "iconText" << int(TabIconTextSetting::ICON_AP_PNG_FILE_NAME) << 0 << 0 << "./Icon/app3.png";
    QTest::newRow("picture of an added app")
        << "iconText" << int(TabIconTextSetting::ICON_AP_PNG_FILE_NAME) << 0 << 1 << "/home/me/added.png";
    QTest::newRow("picture of an app flagged below 0")
        << "iconText" << int(TabIconTextSetting::ICON_AP_PNG_FILE_NAME) << 0 << 2 << "app7.png";
    QTest::newRow("base picture")
        << "iconText" << int(TabIconTextSetting::BASE_PICTURE) << -1 << -1 << "./Icon/base.png";
    QTest::newRow("update picture") << "iconText" << int(TabIconTextSetting::UPDATE_PICTURE) << -1 << -1
                                    << "./Icon/ORTAN-Update.png";
    QTest::newRow("target") << "iconText" << int(TabIconTextSetting::ICON_AP_EXE_LOCATION) << 0 << 2 << "/usr/bin/app7";
    QTest::newRow("target of a number past the list")
        << "iconText" << int(TabIconTextSetting::ICON_AP_EXE_LOCATION) << 1 << 2 << "NULL";
    QTest::newRow("target of an empty part")
        << "iconText" << int(TabIconTextSetting::ICON_AP_EXE_LOCATION) << 1 << 1 << "NULL";
}

void tst_SettingStore::valuesById()
{
    QFETCH(QString, accessor);
    QFETCH(int, id);
    QFETCH(int, index);
    QFETCH(int, position);
    QFETCH(QString, expected);
    QString actual;
    if (accessor == QLatin1String("int"))
        actual = QString::number(store.getInt(id));
    else if (accessor == QLatin1String("theme"))
        actual = QString::number(store.getThemeInt(id));
    else if (accessor == QLatin1String("imageCount"))
        actual = QString::number(store.getThemeImageCount(id, index));
    else if (accessor == QLatin1String("tab"))
        actual = QString::number(store.getTabInt(id, index));
    else if (accessor == QLatin1String("icon"))
        actual = QString::number(store.getTabIconInt(id, index, position));
    else if (accessor == QLatin1String("string"))
        actual = store.getString(id);
    else if (accessor == QLatin1String("themeName"))
        actual = store.getThemeName(id, index);
    else if (accessor == QLatin1String("image"))
        actual = store.getThemeImagePath(id, index, position);
    else if (accessor == QLatin1String("tabText"))
        actual = store.getTabString(id, index);
    else
        actual = store.getTabIconString(id, index, position);
    QCOMPARE(actual, expected);
}

void tst_SettingStore::colours_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("in range") << 10 << 128 << 255 << QColor(10, 128, 255);
    // Components out of range are brought into it rather than giving an invalid colour.
    QTest::newRow("red too high") << 300 << 1 << 2 << QColor(255, 1, 2);
    QTest::newRow("red negative") << -4 << 1 << 2 << QColor(0, 1, 2);
    QTest::newRow("green out") << 1 << 256 << 2 << QColor(1, 255, 2);
    QTest::newRow("blue out") << 1 << 2 << -1 << QColor(1, 2, 0);
}

void tst_SettingStore::colours()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(QColor, colour);
    ThemeInfo &theme = store.themes[1];
    theme.THEME_ICON_AP_NAME_COLOR_R = red;
    theme.THEME_ICON_AP_NAME_COLOR_G = green;
    theme.THEME_ICON_AP_NAME_COLOR_B = blue;
    QCOMPARE(store.getColor(ColourSetting::THEME_ICON_AP_NAME_COLOR), colour);
    QCOMPARE(store.getColor(ColourSetting::THEME_ICON_AP_NAME_COLOR).alpha(), 255);
    QVERIFY(!store.getColor(1208).isValid());
}

void tst_SettingStore::fonts_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixelSize");

    QTest::newRow("application names, size + 7") << int(FontSetting::ICON_AP_NAME_FONT) << 13 << "DejaVu Sans" << 20;
    QTest::newRow("system texts, size + 8") << int(FontSetting::SYSTEM_STRING_FONT) << 4 << "DejaVu Sans" << 12;
    QTest::newRow("tab names, size + 8") << int(FontSetting::TAB_NAME_FONT) << 1 << "DejaVu Sans" << 9;
    // A size that would come to 0 or less keeps the family's own size.
    QTest::newRow("size to 0") << int(FontSetting::SYSTEM_STRING_FONT) << -8 << "DejaVu Sans" << -1;
    QTest::newRow("size below 0") << int(FontSetting::SYSTEM_STRING_FONT) << -20 << "DejaVu Sans" << -1;
    QTest::newRow("the lowest size") << int(FontSetting::SYSTEM_STRING_FONT) << INT_MIN << "DejaVu Sans" << -1;
    // Sizes no text can have are the factory's, without wrapping round to negative.
    QTest::newRow("the largest usable size") << int(FontSetting::SYSTEM_STRING_FONT) << 200 << "DejaVu Sans" << 208;
    QTest::newRow("just beyond it") << int(FontSetting::SYSTEM_STRING_FONT) << 201 << "DejaVu Sans" << 20;
    QTest::newRow("a size that froze the theme dialog")
        << int(FontSetting::SYSTEM_STRING_FONT) << 65527 << "DejaVu Sans" << 20;
    QTest::newRow("the largest size, no overflow") << int(FontSetting::TAB_NAME_FONT) << INT_MAX << "DejaVu Sans" << 20;
    QTest::newRow("the largest size, + 7") << int(FontSetting::ICON_AP_NAME_FONT) << INT_MAX - 3 << "DejaVu Sans" << 18;
    QTest::newRow("fixed") << int(FontSetting::TOOLTIP_FONT) << 0 << "Arial" << 19;
    QTest::newRow("unknown id") << 1004 << 10 << QFont().family() << QFont().pixelSize();
}

void tst_SettingStore::fonts()
{
    QFETCH(int, id);
    QFETCH(int, size);
    QFETCH(QString, family);
    QFETCH(int, pixelSize);
    store.iconLayout.ICON_AP_NAME_FONT_SIZE = size;
    store.mySystem.SYSTEM_STRING_FONT = QStringLiteral("DejaVu Sans");
    store.mySystem.SYSTEM_STRING_FONT_SIZE = size;
    store.tabsInfo.TAB_NAME_FONT = QStringLiteral("DejaVu Sans");
    store.tabsInfo.TAB_NAME_FONT_SIZE = size;
    // Qt would refuse such a size with a warning, and keep the old one.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("setPixelSize")));
    const QFont font = store.getFont(id);
    QCOMPARE(font.family(), family);
    QCOMPARE(font.pixelSize(), pixelSize);
    if (id == 1004)
        QCOMPARE(font, QFont());
    else if (pixelSize < 0)
        QCOMPARE(font.pointSizeF(), QFont(family).pointSizeF());
}

void tst_SettingStore::unusableSizesAreTheFactorys_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("used");
    const auto row = [](const char *field, int stored, int id, int used) {
        QTest::addRow("%s %d", field, stored) << field << stored << id << used;
    };
    row("CURRENT_THEME", 0, IntSetting::CURRENT_THEME, 1);
    row("CURRENT_THEME", 3, IntSetting::CURRENT_THEME, 1);
    row("CURRENT_THEME", INT_MIN, IntSetting::CURRENT_THEME, 1);
    row("CURRENT_THEME", INT_MAX, IntSetting::CURRENT_THEME, 1);
    row("ICON_WIDTH", 0, IntSetting::ICON_WIDTH, 150);
    row("ICON_WIDTH", 8192, IntSetting::ICON_WIDTH, 8192);
    row("ICON_HEIGHT", 8193, IntSetting::ICON_HEIGHT, 136);
    row("NUMBER_OF_ICON_PER_ROW", -1, IntSetting::NUMBER_OF_ICON_PER_ROW, 5);
    row("ICON_RESERVE_HORIZONTAL", 41, IntSetting::ICON_RESERVE_HORIZONTAL, 6);
    row("HOUSE_PNG_WIDTH", 0, ThemeIntSetting::HOUSE_X, 1024 - 48 - 5);
    row("SEPARATE_PNG_WIDTH", -1, ThemeIntSetting::SEPARATE_PNG_WIDTH, 1);
    row("TAB_ITEM_ICON_WIDTH", -1, TabIntSetting::TAB_ITEM_ICON_WIDTH, 44);
}

// A theme number that names no theme is the first theme, and a size the launcher cannot be
// drawn with the factory's, wherever it is asked for, said once on stderr; the record keeps
// what is stored, for a save to write back unchanged.
void tst_SettingStore::unusableSizesAreTheFactorys()
{
    QFETCH(QString, field);
    QFETCH(int, stored);
    QFETCH(int, id);
    QFETCH(int, used);
    int *value = numberField(store, field);
    *value = stored;
    StderrCapture capture;
    for (int round = 0; round < 2; ++round) {
        QCOMPARE(id >= 400                                      ? store.getThemeInt(id)
                     : id == TabIntSetting::TAB_ITEM_ICON_WIDTH ? store.getTabInt(id, 0)
                                                                : store.getInt(id),
                 used);
    }
    const QStringList said = capture.lines().filter(field);
    QCOMPARE(said.size(), stored == used ? 0 : 1);
    // A tab's size names its tab as a person counts them.
    if (id == TabIntSetting::TAB_ITEM_ICON_WIDTH)
        QVERIFY2(said.first().contains(QLatin1String(" of tab 1 ")), qPrintable(said.first()));
    QCOMPARE(*value, stored);
}

void tst_SettingStore::iconGridOnTheReferenceScreen()
{
    store.computeIconGrid();
    QCOMPARE(store.getInt(IntSetting::ICON_COLUMN_GAP), (1024 - 750 - 102) / 4);
    QCOMPARE(store.getInt(IntSetting::ICON_COLUMN_GAP), 43);
    QCOMPARE(store.getInt(IntSetting::GRID_LEFT), 51);
    QCOMPARE(store.getInt(IntSetting::ICON_ROW_GAP), (768 - (3 * 140 + 64) - (768 * 5) / 50) / 2);
    QCOMPARE(store.getInt(IntSetting::GRID_TOP), ((768 - 64) * 5) / 100);
    // Positions wrap around pages of five columns and three rows.
    const int column = 150 + 43;
    const int row = 140 + 104;
    const QList<QPair<int, QPoint>> positions = {{0, {51, 35}},
                                                 {1, {51 + column, 35}},
                                                 {7, {51 + 2 * column, 35 + row}},
                                                 {14, {51 + 4 * column, 35 + 2 * row}},
                                                 {15, {51, 35}},
                                                 {31, {51 + column, 35}}};
    for (const auto &[position, point] : positions)
        QCOMPARE(store.getIconPosition(position), point);
    // A change of resolution shows at the next computation.
    platformUnderTest.screen.width = 1366;
    store.computeIconGrid();
    QCOMPARE(store.getInt(IntSetting::GRID_LEFT), (1366 * 5) / 100);
}

void tst_SettingStore::iconGridWithFewColumnsOrAbsurdSizes_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("iconWidth");
    QTest::addColumn<int>("reserve");
    QTest::addColumn<int>("columnGap");
    QTest::addColumn<int>("left");
    QTest::addColumn<QPoint>("second");
    QTest::addColumn<QPoint>("thousandth");

    // One column or fewer: no gap, and every position in that one column.
    QTest::newRow("one column") << 1 << 150 << 5 << 0 << 51 << QPoint(51, 279) << QPoint(51, 279);
    // No columns, or sizes no screen has room for, are the factory's five columns of 150.
    QTest::newRow("no column") << 0 << 150 << 5 << 43 << 51 << QPoint(244, 35) << QPoint(51, 523);
    QTest::newRow("negative columns") << -3 << 150 << 5 << 43 << 51 << QPoint(244, 35) << QPoint(51, 523);
    QTest::newRow("absurd sizes") << 2000000000 << 2000000000 << 2000000000 << 43 << 51 << QPoint(244, 35)
                                  << QPoint(51, 523);
}

void tst_SettingStore::iconGridWithFewColumnsOrAbsurdSizes()
{
    QFETCH(int, columns);
    QFETCH(int, iconWidth);
    QFETCH(int, reserve);
    QFETCH(int, columnGap);
    QFETCH(int, left);
    QFETCH(QPoint, second);
    QFETCH(QPoint, thousandth);
    store.mySystem.NUMBER_OF_ICON_PER_ROW = columns;
    store.iconLayout.ICON_WIDTH = iconWidth;
    store.iconLayout.ICON_RESERVE_VERTICAL = reserve;
    store.computeIconGrid();
    QCOMPARE(store.getInt(IntSetting::ICON_COLUMN_GAP), columnGap);
    QCOMPARE(store.getInt(IntSetting::ICON_ROW_GAP), 104);
    QCOMPARE(store.getInt(IntSetting::GRID_LEFT), left);
    QCOMPARE(store.getInt(IntSetting::GRID_TOP), 35);
    QCOMPARE(store.getIconPosition(0), QPoint(left, 35));
    QCOMPARE(store.getIconPosition(1), second);
    QCOMPARE(store.getIconPosition(1000), thousandth);
}

void tst_SettingStore::iconLookUpsFollowEveryChangeOfAList_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QList<int>>("firstTab");
    QTest::addColumn<QList<int>>("secondTab");

    const QList<int> second = {1, -1, -1};
    QTest::newRow("assigned anew") << "assign" << QList<int>{1, 0} << second;
    QTest::newRow("one character changed in place") << "in place" << QList<int>{0, 0, 6} << second;
    QTest::newRow("appended to, as adding an icon does") << "append" << QList<int>{2, 0, 6, 7} << second;
    QTest::newRow("replaced at the start") << "replace" << QList<int>{7, 0, 6} << second;
    QTest::newRow("chopped, as Delete does") << "chop" << QList<int>{2, 0} << second;
    QTest::newRow("cleared") << "clear" << QList<int>{} << second;
    QTest::newRow("the same text on another tab") << "other tab" << QList<int>{2, 0, 6} << QList<int>{7};
    QTest::newRow("a copy of the store, then changed") << "copy" << QList<int>{4} << second;
    QTest::newRow("the whole store assigned anew") << "store" << QList<int>{2, 0, 6} << second;
}

// Look-ups by position may reuse a parsed list; however a list is changed, in place or
// replaced, on the same tab or another, in this store or a copy, they answer from its
// present text.
void tst_SettingStore::iconLookUpsFollowEveryChangeOfAList()
{
    QFETCH(QString, change);
    QFETCH(QList<int>, firstTab);
    QFETCH(QList<int>, secondTab);
    const auto positions = [](const SettingStore &asked, int t) {
        QList<int> found;
        for (int position = 0; position < asked.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t); ++position)
            found << asked.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, position);
        return found;
    };
    QCOMPARE(positions(store, 0), QList<int>({2, 0, 6}));
    SettingStore copy;
    const SettingStore *asked = &store;
    QString &list = store.tabs[0].TAB_ITEM_ALL_ICONS;
    if (change == QLatin1String("assign")) {
        list = QStringLiteral("2.1");
    } else if (change == QLatin1String("in place")) {
        list[0] = u'1';
    } else if (change == QLatin1String("append")) {
        list += QStringLiteral(".8");
    } else if (change == QLatin1String("replace")) {
        list.replace(0, 1, QStringLiteral("8"));
    } else if (change == QLatin1String("chop")) {
        list.chop(2);
    } else if (change == QLatin1String("clear")) {
        list.clear();
    } else if (change == QLatin1String("other tab")) {
        store.tabs[1].TAB_ITEM_ALL_ICONS = list;
        QCOMPARE(positions(store, 1), QList<int>({2, 0, 6}));
        list = QStringLiteral("5");
        QCOMPARE(positions(store, 0), QList<int>({4}));
        list = store.tabs[1].TAB_ITEM_ALL_ICONS;
        store.tabs[1].TAB_ITEM_ALL_ICONS = QStringLiteral("8");
    } else if (change == QLatin1String("copy")) {
        copy = store;
        copy.tabs[0].TAB_ITEM_ALL_ICONS = QStringLiteral("5");
        asked = &copy;
    } else {
        list = QStringLiteral("5");
        QCOMPARE(positions(store, 0), QList<int>({4}));
        store = sampleStore();
    }
    QCOMPARE(positions(*asked, 0), firstTab);
    QCOMPARE(positions(store, 1), secondTab);
    if (asked != &store)
        QCOMPARE(positions(store, 0), QList<int>({2, 0, 6}));
}

QTEST_MAIN(tst_SettingStore)
#include "tst_settingstore.moc"
