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
