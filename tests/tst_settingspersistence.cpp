#include "TestPlatform.h"

#include "i18n/LanguageChoice.h"
#include "settings/RecordFields_p.h"
#include "settings/RegistryAccess.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QTest>

using namespace platform;

namespace {

// Every field gets a value of its own, derived from its name, so a value written under the
// wrong name or not at all shows up after a round trip.
template <class Record, std::size_t N>
Record filled(const RecordField<Record> (&fields)[N], int seed)
{
    Record record;
    int n = seed;
    for (const RecordField<Record> &field : fields) {
        ++n;
        if (field.number)
            record.*field.number = n % 2 ? -n : n;
        else
            record.*field.text = QStringLiteral("%1 ü%2").arg(QLatin1String(field.name)).arg(n);
    }
    return record;
}

template <class Record, std::size_t N>
void compareWritten(const Record &actual, const Record &expected, const RecordField<Record> (&fields)[N])
{
    for (const RecordField<Record> &field : fields) {
        if (!field.written)
            continue;
        if (field.number)
            QCOMPARE(actual.*field.number, expected.*field.number);
        else
            QCOMPARE(actual.*field.text, expected.*field.text);
    }
}

SettingStore sampleStore(int tabCount, int iconCount, int themeCount, int imageCount)
{
    SettingStore store;
    store.mySystem = filled(mySystemFields, 0);
    store.mySystem.NUMBER_OF_TABS = tabCount;
    store.tabsInfo = filled(tabsInfoFields, 100);
    for (int n = 0; n < tabCount; ++n)
        store.tabs.append(filled(tabInfoFields, 200 + 10 * n));
    store.iconLayout = filled(iconLayoutFields, 300);
    for (int n = 0; n < iconCount; ++n)
        store.icons.append(filled(iconInfoFields, 400 + 10 * n));
    for (int t = 0; t < themeCount; ++t) {
        ThemeInfo theme = filled(themeInfoFields, 1000 + 100 * t);
        for (int m = 0; m < imageCount; ++m)
            theme.images.append(filled(themeImageFields, 5000 + 10 * m));
        store.themes.append(theme);
    }
    return store;
}

QString valueAt(const QString &path, const QString &name)
{
    const RegKey key = openRegKey(kLocalMachine, path, false);
    const QString value = key == kNoKey ? QStringLiteral("<no key>") : readRegString(key, name);
    closeRegKey(key);
    return value;
}

void setValueAt(const QString &path, const QString &name, const QString &text)
{
    const RegKey key = openRegKey(kLocalMachine, path, true);
    writeRegString(key, name, text);
    closeRegKey(key);
}

} // namespace

class tst_SettingsPersistence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void emptyRegistryGivesEmptyStoreAndFiveLines();
    void everyRecordSurvivesARoundTrip();
    void missingTabKeysStillGiveTabs();
    void iconListEndsAtTheFirstGap();
    void subKeysAreNumberedWithTwoDigitsAtLeast_data();
    void subKeysAreNumberedWithTwoDigitsAtLeast();
    void imagesBeyondTheTabCountAreLeftAlone();
    void backTitleBarCaptionBoxIsNeverWritten();
    void tabCountIsClamped_data();
    void tabCountIsClamped();
    void shortListsSaveWhatExists();
    void iconNumbersOfATab_data();
    void iconNumbersOfATab();
    void languageSelectsTheTree();

private:
    TestPlatform *platformUnderTest = nullptr;
};

void tst_SettingsPersistence::initTestCase()
{
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
}

void tst_SettingsPersistence::init()
{
    delete platformUnderTest;
    platformUnderTest = new TestPlatform;
}

void tst_SettingsPersistence::emptyRegistryGivesEmptyStoreAndFiveLines()
{
    SettingStore store = sampleStore(2, 2, 1, 2);
    StderrCapture capture;
    QCOMPARE(loadAllSettings(store), 1);
    QCOMPARE(capture.lines(), QStringList({"GetLumbraSystemRegSetting open failed",
                                           "GetLumbraTabsInfoRegSetting open failed",
                                           "GetLumbraSystemRegSetting open failed",
                                           "GetLumbraIconInfoRegSetting open failed",
                                           "GetLumbraThemeInfoRegSetting open failed"}));
    QVERIFY(store.tabs.isEmpty());
    QVERIFY(store.icons.isEmpty());
    QVERIFY(store.themes.isEmpty());
    QCOMPARE(store.mySystem.NUMBER_OF_TABS, 0);
    QCOMPARE(store.mySystem.LUMBRA_WINDOWTITLE, QString());
}

void tst_SettingsPersistence::everyRecordSurvivesARoundTrip()
{
    const SettingStore saved = sampleStore(3, 4, 2, 3);
    {
        StderrCapture quiet;
        QCOMPARE(saveAllSettings(saved), 1);
    }
    SettingStore loaded;
    StderrCapture capture;
    loadAllSettings(loaded);
    QCOMPARE(capture.lines(), QStringList({"GetLumbraIconInfoRegSetting open failed",
                                           "ThemeImagesReg open failed ",
                                           "ThemeImagesReg open failed ",
                                           "GetLumbraThemeInfoRegSetting open failed"}));
    compareWritten(loaded.mySystem, saved.mySystem, mySystemFields);
    compareWritten(loaded.tabsInfo, saved.tabsInfo, tabsInfoFields);
    compareWritten(loaded.iconLayout, saved.iconLayout, iconLayoutFields);
    QCOMPARE(loaded.tabs.size(), 3);
    for (int n = 0; n < 3; ++n)
        compareWritten(loaded.tabs.at(n), saved.tabs.at(n), tabInfoFields);
    QCOMPARE(loaded.icons.size(), 4);
    for (int n = 0; n < 4; ++n)
        compareWritten(loaded.icons.at(n), saved.icons.at(n), iconInfoFields);
    QCOMPARE(loaded.themes.size(), 2);
    for (int t = 0; t < 2; ++t) {
        compareWritten(loaded.themes.at(t), saved.themes.at(t), themeInfoFields);
        QCOMPARE(loaded.themes.at(t).images.size(), 3);
        for (int m = 0; m < 3; ++m)
            compareWritten(loaded.themes.at(t).images.at(m), saved.themes.at(t).images.at(m), themeImageFields);
    }
}

void tst_SettingsPersistence::missingTabKeysStillGiveTabs()
{
    setValueAt(systemKeyPath, QStringLiteral("NUMBER_OF_TABS"), QStringLiteral("3"));
    setValueAt(tabSubKeyPath(1), QStringLiteral("TAB_ITEM_NAME"), QStringLiteral("One"));
    setValueAt(tabSubKeyPath(2), QStringLiteral("TAB_ITEM_NAME"), QStringLiteral("Two"));
    SettingStore store;
    StderrCapture capture;
    loadAllSettings(store);
    QVERIFY(capture.lines().contains(QStringLiteral("GetLumbraTabInfoRegSetting open failed")));
    QCOMPARE(store.tabs.size(), 3);
    QCOMPARE(store.tabs.at(1).TAB_ITEM_NAME, QStringLiteral("Two"));
    QCOMPARE(store.tabs.at(2).TAB_ITEM_NAME, QString());
    QCOMPARE(store.tabs.at(2).TAB_ITEM_ID, 0);
}

void tst_SettingsPersistence::iconListEndsAtTheFirstGap()
{
    for (int n : {1, 2, 4})
        setValueAt(iconSubKeyPath(n), QStringLiteral("ICON_AP_NAME"), QString::number(n));
    SettingStore store;
    StderrCapture quiet;
    loadAllSettings(store);
    QCOMPARE(store.icons.size(), 2);
    QCOMPARE(store.icons.at(1).ICON_AP_NAME, QStringLiteral("2"));
}

void tst_SettingsPersistence::subKeysAreNumberedWithTwoDigitsAtLeast_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("subKey");

    QTest::newRow("7") << 7 << "07";
    QTest::newRow("12") << 12 << "12";
    QTest::newRow("100") << 100 << "100";
}

void tst_SettingsPersistence::subKeysAreNumberedWithTwoDigitsAtLeast()
{
    QFETCH(int, tab);
    QFETCH(QString, subKey);
    QCOMPARE(tabSubKeyPath(tab), QStringLiteral("Software\\ORTAN\\Lumbra\\EN\\TabInfo\\") + subKey);
    QCOMPARE(themeImageSubKeyPath(tab, tab),
             QStringLiteral("Software\\ORTAN\\Lumbra\\EN\\ThemeInfo\\%1\\THEME_ALL_IMAGE\\%1").arg(subKey));
    const SettingStore store = sampleStore(tab, 0, 0, 0);
    saveAllSettings(store);
    QCOMPARE(queryRegKey(kLocalMachine, tabSubKeyPath(tab)), kErrorSuccess);
    QCOMPARE(valueAt(tabSubKeyPath(tab), QStringLiteral("TAB_ITEM_NAME")), store.tabs.last().TAB_ITEM_NAME);
}

void tst_SettingsPersistence::imagesBeyondTheTabCountAreLeftAlone()
{
    const QString third = themeImageSubKeyPath(1, 3);
    setValueAt(third, QStringLiteral("IMAGE_FILE_PATH"), QStringLiteral("old.png"));
    SettingStore store = sampleStore(2, 0, 1, 3);
    store.themes[0].images[2].IMAGE_FILE_PATH = QStringLiteral("new.png");
    saveAllSettings(store);
    QCOMPARE(valueAt(third, QStringLiteral("IMAGE_FILE_PATH")), QStringLiteral("old.png"));
    QCOMPARE(valueAt(themeImageSubKeyPath(1, 2), QStringLiteral("IMAGE_FILE_PATH")),
             store.themes[0].images[1].IMAGE_FILE_PATH);
}

void tst_SettingsPersistence::backTitleBarCaptionBoxIsNeverWritten()
{
    setValueAt(themeSubKeyPath(1), QStringLiteral("BACKTITLEBAR_NAME_X_POSITION"), QStringLiteral("17"));
    SettingStore store;
    {
        StderrCapture quiet;
        loadAllSettings(store);
    }
    QCOMPARE(store.themes.size(), 1);
    QCOMPARE(store.themes[0].BACKTITLEBAR_NAME_X_POSITION, 17);
    store.themes[0].BACKTITLEBAR_NAME_X_POSITION = 99;
    store.themes[0].BACKTITLEBAR_NAME_WIDTH = 99;
    saveAllSettings(store);
    QCOMPARE(valueAt(themeSubKeyPath(1), QStringLiteral("BACKTITLEBAR_NAME_X_POSITION")), QStringLiteral("17"));
    QCOMPARE(valueAt(themeSubKeyPath(1), QStringLiteral("BACKTITLEBAR_NAME_WIDTH")), QString());
}

void tst_SettingsPersistence::tabCountIsClamped_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("tabs");
    QTest::addColumn<bool>("reported");

    QTest::newRow("negative") << "-5" << 0 << true;
    QTest::newRow("absurd") << "2000000000" << kMaxTabs << true;
    QTest::newRow("largest allowed") << QString::number(kMaxTabs) << kMaxTabs << false;
    QTest::newRow("not a number") << "many" << 0 << false;
}

void tst_SettingsPersistence::tabCountIsClamped()
{
    QFETCH(QString, stored);
    QFETCH(int, tabs);
    QFETCH(bool, reported);
    setValueAt(systemKeyPath, QStringLiteral("NUMBER_OF_TABS"), stored);
    SettingStore store;
    StderrCapture capture;
    loadAllSettings(store);
    QCOMPARE(store.tabs.size(), tabs);
    QCOMPARE(store.mySystem.NUMBER_OF_TABS, tabs);
    const QStringList lines = capture.lines();
    QCOMPARE(lines.filter(QStringLiteral("NUMBER_OF_TABS")).size(), reported ? 1 : 0);
}

void tst_SettingsPersistence::shortListsSaveWhatExists()
{
    SettingStore store = sampleStore(1, 0, 1, 1);
    store.mySystem.NUMBER_OF_TABS = 3;
    QCOMPARE(saveAllSettings(store), 1);
    QCOMPARE(queryRegKey(kLocalMachine, tabSubKeyPath(1)), kErrorSuccess);
    QCOMPARE(queryRegKey(kLocalMachine, tabSubKeyPath(2)), kErrorFileNotFound);
    QCOMPARE(queryRegKey(kLocalMachine, themeImageSubKeyPath(1, 2)), kErrorFileNotFound);
}

void tst_SettingsPersistence::iconNumbersOfATab_data()
{
    QTest::addColumn<QString>("allIcons");
    QTest::addColumn<QList<int>>("numbers");

    QTest::newRow("ordered") << "3.1.12" << QList<int>{3, 1, 12};
    QTest::newRow("empty part") << "2..5" << QList<int>{2, 0, 5};
    QTest::newRow("none") << "" << QList<int>{};
    QTest::newRow("not a number") << "x.7" << QList<int>{0, 7};
    QTest::newRow("trailing dot") << "4." << QList<int>{4, 0};
}

void tst_SettingsPersistence::iconNumbersOfATab()
{
    QFETCH(QString, allIcons);
    QFETCH(QList<int>, numbers);
    QCOMPARE(iconNumbersOf(allIcons), numbers);
}

void tst_SettingsPersistence::languageSelectsTheTree()
{
    languageCode = QStringLiteral("DE");
    initRegistryPaths();
    QCOMPARE(systemKeyPath, QStringLiteral("Software\\ORTAN\\Lumbra\\DE\\System"));
    SettingStore store;
    store.mySystem.VERSION = QStringLiteral("de");
    saveAllSettings(store);
    QCOMPARE(valueAt(QStringLiteral("SOFTWARE\\ORTAN\\LUMBRA\\de\\System"), QStringLiteral("VERSION")),
             QStringLiteral("de"));
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    QCOMPARE(queryRegKey(kLocalMachine, systemKeyPath), kErrorFileNotFound);
}

QTEST_GUILESS_MAIN(tst_SettingsPersistence)
#include "tst_settingspersistence.moc"
