#include "TestPlatform.h"
#include "WrittenValues.h"

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "settings/RecordFields_p.h"
#include "settings/RegFileExporter.h"
#include "settings/RegistryAccess.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsChange.h"
#include "settings/SettingsPersistence.h"

#include <QBuffer>
#include <QFile>
#include <QMap>
#include <QTest>

#include <functional>

using namespace platform;

namespace {

SettingStore loaded()
{
    SettingStore store;
    StderrCapture quiet;
    loadAllSettings(store);
    return store;
}

struct Writer
{
    const char *name;
    std::function<int()> write;
    const char *message;
};

const Writer &writer(int index)
{
    static const SettingStore store = sampleStore(1, 1, 1, 1);
    static const Writer writers[] = {
        {"system", [] { return SetLumbraSystemRegSetting(store.mySystem); }, "SetLumbraSystemRegSetting open failed"},
        {"tabs", [] { return SetLumbraTabsInfoRegSetting(store.tabsInfo); }, "SetLumbraTabsInfoRegSetting open failed"},
        {"tab", [] { return SetLumbraTabInfoRegSetting(1, store.tabs.at(0)); }, "SetLumbraTabInfoRegSetting open failed"},
        {"icon layout", [] { return SetLumbraIconLayoutRegSetting(store.iconLayout); },
         "SetLumbraSystemRegSetting open failed"},
        {"icon", [] { return SetLumbraIconInfoRegSetting(1, store.icons.at(0)); }, "SetLumbraIconInfoRegSetting open failed"},
        {"theme", [] { return SetLumbraThemeInfoRegSetting(1, store.themes.at(0)); },
         "SetLumbraThemeInfoRegSetting open failed"},
        {"image", [] { return SetLumbraThemeImageRegSetting(1, 1, store.themes.at(0).images.at(0)); },
         "ImagesReg open failed"},
    };
    return writers[index];
}
constexpr int kWriters = 7;

QString valueAt(const QString &path, const QString &name)
{
    const RegKey key = openRegKey(kLocalMachine, path, false);
    const QString value = key == kNoKey ? QStringLiteral("<no key>") : readRegText(key, name);
    closeRegKey(key);
    return value;
}

void setValueAt(const QString &path, const QString &name, const QString &text)
{
    const RegKey key = openRegKey(kLocalMachine, path, true);
    writeRegString(key, name, text);
    closeRegKey(key);
}

// Every value of the language's tree as stored, by its path below the tree.
QMap<QString, QByteArray> storedValues(const QString &below = QString())
{
    QMap<QString, QByteArray> values;
    RegKey key = kNoKey;
    if (registry().openKey(kLocalMachine, (registryBasePath + below).toStdU16String(), &key) != kErrorSuccess)
        return values;
    std::vector<RegValue> found;
    std::vector<std::u16string> subKeys;
    registry().enumValues(key, &found);
    registry().enumKeys(key, &subKeys);
    registry().closeKey(key);
    for (const RegValue &value : found)
        values.insert(below + QString::fromStdU16String(value.name),
                      QByteArray(reinterpret_cast<const char *>(value.data.data()), qsizetype(value.data.size())));
    for (const std::u16string &name : subKeys)
        values.insert(storedValues(below + QString::fromStdU16String(name) + u'\\'));
    return values;
}

// What another writer (an import, a second launcher) does while the settings are shown; or
// the store refusing writes, or its index damaged.
void changeMeanwhile(const QString &what, const QString &storePath)
{
    const QStringList words = what.split(u' ');
    if (words.first() == QLatin1String("refuse") || words.first() == QLatin1String("damage"))
        QVERIFY(executeOnStore(storePath, words.first() == QLatin1String("refuse")
            ? "CREATE TRIGGER refuse BEFORE UPDATE ON reg_values BEGIN SELECT RAISE(ABORT, 'read-only'); END"
            : "PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql = replace(sql, 'UNIQUE(key, folded)',"
              " 'UNIQUE(folded, key)') WHERE name = 'reg_values'"));
    if (words.first() == QLatin1String("delete"))
        QVERIFY(QFile::remove(storePath));
    if (words.first() == QLatin1String("list"))
        setValueAt(tabSubKeyPath(1), QStringLiteral("TAB_ITEM_ALL_ICONS"), words.at(1));
    else if (words.first() == QLatin1String("target"))
        setValueAt(iconSubKeyPath(words.at(1).toInt()), QStringLiteral("ICON_AP_EXE_LOCATION"), QStringLiteral("/other"));
    else if (words.first() == QLatin1String("tabs"))
        setValueAt(systemKeyPath, QStringLiteral("NUMBER_OF_TABS"), u'0' + words.at(1)); // as a person types it
    else if (words.first() == QLatin1String("drop"))
        registry().deleteTree(kLocalMachine, (words.at(1) == QLatin1String("tree") ? registryBasePath
                                                                                    : themeSubKeyPath(2)).toStdU16String());
    if (words.first() != QLatin1String("icon"))
        return;
    SetLumbraIconInfoRegSetting(5, IconInfo());
    setValueAt(tabSubKeyPath(1), QStringLiteral("TAB_ITEM_ALL_ICONS"), QStringLiteral("1.2.3.5"));
}

SettingsChange changeOf(const QString &what, const SettingStore &shown)
{
    const QStringList words = what.split(u' ');
    if (words.first() == QLatin1String("remove"))
        return SettingsChange::removeIcon(shown, 0, words.at(1).toInt());
    if (words.first() == QLatin1String("restore"))
        return SettingsChange::restoreIcon(shown, 0, words.at(1).toInt(), words.at(2));
    if (words.first() == QLatin1String("add")) {
        IconInfo added;
        added.ICON_AP_NAME = added.ICON_AP_EXE_LOCATION = QStringLiteral("/added");
        return SettingsChange::addIcon(shown, 0, added);
    }
    return SettingsChange::setNumber(words.at(1), words.at(2).toInt());
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
    void subKeysAreNumberedWithTwoDigitsAtLeast_data();
    void subKeysAreNumberedWithTwoDigitsAtLeast();
    void imagesBeyondTheTabCountAreLeftAlone();
    void backTitleBarCaptionBoxIsNeverWritten();
    void loadTakesWhatIsStored_data();
    void loadTakesWhatIsStored();
    void shortListsSaveWhatExists();
    void iconNumbersOfATab_data();
    void iconNumbersOfATab();
    void languageSelectsTheTree();
    void loadSeesOneStateWhileASaveGoesOn();
    void failedSaveChangesNothingAndSaysSo_data();
    void failedSaveChangesNothingAndSaysSo();
    void writersNameTheirKey_data();
    void writersNameTheirKey();
    void storeFailingUnderALoadGivesNothing();
    void referencesAreKeptAsStored();
    void changesLandOnTheStoreAsItIsNow_data();
    void changesLandOnTheStoreAsItIsNow();

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
    QCOMPARE(store.origin.state, StoreOrigin::State::NoTree);
    // With a tree on neither side a change has nowhere to go.
    const SettingsChange music = SettingsChange::setNumber(QStringLiteral("MUSIC_BACKGROUND_ON"), 1);
    QCOMPARE(music.applyTo(store), SettingsChange::Outcome::StoreRefused);
}

void tst_SettingsPersistence::everyRecordSurvivesARoundTrip()
{
    const SettingStore saved = sampleStore(3, 4, 2, 3);
    {
        StderrCapture quiet;
        QCOMPARE(saveAllSettings(saved), 1);
    }
    // Saved values export as the text a person can edit, none as hex(1) bytes.
    QBuffer exported;
    exported.open(QIODevice::WriteOnly);
    QVERIFY(RegFileExporter(registry()).exportTree(kLocalMachine, registryBasePath.chopped(1), exported));
    QVERIFY(!exported.data().contains("hex(1)"));
    SettingStore loaded;
    StderrCapture capture;
    loadAllSettings(loaded);
    QCOMPARE(capture.lines(), QStringList({"GetLumbraIconInfoRegSetting open failed",
                                           "ThemeImagesReg open failed ",
                                           "ThemeImagesReg open failed ",
                                           "GetLumbraThemeInfoRegSetting open failed"}));
    QCOMPARE(writtenValues(loaded), writtenValues(saved));
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

// Nor an icon's role or a tab's category: a tree without them saves and exports as before.
void tst_SettingsPersistence::backTitleBarCaptionBoxIsNeverWritten()
{
    setValueAt(themeSubKeyPath(1), QStringLiteral("BACKTITLEBAR_NAME_X_POSITION"), QStringLiteral("17"));
    setValueAt(systemKeyPath, QStringLiteral("NUMBER_OF_TABS"), QStringLiteral("1"));
    setValueAt(tabSubKeyPath(1), QStringLiteral("TAB_ITEM_CATEGORY"), QStringLiteral("Game"));
    setValueAt(iconSubKeyPath(1), QStringLiteral("ICON_AP_ROLE"), QStringLiteral("web-browser"));
    setValueAt(iconSubKeyPath(2), QStringLiteral("ICON_ID"), QStringLiteral("2"));
    SettingStore store;
    {
        StderrCapture quiet;
        loadAllSettings(store);
    }
    QCOMPARE(store.themes.size(), 1);
    QCOMPARE(store.themes[0].BACKTITLEBAR_NAME_X_POSITION, 17);
    QCOMPARE(store.icons[0].ICON_AP_ROLE + store.tabs[0].TAB_ITEM_CATEGORY, QStringLiteral("web-browserGame"));
    store.themes[0].BACKTITLEBAR_NAME_X_POSITION = 99;
    store.themes[0].BACKTITLEBAR_NAME_WIDTH = 99;
    store.mySystem.FIT_TO_SCREEN = 1;
    store.icons[0].ICON_AP_ROLE = store.icons[1].ICON_AP_ROLE = store.tabs[0].TAB_ITEM_CATEGORY = QStringLiteral("x");
    saveAllSettings(store);
    QCOMPARE(valueAt(themeSubKeyPath(1), QStringLiteral("BACKTITLEBAR_NAME_X_POSITION")), QStringLiteral("17"));
    QCOMPARE(valueAt(themeSubKeyPath(1), QStringLiteral("BACKTITLEBAR_NAME_WIDTH")), QString());
    // Nor FIT_TO_SCREEN, roles or categories: a tree without them keeps its look and its export.
    QCOMPARE(valueAt(systemKeyPath, QStringLiteral("FIT_TO_SCREEN")), QString());
    QCOMPARE(valueAt(iconSubKeyPath(1), QStringLiteral("ICON_AP_ROLE")), QStringLiteral("web-browser"));
    QCOMPARE(valueAt(iconSubKeyPath(2), QStringLiteral("ICON_AP_ROLE")), QString());
    QCOMPARE(valueAt(tabSubKeyPath(1), QStringLiteral("TAB_ITEM_CATEGORY")), QStringLiteral("Game"));
}

void tst_SettingsPersistence::loadTakesWhatIsStored_data()
{
    QTest::addColumn<QStringList>("stored"); // "KEY|NAME=VALUE", KEY below the language's tree
    QTest::addColumn<QString>("tabs");       // the names of the tabs loaded, joined by "|"
    QTest::addColumn<int>("count");          // NUMBER_OF_TABS as loaded
    QTest::addColumn<int>("icons");
    QTest::addColumn<QString>("line");       // what one line on stderr holds
    QTest::addColumn<int>("reported");       // lines about NUMBER_OF_TABS

    const QString tabCount = QStringLiteral("System|NUMBER_OF_TABS=");
    const QString all(kMaxTabs - 1, u'|');
    const QStringList threeTabs{"TabInfo\\01|TAB_ITEM_NAME=A", "TabInfo\\02|TAB_ITEM_NAME=B",
                                "TabInfo\\03|TAB_ITEM_NAME=C"};
    QTest::newRow("tab keys missing") << QStringList{tabCount + "3", "TabInfo\\01|TAB_ITEM_NAME=One",
                                                     "TabInfo\\02|TAB_ITEM_NAME=Two"}
                                      << "One|Two|" << 3 << 0 << "GetLumbraTabInfoRegSetting open failed" << 0;
    QTest::newRow("icons end at the first gap") << QStringList{"IconInfo\\01|ICON_AP_NAME=1", "IconInfo\\02|ICON_AP_NAME=2",
                                                               "IconInfo\\04|ICON_AP_NAME=4"}
                                                << "" << 0 << 2 << "" << 0;
    QTest::newRow("negative tab count") << QStringList{tabCount + "-5"} << "" << 0 << 0 << "" << 1;
    QTest::newRow("absurd tab count") << QStringList{tabCount + "2000000000"} << all << kMaxTabs << 0 << "" << 1;
    QTest::newRow("largest tab count") << QStringList{tabCount + QString::number(kMaxTabs)} << all << kMaxTabs << 0
                                       << "" << 0;
    QTest::newRow("tab count not a number") << QStringList{tabCount + "many"} << "" << 0 << 0 << "" << 0;
    // A count that shows no tab over a tree that has tabs would be an empty launcher: the tabs
    // there are are shown, and the stored count stays.
    QTest::newRow("none over three tabs") << QStringList{tabCount + "0"} + threeTabs << "A|B|C" << 0 << 0 << "" << 1;
    QTest::newRow("negative over two tabs") << QStringList{tabCount + "-5"} + threeTabs.mid(0, 2) << "A|B" << 0 << 0
                                            << "" << 2;
}

void tst_SettingsPersistence::loadTakesWhatIsStored()
{
    QFETCH(QStringList, stored);
    QFETCH(QString, tabs);
    QFETCH(int, count);
    QFETCH(int, icons);
    QFETCH(QString, line);
    QFETCH(int, reported);
    for (const QString &value : stored)
        setValueAt(registryBasePath + value.section(u'|', 0, 0), value.section(u'|', 1).section(u'=', 0, 0),
                   value.section(u'=', 1));
    SettingStore store;
    StderrCapture capture;
    loadAllSettings(store);
    QStringList names;
    for (const TabInfo &tab : store.tabs)
        names << tab.TAB_ITEM_NAME;
    QCOMPARE(names.join(u'|'), tabs);
    QCOMPARE(store.mySystem.NUMBER_OF_TABS, count);
    QCOMPARE(store.icons.size(), icons);
    QVERIFY(icons == 0 || store.icons.last().ICON_AP_NAME == QString::number(icons));
    const QStringList lines = capture.lines();
    QCOMPARE(lines.filter(QStringLiteral("NUMBER_OF_TABS")).size(), reported);
    QVERIFY2(line.isEmpty() || lines.filter(line).size() == 1, qPrintable(lines.join(u'\n')));
    // Written whole (as when the store was gone meanwhile), the tree shows the same tabs again.
    registry().deleteTree(kLocalMachine, registryBasePath.toStdU16String());
    QCOMPARE(saveAllSettings(store), 1);
    SettingStore again;
    loadAllSettings(again);
    QCOMPARE(again.tabs.size(), store.tabs.size());
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

// Another process saves while this one loads: the load gets the store before the save or
// after it, never a mix, and the save is not held up by the reader.
void tst_SettingsPersistence::loadSeesOneStateWhileASaveGoesOn()
{
    const SettingStore before = sampleStore(3, 4, 2, 3);
    SettingStore after = sampleStore(3, 4, 2, 3);
    after.mySystem = filled(mySystemFields, 50);
    after.mySystem.NUMBER_OF_TABS = 3;
    for (int n = 0; n < 3; ++n)
        after.tabs[n] = filled(tabInfoFields, 250 + 10 * n);
    for (ThemeInfo &theme : after.themes)
        theme.THEME_NAME += QStringLiteral(" (new)");
    QCOMPARE(saveAllSettings(before), 1);

    BusyStore reader(platformUnderTest->databasePath().toStdString());
    int saved = -1;
    reader.opens = 5;
    reader.meanwhile = [&] {
        useRegistry(&platformUnderTest->registry());
        saved = saveAllSettings(after);
        useRegistry(&reader);
    };
    useRegistry(&reader);
    const SettingStore during = loaded();
    const SettingStore later = loaded();
    useRegistry(&platformUnderTest->registry());
    QCOMPARE(saved, 1);
    QCOMPARE(writtenValues(during), writtenValues(before));
    QCOMPARE(writtenValues(later), writtenValues(after));
}

void tst_SettingsPersistence::failedSaveChangesNothingAndSaysSo_data()
{
    QTest::addColumn<QString>("trigger");

    // Icon 5 is new in the second save, written between the icons and the themes.
    const QString newIcon = utf16Blob(QStringLiteral("05"));
    QTest::newRow("a value refused")
        << "CREATE TRIGGER refuse BEFORE INSERT ON reg_values WHEN NEW.folded = " + utf16Blob(QStringLiteral("icon_ap_name"))
               + " AND NEW.key = (SELECT max(id) FROM reg_keys) BEGIN SELECT RAISE(ABORT, 'disk full'); END";
    QTest::newRow("the transaction undone by SQLite")
        << "CREATE TRIGGER refuse BEFORE INSERT ON reg_values WHEN NEW.folded = " + utf16Blob(QStringLiteral("icon_ap_name"))
               + " AND NEW.key = (SELECT max(id) FROM reg_keys) BEGIN SELECT RAISE(ROLLBACK, 'I/O error'); END";
    QTest::newRow("a key refused")
        << "CREATE TRIGGER refuse BEFORE INSERT ON reg_keys WHEN NEW.folded = " + newIcon
               + " BEGIN SELECT RAISE(ABORT, 'access denied'); END";
}

// A save is one transaction: when the store refuses any part of it, no part lands, and the
// caller hears so.
void tst_SettingsPersistence::failedSaveChangesNothingAndSaysSo()
{
    QFETCH(QString, trigger);
    const SettingStore before = sampleStore(3, 4, 2, 3);
    QCOMPARE(saveAllSettings(before), 1);
    SettingStore after = sampleStore(3, 5, 2, 3);
    for (ThemeInfo &theme : after.themes)
        theme.THEME_NAME += QStringLiteral(" (new)");
    QVERIFY(executeOnStore(platformUnderTest->databasePath(), trigger));

    StderrCapture capture;
    QCOMPARE(saveAllSettings(after), 0);
    const QStringList lines = capture.lines();
    QCOMPARE(lines.filter(QStringLiteral("registry: could not commit a transaction")).size(), 1);
    QCOMPARE(writtenValues(loaded()), writtenValues(before));
    QCOMPARE(platformUnderTest->faults(), QString());
}

void tst_SettingsPersistence::writersNameTheirKey_data()
{
    QTest::addColumn<int>("index");
    for (int index = 0; index < kWriters; ++index)
        QTest::newRow(writer(index).name) << index;
}

// Each writer says which record it could not store: the lines are the only trace there is.
void tst_SettingsPersistence::writersNameTheirKey()
{
    QFETCH(int, index);
    closeRegKey(createRegKey(kLocalMachine, QStringLiteral("Software")));
    QVERIFY(executeOnStore(platformUnderTest->databasePath(),
                           QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON reg_keys BEGIN "
                                          "SELECT RAISE(ABORT, 'access denied'); END")));
    StderrCapture capture;
    QCOMPARE(writer(index).write(), 0);
    QCOMPARE(capture.lines(), QStringList{QString::fromLatin1(writer(index).message)});
}

// The store file breaks while it is read, before the bulk of the values came through: what
// came through before is not passed off as the settings.
void tst_SettingsPersistence::storeFailingUnderALoadGivesNothing()
{
    const QString path = platformUnderTest->databasePath() + QStringLiteral(".breaking");
    {
        SqliteRegistry writer(path.toStdString());
        useRegistry(&writer);
        QCOMPARE(saveAllSettings(sampleStore(3, 200, 2, 3)), 1);
    }
    BusyStore reader(path.toStdString());
    reader.opens = 3;
    reader.meanwhile = [&] { QFile(path).resize(4096); };
    useRegistry(&reader);
    SettingStore store = sampleStore(1, 1, 1, 1);
    StderrCapture capture;
    const int answer = loadAllSettings(store);
    const QStringList lines = capture.lines();
    useRegistry(&platformUnderTest->registry());
    QCOMPARE(answer, 0);
    QCOMPARE(store.origin.state, StoreOrigin::State::Unreadable);
    QCOMPARE(writtenValues(store), writtenValues(SettingStore()));
    QCOMPARE(lines.filter(QStringLiteral("registry: the settings store could not be read as one state")).size(), 1);
}

// A stored %NAME% reaches the person expanded and the store as it was: a save does not turn
// it into one person's path for good.
void tst_SettingsPersistence::referencesAreKeptAsStored()
{
    qputenv("LUMBRA_TEST_HOME", "/home/carer");
    SettingStore saved = sampleStore(1, 1, 1, 1);
    saved.tabs[0].TAB_ITEM_ALL_ICONS = QStringLiteral("1");
    saved.icons[0].ICON_AP_EXE_LOCATION = QStringLiteral("%LUMBRA_TEST_HOME%/Downloads");
    QCOMPARE(saveAllSettings(saved), 1);
    const SettingStore store = loaded();
    QCOMPARE(store.getTabIconString(806, 0, 0), QStringLiteral("/home/carer/Downloads"));
    QCOMPARE(saveAllSettings(store), 1);
    QCOMPARE(valueAt(iconSubKeyPath(1), QStringLiteral("ICON_AP_EXE_LOCATION")),
             QStringLiteral("%LUMBRA_TEST_HOME%/Downloads"));
}

void tst_SettingsPersistence::changesLandOnTheStoreAsItIsNow_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<SettingsChange::Outcome>("outcome");
    QTest::addColumn<QStringList>("written"); // the values it wrote, or all below a key ending in "\\"
    QTest::addColumn<QString>("list");         // the first tab's icons in the store afterwards
    QTest::addColumn<int>("at");               // where in that list the change landed

    using O = SettingsChange::Outcome;
    const QStringList list{QStringLiteral("TabInfo\\01\\TAB_ITEM_ALL_ICONS")};
    QTest::newRow("remove") << "remove 1" << "" << O::Saved << list << "1.3" << 1;
    QTest::newRow("remove, tab count lowered meanwhile") << "remove 1" << "tabs 1" << O::SavedAfterReload << list << "1.3" << 1;
    QTest::newRow("remove, list reordered meanwhile") << "remove 1" << "list 2.3.1" << O::SavedAfterReload << list << "3.1" << 0;
    QTest::newRow("remove, icon taken off meanwhile") << "remove 1" << "list 1.3" << O::NoLongerFits << QStringList() << "1.3" << -1;
    QTest::newRow("remove, icon now another program") << "remove 1" << "target 2" << O::NoLongerFits << QStringList() << "1.2.3" << -1;
    QTest::newRow("undo, list shortened meanwhile") << "restore 3 2" << "list 1.3" << O::SavedAfterReload << list << "1.3.2" << 2;
    QTest::newRow("undo, the number names no icon") << "restore 3 9" << "" << O::NoLongerFits << QStringList() << "1.2.3" << -1;
    QTest::newRow("add") << "add" << "" << O::Saved << list + QStringList{"IconInfo\\05\\"} << "1.2.3.5" << 3;
    QTest::newRow("add, icon added meanwhile") << "add" << "icon" << O::SavedAfterReload
                                               << list + QStringList{"IconInfo\\06\\"} << "1.2.3.5.6" << 4;
    QTest::newRow("theme") << "set CURRENT_THEME 1" << "" << O::Saved << QStringList{"System\\CURRENT_THEME"} << "1.2.3" << -1;
    QTest::newRow("a number the settings do not have") << "set NO_SUCH_NUMBER 1" << "" << O::NoLongerFits
                                                       << QStringList() << "1.2.3" << -1;
    QTest::newRow("theme removed meanwhile") << "set CURRENT_THEME 2" << "drop theme" << O::NoLongerFits
                                             << QStringList() << "1.2.3" << -1;
    // Nobody's change to give way to: what the person sees is written back whole.
    QTest::newRow("music, tree removed meanwhile") << "set MUSIC_BACKGROUND_ON 1" << "drop tree" << O::SavedWhole
                                                   << QStringList{""} << "1.2.3" << -1;
    QTest::newRow("remove, store file deleted meanwhile") << "remove 1" << "delete" << O::SavedWhole
                                                          << QStringList{""} << "1.3" << 1;
    QTest::newRow("store refuses") << "remove 1" << "refuse" << O::StoreRefused << QStringList() << "1.2.3" << -1;
    // Its index no longer finds the values that are there: nothing may be written into it.
    // (A key's values are read by the key alone, past the broken index.)
    QTest::newRow("store damaged") << "add" << "damage" << O::StoreRefused << QStringList() << "1.2.3" << -1;
}

// A change writes its own values and nothing else, on the store as it is when it lands:
// what others changed since the settings were loaded stays, and the settings in memory
// follow the store.
void tst_SettingsPersistence::changesLandOnTheStoreAsItIsNow()
{
    QFETCH(QString, change);
    QFETCH(QString, meanwhile);
    QFETCH(SettingsChange::Outcome, outcome);
    QFETCH(QStringList, written);
    QFETCH(QString, list);
    QFETCH(int, at);
    SettingStore saved = sampleStore(2, 4, 2, 2);
    saved.tabs[0].TAB_ITEM_ALL_ICONS = QStringLiteral("1.2.3");
    QCOMPARE(saveAllSettings(saved), 1);
    SettingStore shown = loaded();
    const SettingStore before = shown;
    changeMeanwhile(meanwhile, platformUnderTest->databasePath());
    const QMap<QString, QByteArray> others = storedValues();

    const std::size_t open = platformUnderTest->registry().openKeyCount();
    StderrCapture quiet;
    int landed = -2;
    QCOMPARE(changeOf(change, before).applyTo(shown, &landed), outcome);
    QCOMPARE(landed, at);
    QCOMPARE(platformUnderTest->registry().openKeyCount(), open);
    // A damaged store is named as such, with what to do about it.
    QCOMPARE(quiet.lines().filter(QStringLiteral("the settings store is damaged")).size(), meanwhile == "damage" ? 1 : 0);
    const QMap<QString, QByteArray> after = storedValues();
    QStringList changed;
    for (auto value = after.cbegin(); value != after.cend(); ++value) {
        if (others.value(value.key(), "<none>") != value.value())
            changed << value.key();
    }
    for (const QString &expected : written)
        QVERIFY2(!changed.filter(expected).isEmpty(), qPrintable(expected));
    for (const QString &made : changed)
        QVERIFY2(std::any_of(written.cbegin(), written.cend(), [&](const QString &w) { return made.startsWith(w); }),
                 qPrintable(made));
    QCOMPARE(valueAt(tabSubKeyPath(1), QStringLiteral("TAB_ITEM_ALL_ICONS")), list);
    const bool refused = outcome == SettingsChange::Outcome::StoreRefused;
    QCOMPARE(writtenValues(shown), writtenValues(refused ? before : loaded()));
    // The next change finds the store as the settings in memory have it, and reads nothing again.
    std::uint64_t generation = 0;
    QVERIFY(refused || (registry().generation(&generation) == kErrorSuccess && shown.origin.generation == generation));
}

QTEST_GUILESS_MAIN(tst_SettingsPersistence)
#include "tst_settingspersistence.moc"
