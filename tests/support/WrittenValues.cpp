#include "WrittenValues.h"

#include "settings/RecordFields_p.h"
#include "settings/SettingStore.h"

namespace {

template <class Record, std::size_t N>
void describe(QStringList &out, const Record &record, const RecordField<Record> (&fields)[N])
{
    for (const RecordField<Record> &field : fields) {
        if (field.written)
            out << (field.number ? QString::number(record.*field.number) : record.*field.text);
    }
}

} // namespace

QStringList writtenValues(const SettingStore &store)
{
    QStringList out;
    describe(out, store.mySystem, mySystemFields);
    describe(out, store.tabsInfo, tabsInfoFields);
    for (const TabInfo &tab : store.tabs)
        describe(out, tab, tabInfoFields);
    describe(out, store.iconLayout, iconLayoutFields);
    for (const IconInfo &icon : store.icons)
        describe(out, icon, iconInfoFields);
    for (const ThemeInfo &theme : store.themes) {
        describe(out, theme, themeInfoFields);
        for (const ThemeImage &image : theme.images)
            describe(out, image, themeImageFields);
    }
    return out;
}

SettingStore sampleStore(int tabCount, int iconCount, int themeCount, int imageCount, int seed)
{
    SettingStore store;
    store.mySystem = filled(mySystemFields, seed);
    store.mySystem.NUMBER_OF_TABS = tabCount;
    store.tabsInfo = filled(tabsInfoFields, seed + 100);
    for (int n = 0; n < tabCount; ++n)
        store.tabs.append(filled(tabInfoFields, seed + 200 + 10 * n));
    store.iconLayout = filled(iconLayoutFields, seed + 300);
    for (int n = 0; n < iconCount; ++n)
        store.icons.append(filled(iconInfoFields, seed + 400 + 10 * n));
    for (int t = 0; t < themeCount; ++t) {
        ThemeInfo theme = filled(themeInfoFields, seed + 1000 + 100 * t);
        for (int m = 0; m < imageCount; ++m)
            theme.images.append(filled(themeImageFields, seed + 5000 + 10 * m));
        store.themes.append(theme);
    }
    return store;
}
