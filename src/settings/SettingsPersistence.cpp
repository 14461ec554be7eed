#include "SettingsPersistence.h"

#include "LockPinStore.h"
#include "RecordFields_p.h"
#include "RegistryAccess.h"
#include "RegistryPaths.h"
#include "SettingStore.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/RegistryScope.h"

#include <QLatin1String>

namespace {

// The value names of a record's fields in UTF-16, made once: a store holds thousands of
// records of a few kinds.
template <class Record, std::size_t N>
const std::vector<std::u16string> &namesOf(const RecordField<Record> (&fields)[N])
{
    static const std::vector<std::u16string> names = [&] {
        std::vector<std::u16string> made;
        for (const RecordField<Record> &field : fields)
            made.push_back(toUtf16(QLatin1String(field.name)));
        return made;
    }();
    return names;
}

template <class Record, std::size_t N>
int readRecord(const QString &path, Record &record, const RecordField<Record> (&fields)[N],
               const char *failure)
{
    const platform::RegKey key = openRegKey(platform::kLocalMachine, path, false);
    if (key == platform::kNoKey) {
        printDiagnostic(failure);
        return 0;
    }
    const std::vector<std::u16string> &names = namesOf(fields);
    for (std::size_t i = 0; i < N; ++i) {
        const RecordField<Record> &field = fields[i];
        if (field.number)
            record.*field.number = readRegInt(key, names[i]);
        else
            record.*field.text = readRegText(key, names[i]);
    }
    closeRegKey(key);
    return 1;
}

template <class Record, std::size_t N>
int writeRecord(const QString &path, const Record &record, const RecordField<Record> (&fields)[N],
                const char *failure)
{
    const platform::RegKey key = openRegKey(platform::kLocalMachine, path, true);
    if (key == platform::kNoKey) {
        printDiagnostic(failure);
        return 0;
    }
    for (const RecordField<Record> &field : fields) {
        if (!field.written)
            continue;
        if (field.number)
            writeRegInt(key, QLatin1String(field.name), record.*field.number);
        else
            writeRegString(key, QLatin1String(field.name), record.*field.text);
    }
    closeRegKey(key);
    return 1;
}

void clampTabCount(MySystem &system)
{
    const int count = system.NUMBER_OF_TABS;
    if (count >= 0 && count <= kMaxTabs)
        return;
    system.NUMBER_OF_TABS = count < 0 ? 0 : kMaxTabs;
    printDiagnostic(QStringLiteral("NUMBER_OF_TABS %1 is out of range; using %2")
                        .arg(count)
                        .arg(system.NUMBER_OF_TABS));
}

bool keyExists(const QString &path)
{
    const platform::RegKey key = openRegKey(platform::kLocalMachine, path, false);
    if (key == platform::kNoKey)
        return false;
    closeRegKey(key);
    return true;
}

// A count of no tabs over a tree that has them would show an empty launcher: the tabs there
// are (up to the first missing one) are shown instead. NUMBER_OF_TABS stays as stored.
int tabsToRead(const MySystem &system)
{
    if (system.NUMBER_OF_TABS > 0)
        return system.NUMBER_OF_TABS;
    int present = 0;
    while (present < kMaxTabs && keyExists(tabSubKeyPath(present + 1)))
        ++present;
    if (present > 0)
        printDiagnostic(QStringLiteral("NUMBER_OF_TABS %1 shows no tab; using the %2 tabs there are")
                            .arg(system.NUMBER_OF_TABS)
                            .arg(present));
    return present;
}

void loadTabs(SettingStore &store)
{
    const int count = tabsToRead(store.mySystem);
    for (int n = 1; n <= count; ++n) {
        TabInfo tab;
        GetLumbraTabInfoRegSetting(n, tab);
        store.tabs.append(tab);
    }
}

void loadIcons(SettingStore &store)
{
    for (int n = 1;; ++n) {
        IconInfo icon;
        if (!GetLumbraIconInfoRegSetting(n, icon))
            return;
        store.icons.append(icon);
    }
}

void loadThemes(SettingStore &store)
{
    for (int t = 1;; ++t) {
        ThemeInfo theme;
        if (!GetLumbraThemeInfoRegSetting(t, theme))
            return;
        for (int m = 1;; ++m) {
            ThemeImage image;
            if (!GetLumbraThemeImageRegSetting(t, m, image))
                break;
            theme.images.append(image);
        }
        store.themes.append(theme);
    }
}

} // namespace

int GetLumbraSystemRegSetting(MySystem &record)
{
    return readRecord(systemKeyPath, record, mySystemFields, "GetLumbraSystemRegSetting open failed");
}

int SetLumbraSystemRegSetting(const MySystem &record)
{
    return writeRecord(systemKeyPath, record, mySystemFields, "SetLumbraSystemRegSetting open failed");
}

int GetLumbraTabsInfoRegSetting(TabsInfo &record)
{
    return readRecord(tabKeyPath, record, tabsInfoFields, "GetLumbraTabsInfoRegSetting open failed");
}

int SetLumbraTabsInfoRegSetting(const TabsInfo &record)
{
    return writeRecord(tabKeyPath, record, tabsInfoFields, "SetLumbraTabsInfoRegSetting open failed");
}

int GetLumbraTabInfoRegSetting(int tab, TabInfo &record)
{
    return readRecord(tabSubKeyPath(tab), record, tabInfoFields, "GetLumbraTabInfoRegSetting open failed");
}

int SetLumbraTabInfoRegSetting(int tab, const TabInfo &record)
{
    return writeRecord(tabSubKeyPath(tab), record, tabInfoFields, "SetLumbraTabInfoRegSetting open failed");
}

// The icon layout shares its messages with the system record.
int GetLumbraIconLayoutRegSetting(IconLayout &record)
{
    return readRecord(iconKeyPath, record, iconLayoutFields, "GetLumbraSystemRegSetting open failed");
}

int SetLumbraIconLayoutRegSetting(const IconLayout &record)
{
    return writeRecord(iconKeyPath, record, iconLayoutFields, "SetLumbraSystemRegSetting open failed");
}

int GetLumbraIconInfoRegSetting(int icon, IconInfo &record)
{
    return readRecord(iconSubKeyPath(icon), record, iconInfoFields, "GetLumbraIconInfoRegSetting open failed");
}

int SetLumbraIconInfoRegSetting(int icon, const IconInfo &record)
{
    return writeRecord(iconSubKeyPath(icon), record, iconInfoFields, "SetLumbraIconInfoRegSetting open failed");
}

int GetLumbraThemeInfoRegSetting(int theme, ThemeInfo &record)
{
    return readRecord(themeSubKeyPath(theme), record, themeInfoFields, "GetLumbraThemeInfoRegSetting open failed");
}

int SetLumbraThemeInfoRegSetting(int theme, const ThemeInfo &record)
{
    return writeRecord(themeSubKeyPath(theme), record, themeInfoFields, "SetLumbraThemeInfoRegSetting open failed");
}

int GetLumbraThemeImageRegSetting(int theme, int image, ThemeImage &record)
{
    return readRecord(themeImageSubKeyPath(theme, image), record, themeImageFields, "ThemeImagesReg open failed ");
}

int SetLumbraThemeImageRegSetting(int theme, int image, const ThemeImage &record)
{
    return writeRecord(themeImageSubKeyPath(theme, image), record, themeImageFields, "ImagesReg open failed");
}

bool readSettingsTree(SettingStore &store)
{
    const bool found = GetLumbraSystemRegSetting(store.mySystem) == 1;
    clampTabCount(store.mySystem);
    GetLumbraTabsInfoRegSetting(store.tabsInfo);
    loadTabs(store);
    GetLumbraIconLayoutRegSetting(store.iconLayout);
    loadIcons(store);
    loadThemes(store);
    return found;
}

int loadAllSettings(SettingStore &store)
{
    store = SettingStore();
    store.origin.state = StoreOrigin::State::Unreadable;
    // One snapshot: a save or an import in another process shows whole or not at all, and
    // is not held up while this reads.
    platform::Registry &registry = platform::registry();
    platform::RegistryScope scope(registry, platform::RegistryScope::Access::Read);
    if (!scope.began())
        return 0;
    std::uint64_t generation = 0;
    registry.generation(&generation);
    const bool found = readSettingsTree(store);
    if (scope.commit() == platform::kErrorSuccess) {
        store.origin = {found ? StoreOrigin::State::Loaded : StoreOrigin::State::NoTree, generation};
        return 1;
    }
    // What a failing store let through would be a mix of values and gaps: nothing is better.
    store = SettingStore();
    store.origin.state = StoreOrigin::State::Unreadable;
    return 0;
}

int saveAllSettings(const SettingStore &store)
{
    platform::RegistryScope scope(platform::registry());
    LockPinStore::keepInNewTree();
    SetLumbraSystemRegSetting(store.mySystem);
    SetLumbraTabsInfoRegSetting(store.tabsInfo);
    // Only entries that exist are written: a count larger than a list writes what is there. A
    // count of no tab was loaded as the tabs there were; they are written back, not dropped.
    const int count = store.mySystem.NUMBER_OF_TABS;
    const int tabCount = count > 0 ? qMin<qsizetype>(count, store.tabs.size()) : int(store.tabs.size());
    for (int n = 1; n <= tabCount; ++n)
        SetLumbraTabInfoRegSetting(n, store.tabs.at(n - 1));
    SetLumbraIconLayoutRegSetting(store.iconLayout);
    for (int n = 1; n <= store.icons.size(); ++n)
        SetLumbraIconInfoRegSetting(n, store.icons.at(n - 1));
    for (int t = 1; t <= store.themes.size(); ++t) {
        const ThemeInfo &theme = store.themes.at(t - 1);
        SetLumbraThemeInfoRegSetting(t, theme);
        const int imageCount = qMin<qsizetype>(count > 0 ? count : tabCount, theme.images.size());
        for (int m = 1; m <= imageCount; ++m)
            SetLumbraThemeImageRegSetting(t, m, theme.images.at(m - 1));
    }
    return scope.commit() == platform::kErrorSuccess ? 1 : 0;
}

bool storeIsSound(platform::Registry &registry, const QString &refused)
{
    std::string problem;
    if (registry.checkStore(&problem) == platform::kErrorSuccess)
        return true;
    if (!problem.empty())
        printDiagnostic(QStringLiteral("lumbra: the settings store is damaged (%1); nothing was %2. Put back a copy "
                                       "of it, or remove it and install the settings again")
                            .arg(QString::fromStdString(problem), refused));
    return false;
}
