#pragma once

struct IconInfo;
struct IconLayout;
struct MySystem;
struct TabInfo;
struct TabsInfo;
struct ThemeImage;
struct ThemeInfo;
class SettingStore;
class QString;

namespace platform {
class Registry;
}

// Record readers and writers. Each opens its key, reads or writes every value of the record
// and closes the key; it answers 1, or 0 with one line on stderr when the key could not be
// opened (readers) or created (writers). A reader that fails leaves its record untouched.
int GetLumbraSystemRegSetting(MySystem &record);
int SetLumbraSystemRegSetting(const MySystem &record);
int GetLumbraTabsInfoRegSetting(TabsInfo &record);
int SetLumbraTabsInfoRegSetting(const TabsInfo &record);
int GetLumbraTabInfoRegSetting(int tab, TabInfo &record);
int SetLumbraTabInfoRegSetting(int tab, const TabInfo &record);
int GetLumbraIconLayoutRegSetting(IconLayout &record);
int SetLumbraIconLayoutRegSetting(const IconLayout &record);
int GetLumbraIconInfoRegSetting(int icon, IconInfo &record);
int SetLumbraIconInfoRegSetting(int icon, const IconInfo &record);
int GetLumbraThemeInfoRegSetting(int theme, ThemeInfo &record);
int SetLumbraThemeInfoRegSetting(int theme, const ThemeInfo &record);
int GetLumbraThemeImageRegSetting(int theme, int image, ThemeImage &record);
int SetLumbraThemeImageRegSetting(int theme, int image, const ThemeImage &record);

// Fills the store from the registry as one consistent read and answers 1; the store's
// origin says whether the language's tree was there and which generation of the store was
// read. When the registry cannot give one consistent state, it says so on stderr, the store
// is left empty, its origin says Unreadable and the answer is 0.
int loadAllSettings(SettingStore &store);
// Reads the whole tree into an empty store inside the registry scope the caller holds,
// without touching its origin; answers whether the language's tree was there.
bool readSettingsTree(SettingStore &store);
// Writes the whole store back as one transaction: a crash leaves the old state or the new,
// never a mix. Answers 1, or 0 when the transaction could not be committed. It writes over
// whatever others changed since the store was loaded: a person's change goes through
// SettingsChange instead, which writes only that change.
int saveAllSettings(const SettingStore &store);

// The store's own check, before an import or an export: a damaged store is refused with one
// line on stderr ("... nothing was `refused`"), so that an export leaves out nothing in
// silence and an import writes nothing into it. A store that cannot be opened at all has
// said so already and is refused without a further line.
bool storeIsSound(platform::Registry &registry, const QString &refused);

// NUMBER_OF_TABS is kept within 0 ... kMaxTabs, so a broken store cannot make loading
// allocate or read without end.
constexpr int kMaxTabs = 1000;
