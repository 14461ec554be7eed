// The factory settings the build makes for every language, imported and loaded the way a first
// start does it. A value missing from a file reads silently as 0 or an empty text, and a
// picture missing beside the executable shows as an empty square, so these checks are the
// only thing standing between a slip in the template, a text or the art and a broken launcher.

#include "TestPlatform.h"
#include "TestWidgets.h"

#include "i18n/LanguageChoice.h"
#include "platform/Registry.h"
#include "settings/RecordFields_p.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryAccess.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QSet>
#include <QTest>

#include <memory>

using namespace platform;

namespace {

// The program resolves the relative folders of the settings against its own folder.
const QString kProgramFolder = QStringLiteral(LUMBRA_BUILD_DIR);

// Action kinds an icon of the factory settings may carry: program, document, sub-tab, theme.
const QSet<int> kIconKinds = {1, 3, 7, 11};

// Room the back button's arrow takes on each side of its centred caption.
constexpr int kBackArrowRoom = 30;

// A value the tree may go without is there only where it has one.
QStringList optional(QStringList names, const char *name, const QString &value)
{
    if (value.isEmpty())
        names.removeOne(QLatin1String(name));
    return names;
}

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

// Where the program finds a picture the settings name ("./Theme/Light/mask.png").
QString besideProgram(const QString &path)
{
    return path.startsWith(QLatin1String("./")) ? kProgramFolder + path.mid(1) : path;
}

// Values a language words in its own way; everything else is the same in every language.
bool isTranslated(const QString &name)
{
    static const QSet<QString> names = {
        QStringLiteral("TAB_ITEM_NAME"), QStringLiteral("ICON_AP_NAME"), QStringLiteral("ICON_AP_TOOLTIP_NAME"),
        QStringLiteral("LUMBRA_WINDOWTITLE"), QStringLiteral("SYSTEMTRAY_LUMBRA_SETTING_SETTING"),
        QStringLiteral("SYSTEMTRAY_LUMBRA_SETTING_EXIT")};
    return names.contains(name) || name.startsWith(QLatin1String("DIALOG_"))
        || name.endsWith(QLatin1String("_TOOLTIPNAME"));
}

template <class Record, std::size_t N>
QStringList differences(const Record &one, const Record &other, const RecordField<Record> (&fields)[N])
{
    QStringList names;
    for (const RecordField<Record> &field : fields) {
        const QString name = QString::fromLatin1(field.name);
        const bool same = field.number ? one.*field.number == other.*field.number
                                       : one.*field.text == other.*field.text;
        if (!same && !isTranslated(name))
            names << name;
    }
    return names;
}

void useLanguage(const QString &code)
{
    languageCode = code;
    initRegistryPaths();
}

struct Loaded
{
    RegFileImporter::Status importStatus = RegFileImporter::Status::FileUnreadable;
    int importProblems = -1;
    QStringList importLines;
    QStringList loadLines;
    SettingStore store;
};

// A picture the settings name and the size it must have there (an empty size: any size).
struct NamedPicture
{
    QString what;
    QString path;
    QSize size;
};

QList<NamedPicture> themePictures(const SettingStore &chosen)
{
    const ThemeInfo &theme = chosen.themes.at(chosen.mySystem.CURRENT_THEME - 1);
    const TabsInfo &strip = chosen.tabsInfo;
    const IconLayout &icons = chosen.iconLayout;
    const QSize button(theme.BACKBUTTON_PNG_WIDTH, theme.BACKBUTTON_PNG_HEIGHT);
    const QSize up(theme.UPBUTTON_PNG_WIDTH, theme.UPBUTTON_PNG_HEIGHT);
    const QSize down(theme.DOWNBUTTON_PNG_WIDTH, theme.DOWNBUTTON_PNG_HEIGHT);
    const QSize speaker(theme.SPEAKER_PNG_WIDTH, theme.SPEAKER_PNG_HEIGHT);
    const QSize tab(strip.TABINFO_ITEM_WIDTH, strip.TABINFO_ITEM_HIGHT);
    const QSize cell(icons.ICON_WIDTH, icons.ICON_HEIGHT);
    QList<NamedPicture> pictures = {
        {QStringLiteral("tray"), chosen.getString(TextSetting::SYSTEMTRAY_LUMBRA_PNGFILENAME), QSize()},
        {QStringLiteral("shut-down tray"), chosen.getString(TextSetting::SYSTEMTRAY_SHUTDOWN_PNGFILENAME), QSize()},
        {QStringLiteral("task-manager tray"), chosen.getString(TextSetting::SYSTEMTRAY_TASKMANAGER_PNGFILENAME),
         QSize()},
        {QStringLiteral("title bar"), chosen.getString(TextSetting::TITLEBAR_PNG_NAME), QSize()},
        {QStringLiteral("back bar"), chosen.getString(TextSetting::BACKTITLEBAR_PNG_NAME), QSize()},
        {QStringLiteral("back, highlighted"), chosen.getString(TextSetting::BACKBUTTON_HI_PNG_NAME), button},
        {QStringLiteral("back"), chosen.getString(TextSetting::BACKBUTTON_NOR_PNG_NAME), button},
        {QStringLiteral("tab, highlighted"), chosen.getString(TextSetting::TABITEM_HI_PNG_NAME), tab},
        {QStringLiteral("tab"), chosen.getString(TextSetting::TABITEM_NOR_PNG_NAME), tab},
        {QStringLiteral("separator"), chosen.getString(TextSetting::SEPARATE_PNG_NAME),
         QSize(theme.SEPARATE_PNG_WIDTH, strip.TABINFO_ITEM_HIGHT)},
        {QStringLiteral("house"), chosen.getString(TextSetting::HOUSE_PNG_NAME),
         QSize(theme.HOUSE_PNG_WIDTH, theme.HOUSE_PNG_HEIGHT)},
        {QStringLiteral("down, highlighted"), chosen.getString(TextSetting::DOWNBUTTON_HI_PNG_NAME), down},
        {QStringLiteral("down"), chosen.getString(TextSetting::DOWNBUTTON_NOR_PNG_NAME), down},
        {QStringLiteral("up, highlighted"), chosen.getString(TextSetting::UPBUTTON_HI_PNG_NAME), up},
        {QStringLiteral("up"), chosen.getString(TextSetting::UPBUTTON_NOR_PNG_NAME), up},
        {QStringLiteral("mask"), chosen.getString(TextSetting::MASK_PNG_NAME), cell},
        {QStringLiteral("default icon"), chosen.getString(TextSetting::DEFAULT_ICON_PNG_NAME), cell},
        {QStringLiteral("speaker on"), chosen.getString(TextSetting::SPEAKER_ON_PNG_NAME), speaker},
        {QStringLiteral("speaker off"), chosen.getString(TextSetting::SPEAKER_OFF_PNG_NAME), speaker},
    };
    for (int m = 0; m < chosen.getInt(IntSetting::TAB_COUNT); ++m)
        pictures.append({QStringLiteral("page %1").arg(m + 1),
                         chosen.getThemeImagePath(ThemeSetting::IMAGE_FILE_PATH, chosen.mySystem.CURRENT_THEME - 1, m),
                         QSize()});
    return pictures;
}

QList<NamedPicture> tabAndIconPictures(const SettingStore &store)
{
    QList<NamedPicture> pictures;
    const QSize cell(store.iconLayout.ICON_WIDTH, store.iconLayout.ICON_HEIGHT);
    for (int t = 0; t < store.tabs.size(); ++t) {
        const TabInfo &tab = store.tabs.at(t);
        pictures.append({tab.TAB_ITEM_NAME, store.getTabString(TabTextSetting::TAB_ITEM_ICON_PNG_FILE_NAME, t),
                         QSize(tab.TAB_ITEM_ICON_WIDTH, tab.TAB_ITEM_ICON_HEIGHT)});
        for (int p = 0; p < store.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t); ++p)
            pictures.append({store.getTabIconString(TabIconTextSetting::ICON_AP_NAME, t, p),
                             store.getTabIconString(TabIconTextSetting::ICON_AP_PNG_FILE_NAME, t, p), cell});
    }
    return pictures;
}

} // namespace

class tst_DefaultSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void importsAndLoadsCleanly_data() { languageTable(); }
    void importsAndLoadsCleanly();
    void everyValueIsPresent_data();
    void everyValueIsPresent();
    void invariantsHold_data() { languageTable(); }
    void invariantsHold();
    void languagesDifferOnlyInTexts_data() { languageTable(); }
    void languagesDifferOnlyInTexts();
    void iconGridFits_data();
    void iconGridFits();
    void numbersAreReal_data();
    void numbersAreReal();
    void textsAreReal_data();
    void textsAreReal();
    void fontsAreReadable();
    void namesFitWhereTheyAreDrawn_data() { languageTable(); }
    void namesFitWhereTheyAreDrawn();
    void everyThemeIsComplete_data();
    void everyThemeIsComplete();
    void picturesExistAtTheirSize_data();
    void picturesExistAtTheirSize();
    void everyTabIsComplete_data();
    void everyTabIsComplete();

private:
    static void languageTable();
    const SettingStore &storeOf(const QString &code) const { return loaded.value(code)->store; }

    std::unique_ptr<TestPlatform> platformUnderTest;
    QMap<QString, std::shared_ptr<Loaded>> loaded;
};

void tst_DefaultSettings::languageTable()
{
    QTest::addColumn<QString>("language");
    for (const QString &code : kLanguageCodes)
        QTest::newRow(qPrintable(code)) << code;
}

// All languages go into one store, each under its own key, as they would on a machine where
// several were installed; each is then loaded on its own.
void tst_DefaultSettings::initTestCase()
{
    platformUnderTest = std::make_unique<TestPlatform>();
    for (const QString &code : kLanguageCodes) {
        auto result = std::make_shared<Loaded>();
        {
            StderrCapture capture;
            RegFileImporter importer(platformUnderTest->registry());
            result->importStatus = importer.importFile(kProgramFolder + u'/' + code + QStringLiteral(".reg"));
            result->importProblems = importer.problemCount();
            result->importLines = capture.lines();
        }
        useLanguage(code);
        StderrCapture capture;
        loadAllSettings(result->store);
        result->loadLines = capture.lines();
        loaded.insert(code, result);
    }
}

// Texts in other scripts are read right by `reg import` only from a UTF-16 file with its
// mark. Every list ends at its first missing subkey, which the readers report; anything more
// (a tab key that is missing, a value too long for the first read) is a fault of the file.
void tst_DefaultSettings::importsAndLoadsCleanly()
{
    QFETCH(QString, language);
    QFile file(kProgramFolder + u'/' + language + QStringLiteral(".reg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(10), QByteArray("\xFF\xFEW\0i\0n\0d\0", 10));

    const Loaded &result = *loaded.value(language);
    QCOMPARE(result.importStatus, RegFileImporter::Status::Imported);
    QCOMPARE(result.importLines, QStringList());
    QCOMPARE(result.importProblems, 0);
    QStringList expected{QStringLiteral("GetLumbraIconInfoRegSetting open failed")};
    for (int t = 0; t < result.store.themes.size(); ++t)
        expected << QStringLiteral("ThemeImagesReg open failed ");
    expected << QStringLiteral("GetLumbraThemeInfoRegSetting open failed");
    QCOMPARE(result.loadLines, expected);
}

void tst_DefaultSettings::everyValueIsPresent_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("subkeys");

    for (const QString &code : kLanguageCodes) {
        const SettingStore &store = storeOf(code);
        const QByteArray codeName = code.toLatin1();
        const char *c = codeName.constData();
        useLanguage(code);
        const int tabCount = store.mySystem.NUMBER_OF_TABS;
        // No lock: installing the factory settings again must not take off a lock that is set.
        QStringList system = namesOf(mySystemFields);
        system.removeOne(QStringLiteral("LOCK_PIN"));
        QTest::addRow("%s System", c) << code << systemKeyPath << system << QStringList();
        QTest::addRow("%s TabInfo", c) << code << tabKeyPath << namesOf(tabsInfoFields) << numbered(tabCount);
        for (int n = 1; n <= tabCount; ++n)
            QTest::addRow("%s TabInfo %d", c, n) << code << tabSubKeyPath(n)
                << optional(namesOf(tabInfoFields), "TAB_ITEM_CATEGORY", store.tabs.at(n - 1).TAB_ITEM_CATEGORY) << QStringList();
        QTest::addRow("%s IconInfo", c) << code << iconKeyPath << namesOf(iconLayoutFields)
                                        << numbered(int(store.icons.size()));
        for (int n = 1; n <= store.icons.size(); ++n)
            QTest::addRow("%s IconInfo %d", c, n) << code << iconSubKeyPath(n)
                << optional(namesOf(iconInfoFields), "ICON_AP_ROLE", store.icons.at(n - 1).ICON_AP_ROLE) << QStringList();
        QTest::addRow("%s ThemeInfo", c) << code << themeKeyPath << QStringList()
                                         << numbered(int(store.themes.size()));
        for (int t = 1; t <= store.themes.size(); ++t) {
            const int images = int(store.themes.at(t - 1).images.size());
            QTest::addRow("%s ThemeInfo %d", c, t) << code << themeSubKeyPath(t) << namesOf(themeInfoFields)
                                                   << QStringList{QStringLiteral("THEME_ALL_IMAGE")};
            QTest::addRow("%s ThemeInfo %d images", c, t)
                << code << themeSubKeyPath(t) + QStringLiteral("\\THEME_ALL_IMAGE") << QStringList()
                << numbered(images);
            for (int m = 1; m <= images; ++m)
                QTest::addRow("%s ThemeInfo %d image %d", c, t, m)
                    << code << themeImageSubKeyPath(t, m) << namesOf(themeImageFields) << QStringList();
        }
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
    QFETCH(QString, language);
    const SettingStore &store = storeOf(language);
    const MySystem &system = store.mySystem;
    QCOMPARE(system.IS_FIRST_RUN, 1);
    QCOMPARE(store.tabs.size(), system.NUMBER_OF_TABS);
    QVERIFY(system.CURRENT_THEME >= 1 && system.CURRENT_THEME <= store.themes.size());
    QVERIFY(store.themes.size() >= 3);
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
    QVERIFY(store.getInt(IntSetting::SUB_TAB_COUNT) >= 1);
    const int topLevelTabs = store.getInt(IntSetting::TAB_COUNT) - store.getInt(IntSetting::SUB_TAB_COUNT);
    QVERIFY(topLevelTabs >= 5 && topLevelTabs <= 6);

    // Every value is read through the environment-reference expansion: a name or tool tip
    // with two "%" in it would lose the text between them.
    for (const IconInfo &icon : store.icons)
        QVERIFY2(!icon.ICON_AP_NAME.contains(u'%') && !icon.ICON_AP_TOOLTIP_NAME.contains(u'%'),
                 qPrintable(icon.ICON_AP_NAME));
    for (const TabInfo &tab : store.tabs)
        QVERIFY2(!tab.TAB_ITEM_NAME.contains(u'%'), qPrintable(tab.TAB_ITEM_NAME));

    QSet<int> reachedSubTabs;
    QSet<int> kinds;
    for (const IconInfo &icon : store.icons) {
        QVERIFY2(kIconKinds.contains(icon.ICON_DATA_TYPE), qPrintable(icon.ICON_AP_NAME));
        kinds << icon.ICON_DATA_TYPE;
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
        // Programs are started without a shell and without arguments: one absolute path.
        if (icon.ICON_DATA_TYPE == 1)
            QVERIFY2(icon.ICON_AP_EXE_LOCATION.startsWith(u'/') && !icon.ICON_AP_EXE_LOCATION.contains(u' '),
                     qPrintable(icon.ICON_AP_EXE_LOCATION));
        // %HOME% and the like are kept as stored and expanded where the target is used.
        const QString target = expandEnvironmentReferences(icon.ICON_AP_EXE_LOCATION);
        if (icon.ICON_DATA_TYPE == 3 && qEnvironmentVariableIsSet("HOME"))
            QVERIFY2(target.startsWith(u'/') && !target.contains(u'%'), qPrintable(target));
    }
    QCOMPARE(kinds, kIconKinds);
    for (int i = 0; i < store.tabs.size(); ++i) {
        if (store.tabs.at(i).TAB_ITEM_PARENT != 0)
            QVERIFY2(reachedSubTabs.contains(i + 1), qPrintable(store.tabs.at(i).TAB_ITEM_NAME));
    }

    // At least one tab needs the page buttons, so that they are seen working from the start.
    int longest = 0;
    for (int t = 0; t < store.tabs.size(); ++t)
        longest = std::max(longest, store.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t));
    QVERIFY(longest > store.getInt(IntSetting::NUMBER_OF_ICON_PER_ROW) * store.getInt(IntSetting::ICON_ROWS_PER_PAGE));
}

// One template makes every file: apart from what is shown as text, each language must carry
// the same tree as the English one.
void tst_DefaultSettings::languagesDifferOnlyInTexts()
{
    QFETCH(QString, language);
    const SettingStore &own = storeOf(language);
    const SettingStore &english = storeOf(QStringLiteral("EN"));
    QStringList differ = differences(own.mySystem, english.mySystem, mySystemFields);
    differ << differences(own.tabsInfo, english.tabsInfo, tabsInfoFields);
    differ << differences(own.iconLayout, english.iconLayout, iconLayoutFields);
    QCOMPARE(own.tabs.size(), english.tabs.size());
    for (int i = 0; i < own.tabs.size(); ++i)
        differ << differences(own.tabs.at(i), english.tabs.at(i), tabInfoFields);
    QCOMPARE(own.icons.size(), english.icons.size());
    for (int i = 0; i < own.icons.size(); ++i)
        differ << differences(own.icons.at(i), english.icons.at(i), iconInfoFields);
    QCOMPARE(own.themes.size(), english.themes.size());
    for (int t = 0; t < own.themes.size(); ++t) {
        const ThemeInfo &ownTheme = own.themes.at(t);
        const ThemeInfo &englishTheme = english.themes.at(t);
        differ << differences(ownTheme, englishTheme, themeInfoFields);
        QCOMPARE(ownTheme.images.size(), englishTheme.images.size());
        for (int m = 0; m < ownTheme.images.size(); ++m)
            differ << differences(ownTheme.images.at(m), englishTheme.images.at(m), themeImageFields);
    }
    QCOMPARE(differ, QStringList());
}

void tst_DefaultSettings::iconGridFits_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    for (const QString &code : kLanguageCodes) {
        for (const QSize screen : {QSize(1024, 600), QSize(1024, 768), QSize(1366, 768), QSize(1920, 1080)})
            QTest::addRow("%s %dx%d", qPrintable(code), screen.width(), screen.height())
                << code << screen.width() << screen.height();
    }
}

// Non-negative gaps, and the first row below the back bar of a sub-tab. Where each icon and
// tab label then stands is measured on a running launcher (tst_shippeddata).
void tst_DefaultSettings::iconGridFits()
{
    QFETCH(QString, language);
    QFETCH(int, width);
    QFETCH(int, height);
    SettingStore store = storeOf(language);
    platformUnderTest->screen.width = width;
    platformUnderTest->screen.height = height;
    store.computeIconGrid();

    QVERIFY(store.iconColumnGap >= 0);
    QVERIFY(store.iconRowGap >= 0);
    QVERIFY(store.gridLeft >= 0);
    QVERIFY(store.gridTop >= 0);

    // The icon pictures keep a strip free at their top for this.
    constexpr int kPictureTopMargin = 6;
    QVERIFY2(store.gridTop + store.scaled(kPictureTopMargin)
                 >= store.scaled(store.getThemeInt(ThemeIntSetting::BACKTITLEBAR_PNG_HEIGHT)),
             qPrintable(QString::number(store.gridTop)));
}

void tst_DefaultSettings::numbersAreReal_data()
{
    QTest::addColumn<bool>("ofTheme");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("minimum");

    // Flags may be 0; sizes, counts and times must be positive.
    using namespace IntSetting;
    for (const int id :
         {IS_FIRST_RUN, ALWAYS_ON_BACKGROUND, STARTWHENBOOTING, MUSIC_BACKGROUND_ON, ICON_AP_NAME_X_POSITION})
        QTest::addRow("getInt(%d)", id) << false << id << 0;
    for (const int id :
         {CURRENT_THEME, ALWAYS_ONE, TAB_COUNT, SUB_TAB_COUNT, ICON_POSITION_COUNT, ICON_WIDTH, ICON_HEIGHT,
          ICON_AP_NAME_Y_POSITION, NUMBER_OF_ICON_PER_ROW, ICON_ROWS_PER_PAGE, TABINFO_HEIGHT, ICON_RESERVE_VERTICAL,
          ICON_RESERVE_HORIZONTAL, TABINFO_ITEM_HIGHT, TABINFO_ITEM_WIDTH, ICON_EFFICACY_PIXEL, ICON_EFFICACY_INTERVAL,
          ICON_EFFICACY_COUNTER, ICON_DISABLE_CLICK_TIMER})
        QTest::addRow("getInt(%d)", id) << false << id << 1;
    for (int id = ThemeIntSetting::THEME_COUNT; id <= ThemeIntSetting::BACKBUTTON_X_POSITION; ++id) {
        if (id != ThemeSetting::IMAGE_COUNT)
            QTest::addRow("getThemeInt(%d)", id) << true << id << 1;
    }
    for (int id = ThemeIntSetting::BACKTITLEBAR_NAME_X_POSITION; id <= ThemeIntSetting::SPEAKER_Y; ++id)
        QTest::addRow("getThemeInt(%d)", id) << true << id << 0;
}

// The numbers are the same in every language (languagesDifferOnlyInTexts).
void tst_DefaultSettings::numbersAreReal()
{
    QFETCH(bool, ofTheme);
    QFETCH(int, id);
    QFETCH(int, minimum);
    const SettingStore &store = storeOf(QStringLiteral("EN"));
    const int value = ofTheme ? store.getThemeInt(id) : store.getInt(id);
    QVERIFY2(value >= minimum, qPrintable(QString::number(value)));
}

void tst_DefaultSettings::textsAreReal_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("folder");

    using namespace TextSetting;
    const QSet<int> themePictures = {SYSTEMTRAY_LUMBRA_PNGFILENAME, SYSTEMTRAY_SHUTDOWN_PNGFILENAME,
                                     SYSTEMTRAY_TASKMANAGER_PNGFILENAME};
    for (const QString &code : kLanguageCodes) {
        const SettingStore &store = storeOf(code);
        const QString theme = store.mySystem.THEME_DIR + store.getThemeName(ThemeSetting::THEME_NAME, 0) + u'/';
        for (int id = VERSION; id <= DIALOG_UNDO; ++id) {
            QString folder;
            if (themePictures.contains(id) || (id >= TITLEBAR_PNG_NAME && id <= SPEAKER_OFF_PNG_NAME))
                folder = theme;
            if (id == DEFAULT_ICON_PNG_NAME)
                folder = store.mySystem.ICON_DIR + store.getThemeName(ThemeSetting::THEME_NAME, 0) + u'/';
            QTest::addRow("%s getString(%d)", qPrintable(code), id) << code << id << folder;
        }
        // The caregiver lock's PIN pad and the refusals of desktop entries.
        for (int id = DIALOG_PIN_TITLE; id <= DIALOG_ENTRY_UNREADABLE; ++id)
            QTest::addRow("%s getString(%d)", qPrintable(code), id) << code << id << QString();
    }
}

// Texts are non-empty; pictures are PNG files in the folder their accessor names.
void tst_DefaultSettings::textsAreReal()
{
    QFETCH(QString, language);
    QFETCH(int, id);
    QFETCH(QString, folder);
    const QString text = storeOf(language).getString(id);
    QVERIFY(!text.isEmpty());
    QVERIFY(text != QLatin1String("NULL"));
    QVERIFY2(text == text.trimmed(), qPrintable(text));
    if (!folder.isEmpty()) {
        QVERIFY2(text.startsWith(folder) && text.endsWith(QLatin1String(".png")), qPrintable(text));
        QVERIFY2(text.size() > folder.size() + 4, qPrintable(text));
    }
}

void tst_DefaultSettings::fontsAreReadable()
{
    for (const int id : {FontSetting::ICON_AP_NAME_FONT, FontSetting::SYSTEM_STRING_FONT, FontSetting::TAB_NAME_FONT}) {
        const QFont font = storeOf(QStringLiteral("EN")).getFont(id);
        QCOMPARE(font.family(), QStringLiteral("DejaVu Sans"));
        QVERIFY2(font.pixelSize() >= 18 && font.pixelSize() <= 24, qPrintable(QString::number(font.pixelSize())));
    }
}

// Every text is measured in the font and the box the launcher and the dialogs draw it in: an
// icon name in two lines at most under its picture, a tab name beside its picture without
// being shortened, captions clear of the marks drawn on their buttons.
void tst_DefaultSettings::namesFitWhereTheyAreDrawn()
{
    QFETCH(QString, language);
    const SettingStore &store = storeOf(language);

    QFont iconFont = store.getFont(FontSetting::ICON_AP_NAME_FONT);
    iconFont.setWeight(QFont::Bold);
    const QFontMetrics iconMetrics(iconFont);
    const QRect nameBox(0, 0, store.getInt(IntSetting::ICON_WIDTH) - store.getInt(IntSetting::ICON_AP_NAME_X_POSITION),
                        store.getInt(IntSetting::ICON_HEIGHT) - store.getInt(IntSetting::ICON_AP_NAME_Y_POSITION));
    for (const IconInfo &icon : store.icons) {
        const QRect used = iconMetrics.boundingRect(nameBox, 4228, icon.ICON_AP_NAME);
        QVERIFY2(used.width() <= nameBox.width() && used.height() <= nameBox.height()
                     && used.height() <= 2 * iconMetrics.lineSpacing(),
                 qPrintable(icon.ICON_AP_NAME));
    }

    const QFontMetrics tabMetrics(store.getFont(FontSetting::TAB_NAME_FONT));
    for (const TabInfo &tab : store.tabs) {
        if (tab.TAB_ITEM_PARENT == 0)
            QVERIFY2(tabMetrics.horizontalAdvance(tab.TAB_ITEM_NAME)
                         <= store.getInt(IntSetting::TABINFO_ITEM_WIDTH) - tab.TAB_ITEM_ICON_WIDTH,
                     qPrintable(tab.TAB_ITEM_NAME));
    }

    // The back button draws its caption in the icon font at first and in the system font
    // after a change of theme.
    const QFontMetrics systemMetrics(store.getFont(FontSetting::SYSTEM_STRING_FONT));
    const QString back = store.getString(TextSetting::DIALOG_RETURN_TO_PREV_TAB);
    for (const QFontMetrics &metrics : {iconMetrics, systemMetrics})
        QVERIFY2(metrics.horizontalAdvance(back)
                     <= store.getThemeInt(ThemeIntSetting::BACKBUTTON_PNG_WIDTH) - 2 * kBackArrowRoom,
                 qPrintable(back));

    // Start choice captions (153 wide), the settings switches (387 wide, a mark of 44 at
    // their left) and the OK and Cancel buttons (135 wide).
    using namespace TextSetting;
    const QList<QPair<int, int>> captions = {{DIALOG_WINDOWMODE_NAME, 153},
                                             {DIALOG_LUMBRA_NAME, 153},
                                             {DIALOG_ALWAYS_ON_BACKGROUND_NAME, 387 - 2 * 44},
                                             {DIALOG_STARTWHENBOOTING_NAME, 387 - 2 * 44},
                                             {DIALOG_OK, 135 - 20},
                                             {DIALOG_CANCEL, 135 - 20}};
    for (const auto &[id, room] : captions)
        QVERIFY2(systemMetrics.horizontalAdvance(store.getString(id)) <= room, qPrintable(store.getString(id)));
}

void tst_DefaultSettings::everyThemeIsComplete_data()
{
    QTest::addColumn<int>("theme");
    const SettingStore &store = storeOf(QStringLiteral("EN"));
    for (int t = 1; t <= store.themes.size(); ++t)
        QTest::newRow(qPrintable(store.themes.at(t - 1).THEME_NAME)) << t;
}

// The theme dialog may choose any theme: each must give the launcher real colours,
// readable text on its backgrounds, pictures and a page for every tab.
void tst_DefaultSettings::everyThemeIsComplete()
{
    QFETCH(int, theme);
    SettingStore chosen = storeOf(QStringLiteral("EN"));
    chosen.mySystem.CURRENT_THEME = theme;

    for (int id = ColourSetting::THEME_SYSTEM_PEN_COLOR; id <= ColourSetting::THEME_TAB_ITEM_PEN_REVERSE_COLOR; ++id)
        QVERIFY2(chosen.getColor(id).isValid(), qPrintable(QString::number(id)));
    QVERIFY(chosen.getColor(ColourSetting::THEME_TAB_ITEM_PEN_COLOR)
            != chosen.getColor(ColourSetting::THEME_TAB_AREA_BACKGROUND_COLOR)); // tab text on the tab area
    QVERIFY(chosen.getColor(ColourSetting::THEME_TAB_ITEM_PEN_REVERSE_COLOR)
            != chosen.getColor(ColourSetting::THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR)); // highlighted tab text
    QVERIFY(chosen.getColor(ColourSetting::THEME_SYSTEM_PEN_COLOR)
            != chosen.getColor(ColourSetting::THEME_SYSTEM_PEN_REVERSE_COLOR));
    QVERIFY(chosen.getColor(ColourSetting::THEME_ICON_AP_NAME_COLOR)
            != chosen.getColor(ColourSetting::THEME_ICON_AP_NAME_REVERSE_COLOR));

    for (int id = TextSetting::TITLEBAR_PNG_NAME; id <= TextSetting::SPEAKER_OFF_PNG_NAME; ++id)
        QVERIFY2(chosen.getString(id).endsWith(QLatin1String(".png")), qPrintable(QString::number(id)));
    const QString name = chosen.getThemeName(ThemeSetting::THEME_NAME, theme - 1);
    QVERIFY(!name.isEmpty() && name != QLatin1String("NULL"));
    QVERIFY(chosen.getString(TextSetting::TITLEBAR_PNG_NAME).contains(u'/' + name + u'/'));
    QVERIFY(chosen.getThemeImageCount(ThemeSetting::IMAGE_COUNT, theme - 1) >= chosen.getInt(IntSetting::TAB_COUNT));
    for (int m = 0; m < chosen.getInt(IntSetting::TAB_COUNT); ++m) {
        const QString page = chosen.getThemeImagePath(ThemeSetting::IMAGE_FILE_PATH, theme - 1, m);
        QVERIFY2(page.endsWith(QLatin1String(".png")), qPrintable(page));
        QCOMPARE(chosen.themes.at(theme - 1).images.at(m).IMAGE_TAB_ITEM_ID,
                 chosen.getTabInt(TabIntSetting::TAB_ITEM_ID, m));
    }

    // Right after start the tab area is the flat colour, after a change of theme the title
    // bar picture: the two must look alike, or the tab labels (painted in the flat colour)
    // stand out as boxes.
    const QImage titleBar(besideProgram(chosen.getString(TextSetting::TITLEBAR_PNG_NAME)));
    QVERIFY(!titleBar.isNull());
    QCOMPARE(titleBar.pixelColor(titleBar.width() / 2, titleBar.height() / 2).rgb(),
             chosen.getColor(ColourSetting::THEME_TAB_AREA_BACKGROUND_COLOR).rgb());
}

void tst_DefaultSettings::picturesExistAtTheirSize_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("theme");
    for (const QString &code : kLanguageCodes) {
        const SettingStore &store = storeOf(code);
        for (int t = 1; t <= store.themes.size(); ++t)
            QTest::addRow("%s %s", qPrintable(code), qPrintable(store.themes.at(t - 1).THEME_NAME)) << code << t;
    }
}

// Pictures are drawn at the size the settings show them, so that none is scaled on screen
// (the title and back bars and the pages are stretched to the screen and may be any size).
void tst_DefaultSettings::picturesExistAtTheirSize()
{
    QFETCH(QString, language);
    QFETCH(int, theme);
    SettingStore chosen = storeOf(language);
    chosen.mySystem.CURRENT_THEME = theme;
    for (const NamedPicture &picture : themePictures(chosen) + tabAndIconPictures(chosen)) {
        QImageReader reader(besideProgram(picture.path));
        const QSize size = reader.size();
        QVERIFY2(size.isValid(), qPrintable(picture.what + u' ' + picture.path));
        if (!picture.size.isEmpty())
            QVERIFY2(size == picture.size, qPrintable(picture.what + u' ' + picture.path));
    }
}

void tst_DefaultSettings::everyTabIsComplete_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("tab");
    for (const QString &code : kLanguageCodes) {
        const SettingStore &store = storeOf(code);
        for (int i = 0; i < store.tabs.size(); ++i)
            QTest::addRow("%s %d", qPrintable(code), i + 1) << code << i;
    }
}

// What a page needs of each of its icons, asked the way the launcher asks.
void tst_DefaultSettings::everyTabIsComplete()
{
    QFETCH(QString, language);
    QFETCH(int, tab);
    const SettingStore &store = storeOf(language);
    QVERIFY(!store.getTabString(TabTextSetting::TAB_ITEM_NAME, tab).isEmpty());
    const QString picture = store.getTabString(TabTextSetting::TAB_ITEM_ICON_PNG_FILE_NAME, tab);
    QVERIFY2(picture.startsWith(store.mySystem.TAB_DIR) && picture.endsWith(QLatin1String(".png")),
             qPrintable(picture));
    for (const int id : {31, 32})
        QVERIFY(store.getTabInt(id, tab) > 0);
    QCOMPARE(store.getTabInt(TabIntSetting::TAB_ITEM_ID, tab), tab + 1);

    const int positions = store.getTabInt(TabIntSetting::ICON_POSITION_COUNT, tab);
    QVERIFY(positions >= 1);
    // No more than two pages: a beginner finds every icon with one press of a page button.
    QVERIFY(positions
            <= 2 * store.getInt(IntSetting::NUMBER_OF_ICON_PER_ROW) * store.getInt(IntSetting::ICON_ROWS_PER_PAGE));
    for (int p = 0; p < positions; ++p) {
        const int icon = store.getTabIconInt(TabIconIntSetting::ICON_INDEX, tab, p);
        QVERIFY(icon >= 0 && icon < store.icons.size());
        QCOMPARE(store.getTabIconInt(TabIconIntSetting::ICON_IS_DEFAULT_APP, tab, p), 1);
        const int kind = store.getTabIconInt(TabIconIntSetting::ICON_DATA_TYPE, tab, p);
        QVERIFY(kIconKinds.contains(kind));
        for (const int id : {800, 807})
            QVERIFY(!store.getTabIconString(id, tab, p).isEmpty());
        const QString iconPicture = store.getTabIconString(TabIconTextSetting::ICON_AP_PNG_FILE_NAME, tab, p);
        QVERIFY2(iconPicture.startsWith(store.mySystem.ICON_DIR) && iconPicture.endsWith(QLatin1String(".png")),
                 qPrintable(iconPicture));
        if (kind == 1 || kind == 3)
            QVERIFY(!store.getTabIconString(TabIconTextSetting::ICON_AP_EXE_LOCATION, tab, p).isEmpty());
        if (kind == 7)
            QVERIFY(store.getTabInt(TabIntSetting::TAB_ITEM_PARENT,
                                    store.getTabInt(TabIntSetting::ICON_SUB_TAB_ID, icon) - 1)
                    != 0);
    }
}

// Text is measured, so the test needs a GUI application (offscreen, from CTest).
QTEST_MAIN(tst_DefaultSettings)
#include "tst_defaultsettings.moc"
