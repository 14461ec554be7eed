// The factory settings that ship in data/EN.reg, imported and loaded the way a first start
// does it. A value missing from the file reads silently as 0 or an empty text, so these
// checks are the only thing standing between a typo in the file and a broken launcher.

#include "TestPlatform.h"

#include "i18n/LanguageChoice.h"
#include "platform/Registry.h"
#include "settings/RecordFields_p.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QColor>
#include <QFont>
#include <QSet>
#include <QTest>

#include <memory>

using namespace platform;

namespace {

const QString kFactoryFile = QStringLiteral(LUMBRA_SOURCE_DIR "/data/EN.reg");

// Action kinds an icon of the factory settings may carry: program, document, sub-tab, theme.
const QSet<int> kIconKinds = {1, 3, 7, 11};

template <class Record, std::size_t N>
QStringList namesOf(const RecordField<Record> (&fields)[N])
{
    QStringList names;
    for (const RecordField<Record> &field : fields)
        names << QString::fromLatin1(field.name);
    return names;
}

QStringList numbered(int count)
{
    QStringList names;
    for (int n = 1; n <= count; ++n)
        names << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    return names;
}

QStringList upper(QStringList names)
{
    for (QString &name : names)
        name = name.toUpper();
    names.sort();
    return names;
}

// Value and subkey names of a key as the store holds them, upper-cased because the
// registry compares names without regard to case.
bool listKey(Registry &registry, const QString &path, QStringList *values, QStringList *subkeys)
{
    RegKey key = kNoKey;
    if (registry.openKey(kLocalMachine, path.toStdU16String(), &key) != kErrorSuccess)
        return false;
    std::vector<RegValue> found;
    registry.enumValues(key, &found);
    for (const RegValue &value : found)
        values->append(QString::fromStdU16String(value.name));
    std::vector<std::u16string> children;
    registry.enumKeys(key, &children);
    for (const std::u16string &child : children)
        subkeys->append(QString::fromStdU16String(child));
    registry.closeKey(key);
    *values = upper(*values);
    *subkeys = upper(*subkeys);
    return true;
}

} // namespace

class tst_DefaultSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void importReportsNoProblem();
    void loadReportsOnlyListEnds();
    void everyValueIsPresent_data();
    void everyValueIsPresent();
    void invariantsHold();
    void iconGridFits_data();
    void iconGridFits();
    void numbersAreReal_data();
    void numbersAreReal();
    void textsAreReal_data();
    void textsAreReal();
    void fontsAreReadable_data();
    void fontsAreReadable();
    void everyThemeIsComplete_data();
    void everyThemeIsComplete();
    void everyTabIsComplete_data();
    void everyTabIsComplete();

private:
    std::unique_ptr<TestPlatform> platformUnderTest;
    SettingStore store;
    RegFileImporter::Status importStatus = RegFileImporter::Status::FileUnreadable;
    int importProblems = -1;
    QStringList importLines;
    QStringList loadLines;
};

void tst_DefaultSettings::initTestCase()
{
    platformUnderTest = std::make_unique<TestPlatform>();
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    {
        StderrCapture capture;
        RegFileImporter importer(platformUnderTest->registry());
        importStatus = importer.importFile(kFactoryFile);
        importProblems = importer.problemCount();
        importLines = capture.lines();
    }
    StderrCapture capture;
    loadAllSettings(store);
    loadLines = capture.lines();
}

void tst_DefaultSettings::importReportsNoProblem()
{
    QCOMPARE(importStatus, RegFileImporter::Status::Imported);
    QCOMPARE(importLines, QStringList());
    QCOMPARE(importProblems, 0);
}

// Every list ends at its first missing subkey, which the readers report; anything more
// (a tab key that is missing, a value too long for the first read) is a fault of the file.
void tst_DefaultSettings::loadReportsOnlyListEnds()
{
    QStringList expected{QStringLiteral("GetLumbraIconInfoRegSetting open failed")};
    for (int t = 0; t < store.themes.size(); ++t)
        expected << QStringLiteral("ThemeImagesReg open failed ");
    expected << QStringLiteral("GetLumbraThemeInfoRegSetting open failed");
    QCOMPARE(loadLines, expected);
}

void tst_DefaultSettings::everyValueIsPresent_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("subkeys");

    const int tabCount = store.mySystem.NUMBER_OF_TABS;
    QTest::newRow("System") << systemKeyPath << namesOf(mySystemFields) << QStringList();
    QTest::newRow("TabInfo") << tabKeyPath << namesOf(tabsInfoFields) << numbered(tabCount);
    for (int n = 1; n <= tabCount; ++n)
        QTest::addRow("TabInfo %d", n) << tabSubKeyPath(n) << namesOf(tabInfoFields) << QStringList();
    QTest::newRow("IconInfo") << iconKeyPath << namesOf(iconLayoutFields) << numbered(int(store.icons.size()));
    for (int n = 1; n <= store.icons.size(); ++n)
        QTest::addRow("IconInfo %d", n) << iconSubKeyPath(n) << namesOf(iconInfoFields) << QStringList();
    QTest::newRow("ThemeInfo") << themeKeyPath << QStringList() << numbered(int(store.themes.size()));
    for (int t = 1; t <= store.themes.size(); ++t) {
        const int images = int(store.themes.at(t - 1).images.size());
        QTest::addRow("ThemeInfo %d", t) << themeSubKeyPath(t) << namesOf(themeInfoFields)
                                         << QStringList{QStringLiteral("THEME_ALL_IMAGE")};
        QTest::addRow("ThemeInfo %d images", t)
            << themeSubKeyPath(t) + QStringLiteral("\\THEME_ALL_IMAGE") << QStringList() << numbered(images);
        for (int m = 1; m <= images; ++m)
            QTest::addRow("ThemeInfo %d image %d", t, m)
                << themeImageSubKeyPath(t, m) << namesOf(themeImageFields) << QStringList();
    }
}

// Exactly the value names the readers ask for, and no subkey that loading would pass over.
void tst_DefaultSettings::everyValueIsPresent()
{
    QFETCH(QString, path);
    QFETCH(QStringList, values);
    QFETCH(QStringList, subkeys);

    QStringList foundValues;
    QStringList foundSubkeys;
    QVERIFY2(listKey(platformUnderTest->registry(), path, &foundValues, &foundSubkeys), qPrintable(path));
    QCOMPARE(foundValues, upper(values));
    QCOMPARE(foundSubkeys, upper(subkeys));
}

void tst_DefaultSettings::invariantsHold()
{
    const MySystem &system = store.mySystem;
    QCOMPARE(system.IS_FIRST_RUN, 1);
    QCOMPARE(store.tabs.size(), system.NUMBER_OF_TABS);
    QVERIFY(system.CURRENT_THEME >= 1 && system.CURRENT_THEME <= store.themes.size());
    QVERIFY(system.NUMBER_OF_ICON_PER_ROW >= 2);
    for (const QString &folder : {system.THEME_DIR, system.ICON_DIR, system.TAB_DIR})
        QVERIFY2(folder.endsWith(u'/'), qPrintable(folder));
    for (const ThemeInfo &theme : store.themes)
        QVERIFY2(theme.images.size() >= system.NUMBER_OF_TABS, qPrintable(theme.THEME_NAME));

    // Icons are numbered by their place in the list, and every one is on some tab.
    QSet<int> listed;
    for (const TabInfo &tab : store.tabs) {
        for (const int number : iconNumbersOf(tab.TAB_ITEM_ALL_ICONS)) {
            QVERIFY2(number >= 1 && number <= store.icons.size(), qPrintable(tab.TAB_ITEM_ALL_ICONS));
            listed << number;
        }
    }
    for (int n = 1; n <= store.icons.size(); ++n) {
        QCOMPARE(store.icons.at(n - 1).ICON_ID, n);
        QVERIFY2(listed.contains(n), qPrintable(store.icons.at(n - 1).ICON_AP_NAME));
    }

    // The tab strip takes a tab's index from its TAB_ITEM_ID and a folder icon names its
    // sub-tab by position, so both must be the tab's place; sub-tabs come last.
    bool inSubTabs = false;
    for (int i = 0; i < store.tabs.size(); ++i) {
        const TabInfo &tab = store.tabs.at(i);
        QCOMPARE(tab.TAB_ITEM_ID, i + 1);
        if (tab.TAB_ITEM_PARENT != 0)
            inSubTabs = true;
        else
            QVERIFY2(!inSubTabs, "a top-level tab follows a sub-tab");
    }
    QVERIFY(store.getInt(6) >= 1);

    QSet<int> reachedSubTabs;
    for (const IconInfo &icon : store.icons) {
        QVERIFY2(kIconKinds.contains(icon.ICON_DATA_TYPE), qPrintable(icon.ICON_AP_NAME));
        QCOMPARE(icon.ICON_IS_DEFAULT_APP, 1);
        QCOMPARE(icon.ICON_DIRTY, 0);
        if (icon.ICON_DATA_TYPE == 7) {
            const int tab = icon.ICON_SUB_TAB_ID;
            QVERIFY2(tab >= 1 && tab <= store.tabs.size() && store.tabs.at(tab - 1).TAB_ITEM_PARENT != 0,
                     qPrintable(icon.ICON_AP_NAME));
            reachedSubTabs << tab;
        } else {
            QCOMPARE(icon.ICON_SUB_TAB_ID, 0);
        }
        if (icon.ICON_DATA_TYPE == 1)
            QVERIFY2(icon.ICON_AP_EXE_LOCATION.startsWith(u'/'), qPrintable(icon.ICON_AP_EXE_LOCATION));
        // %HOME% and the like are expanded on reading.
        if (icon.ICON_DATA_TYPE == 3 && qEnvironmentVariableIsSet("HOME"))
            QVERIFY2(icon.ICON_AP_EXE_LOCATION.startsWith(u'/') && !icon.ICON_AP_EXE_LOCATION.contains(u'%'),
                     qPrintable(icon.ICON_AP_EXE_LOCATION));
    }
    for (int i = 0; i < store.tabs.size(); ++i) {
        if (store.tabs.at(i).TAB_ITEM_PARENT != 0)
            QVERIFY2(reachedSubTabs.contains(i + 1), qPrintable(store.tabs.at(i).TAB_ITEM_NAME));
    }
}

void tst_DefaultSettings::iconGridFits_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("1024x768") << 1024 << 768;
    QTest::newRow("1024x600") << 1024 << 600;
}

// Non-negative gaps, all three rows and every column on the page, the page buttons beside
// the last column, and the tab labels clear of the speaker and house buttons.
void tst_DefaultSettings::iconGridFits()
{
    QFETCH(int, width);
    QFETCH(int, height);
    platformUnderTest->screen.width = width;
    platformUnderTest->screen.height = height;
    store.computeIconGrid();

    QVERIFY(store.iconColumnGap >= 0);
    QVERIFY(store.iconRowGap >= 0);
    QVERIFY(store.gridLeft >= 0);
    QVERIFY(store.gridTop >= 0);

    const int columns = store.getInt(17);
    const int pageHeight = height - store.getInt(19);
    const QPoint lastOnPage = store.getIconPosition(columns * store.getInt(18) - 1);
    const int right = lastOnPage.x() + store.getInt(13);
    QVERIFY2(right <= width - store.getThemeInt(409), qPrintable(QString::number(right)));
    QVERIFY2(lastOnPage.y() + store.getInt(14) <= pageHeight, qPrintable(QString::number(lastOnPage.y())));

    const int topLevelTabs = store.getInt(5) - store.getInt(6);
    const int separator = store.getThemeInt(404);
    const int stripEnd = separator + topLevelTabs * (store.getInt(28) + separator);
    QVERIFY2(stripEnd <= store.getThemeInt(421), qPrintable(QString::number(stripEnd)));
}

void tst_DefaultSettings::numbersAreReal_data()
{
    QTest::addColumn<bool>("ofTheme");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("minimum");

    // Flags may be 0; sizes, counts and times must be positive.
    for (const int id : {0, 1, 2, 34})
        QTest::addRow("getInt(%d)", id) << false << id << 0;
    for (const int id : {3, 4, 5, 6, 8, 13, 14, 17, 18, 19, 23, 24, 27, 28, 35, 36, 37, 38})
        QTest::addRow("getInt(%d)", id) << false << id << 1;
    QTest::newRow("getInt(15)") << false << 15 << 0;
    QTest::newRow("getInt(16)") << false << 16 << 1;
    for (int id = 400; id <= 414; ++id) {
        if (id != 401)
            QTest::addRow("getThemeInt(%d)", id) << true << id << 1;
    }
    for (int id = 415; id <= 422; ++id)
        QTest::addRow("getThemeInt(%d)", id) << true << id << 0;
}

void tst_DefaultSettings::numbersAreReal()
{
    QFETCH(bool, ofTheme);
    QFETCH(int, id);
    QFETCH(int, minimum);
    const int value = ofTheme ? store.getThemeInt(id) : store.getInt(id);
    QVERIFY2(value >= minimum, qPrintable(QString::number(value)));
}

void tst_DefaultSettings::textsAreReal_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("folder");

    const QString theme = store.mySystem.THEME_DIR + store.getThemeName(200, 0) + u'/';
    const QSet<int> themePictures = {1401, 1403, 1406, 1407, 1408, 1409, 1410, 1411, 1412, 1413,
                                     1414, 1415, 1416, 1417, 1418, 1419, 1421, 1422};
    for (int id = 1400; id <= 1435; ++id) {
        QString folder;
        if (themePictures.contains(id))
            folder = theme;
        else if (id == 1420)
            folder = store.mySystem.ICON_DIR + store.getThemeName(200, 0) + u'/';
        QTest::addRow("getString(%d)", id) << id << folder;
    }
}

// Texts are non-empty; pictures are PNG files in the folder their accessor names.
void tst_DefaultSettings::textsAreReal()
{
    QFETCH(int, id);
    QFETCH(QString, folder);
    const QString text = store.getString(id);
    QVERIFY(!text.isEmpty());
    QVERIFY(text != QLatin1String("NULL"));
    if (!folder.isEmpty()) {
        QVERIFY2(text.startsWith(folder) && text.endsWith(QLatin1String(".png")), qPrintable(text));
        QVERIFY2(text.size() > folder.size() + 4, qPrintable(text));
    }
}

void tst_DefaultSettings::fontsAreReadable_data()
{
    QTest::addColumn<int>("id");
    QTest::newRow("icon names") << 1000;
    QTest::newRow("system texts") << 1001;
    QTest::newRow("tab names") << 1002;
}

void tst_DefaultSettings::fontsAreReadable()
{
    QFETCH(int, id);
    const QFont font = store.getFont(id);
    QCOMPARE(font.family(), QStringLiteral("DejaVu Sans"));
    QVERIFY2(font.pixelSize() >= 18 && font.pixelSize() <= 24, qPrintable(QString::number(font.pixelSize())));
}

void tst_DefaultSettings::everyThemeIsComplete_data()
{
    QTest::addColumn<int>("theme");
    for (int t = 1; t <= store.themes.size(); ++t)
        QTest::newRow(qPrintable(store.themes.at(t - 1).THEME_NAME)) << t;
}

// The theme dialog may choose any theme: each must give the launcher real colours,
// readable text on its backgrounds, pictures and a page for every tab.
void tst_DefaultSettings::everyThemeIsComplete()
{
    QFETCH(int, theme);
    SettingStore chosen = store;
    chosen.mySystem.CURRENT_THEME = theme;

    for (int id = 1200; id <= 1207; ++id)
        QVERIFY2(chosen.getColor(id).isValid(), qPrintable(QString::number(id)));
    QVERIFY(chosen.getColor(1204) != chosen.getColor(1205)); // tab text on the tab area
    QVERIFY(chosen.getColor(1207) != chosen.getColor(1206)); // highlighted tab text
    QVERIFY(chosen.getColor(1200) != chosen.getColor(1201));
    QVERIFY(chosen.getColor(1202) != chosen.getColor(1203));

    for (int id = 1407; id <= 1422; ++id)
        QVERIFY2(chosen.getString(id).endsWith(QLatin1String(".png")), qPrintable(QString::number(id)));
    const QString name = chosen.getThemeName(200, theme - 1);
    QVERIFY(!name.isEmpty() && name != QLatin1String("NULL"));
    QVERIFY(chosen.getString(1407).contains(u'/' + name + u'/'));
    QVERIFY(chosen.getThemeImageCount(401, theme - 1) >= chosen.getInt(5));
    for (int m = 0; m < chosen.getInt(5); ++m) {
        const QString page = chosen.getThemeImagePath(201, theme - 1, m);
        QVERIFY2(page.endsWith(QLatin1String(".png")), qPrintable(page));
        QCOMPARE(chosen.themes.at(theme - 1).images.at(m).IMAGE_TAB_ITEM_ID, chosen.getTabInt(33, m));
    }
}

void tst_DefaultSettings::everyTabIsComplete_data()
{
    QTest::addColumn<int>("tab");
    for (int i = 0; i < store.tabs.size(); ++i)
        QTest::newRow(qPrintable(store.tabs.at(i).TAB_ITEM_NAME)) << i;
}

// What a page needs of each of its icons, asked the way the launcher asks.
void tst_DefaultSettings::everyTabIsComplete()
{
    QFETCH(int, tab);
    QVERIFY(!store.getTabString(1600, tab).isEmpty());
    const QString picture = store.getTabString(1601, tab);
    QVERIFY2(picture.startsWith(store.mySystem.TAB_DIR) && picture.endsWith(QLatin1String(".png")),
             qPrintable(picture));
    for (const int id : {31, 32})
        QVERIFY(store.getTabInt(id, tab) > 0);
    QCOMPARE(store.getTabInt(33, tab), tab + 1);

    const int positions = store.getTabInt(7, tab);
    QVERIFY(positions >= 1);
    // Every tab fits on one page, so a beginner never needs the page buttons.
    QVERIFY(positions <= store.getInt(17) * store.getInt(18));
    for (int p = 0; p < positions; ++p) {
        const int icon = store.getTabIconInt(600, tab, p);
        QVERIFY(icon >= 0 && icon < store.icons.size());
        QCOMPARE(store.getTabIconInt(601, tab, p), 1);
        const int kind = store.getTabIconInt(602, tab, p);
        QVERIFY(kIconKinds.contains(kind));
        for (const int id : {800, 807})
            QVERIFY(!store.getTabIconString(id, tab, p).isEmpty());
        const QString iconPicture = store.getTabIconString(801, tab, p);
        QVERIFY2(iconPicture.startsWith(store.mySystem.ICON_DIR) && iconPicture.endsWith(QLatin1String(".png")),
                 qPrintable(iconPicture));
        if (kind == 1 || kind == 3)
            QVERIFY(!store.getTabIconString(806, tab, p).isEmpty());
        if (kind == 7)
            QVERIFY(store.getTabInt(30, store.getTabInt(29, icon) - 1) != 0);
    }
}

QTEST_GUILESS_MAIN(tst_DefaultSettings)
#include "tst_defaultsettings.moc"
