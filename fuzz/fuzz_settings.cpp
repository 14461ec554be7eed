// Loading the settings from an arbitrary store. The input becomes registry contents (keys of
// the language's tree and others, value names of the records and others, any type, any
// bytes) and a screen size; then every accessor is asked for every id around its table and
// every index around its list. Nothing may read outside a list, and what was loaded must
// save and load again to the same values.

#include "FuzzPlatform.h"

#include "settings/RecordFields_p.h"
#include "settings/RegistryAccess.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QStringList>

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>

namespace {

// Enough to reach every branch of a long list without making each input slow.
constexpr int kMaxPositions = 48;
constexpr int kMaxRepeat = 20000;

[[noreturn]] void fail(const char *what, const QString &detail = QString())
{
    FuzzPlatform::fail("fuzz_settings", what, detail);
}

template <class Record, std::size_t N>
QString fieldName(FuzzedDataProvider &in, const RecordField<Record> (&fields)[N])
{
    return QLatin1String(fields[in.ConsumeIntegralInRange<std::size_t>(0, N - 1)].name);
}

QString numbered(FuzzedDataProvider &in)
{
    return QString::asprintf("%.2d", in.ConsumeIntegralInRange(0, 12));
}

// A key of the tree and one of its value names, or something else.
void pickPlace(FuzzedDataProvider &in, QString *path, QString *name)
{
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
        *path = systemKeyPath;
        *name = fieldName(in, mySystemFields);
        break;
    case 1:
        *path = tabKeyPath;
        *name = fieldName(in, tabsInfoFields);
        break;
    case 2:
        *path = iconKeyPath;
        *name = fieldName(in, iconLayoutFields);
        break;
    case 3:
        *path = tabKeyPath + u'\\' + numbered(in);
        *name = fieldName(in, tabInfoFields);
        break;
    case 4:
        *path = iconKeyPath + u'\\' + numbered(in);
        *name = fieldName(in, iconInfoFields);
        break;
    case 5:
        *path = themeKeyPath + u'\\' + numbered(in);
        *name = fieldName(in, themeInfoFields);
        break;
    case 6:
        *path = themeKeyPath + u'\\' + numbered(in) + QStringLiteral("\\THEME_ALL_IMAGE\\") + numbered(in);
        *name = fieldName(in, themeImageFields);
        break;
    default:
        *path = registryBasePath + QString::fromUtf8(in.ConsumeRandomLengthString(40));
        *name = QString::fromUtf8(in.ConsumeRandomLengthString(40));
        break;
    }
    if (in.ConsumeIntegralInRange(0, 15) == 0)
        *name = QString::fromUtf8(in.ConsumeRandomLengthString(40));
}

std::vector<std::uint8_t> utf16(const QString &text, int paddedUnits = 0)
{
    std::vector<std::uint8_t> bytes;
    for (QChar c : text) {
        bytes.push_back(std::uint8_t(c.unicode() & 0xFF));
        bytes.push_back(std::uint8_t(c.unicode() >> 8));
    }
    for (qsizetype i = text.size(); i < paddedUnits; ++i)
        bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

QString iconList(FuzzedDataProvider &in)
{
    QStringList parts;
    const int count = in.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < count; ++i) {
        const int number = in.ConsumeIntegralInRange(-2, 14);
        parts << (number == -2 ? QString() : QString::number(number));
    }
    return parts.join(u'.');
}

std::vector<std::uint8_t> valueData(FuzzedDataProvider &in)
{
    switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0:
        return utf16(QString::number(in.ConsumeIntegralInRange(-3, 20)), in.ConsumeBool() ? 8 : 0);
    case 1:
        return utf16(QString::number(in.ConsumeIntegral<int>()), 8);
    case 2:
        return utf16(iconList(in));
    case 3:
        return utf16(QString::fromUtf8(in.ConsumeRandomLengthString(64)));
    case 4: {
        const QString unit = QString::fromUtf8(in.ConsumeRandomLengthString(8));
        return utf16(unit.repeated(in.ConsumeIntegralInRange(0, kMaxRepeat) / qMax<qsizetype>(1, unit.size())));
    }
    default: {
        const std::string raw = in.ConsumeRandomLengthString(64);
        return std::vector<std::uint8_t>(raw.begin(), raw.end());
    }
    }
}

void fillStore(FuzzedDataProvider &in, platform::Registry &registry)
{
    while (in.remaining_bytes() > 0) {
        QString path;
        QString name;
        pickPlace(in, &path, &name);
        const std::uint32_t type = in.ConsumeBool() ? platform::kRegSz : in.ConsumeIntegral<std::uint32_t>();
        const std::vector<std::uint8_t> data = valueData(in);
        platform::RegKey key = platform::kNoKey;
        if (registry.createKey(platform::kLocalMachine, path.toStdU16String(), &key) != platform::kErrorSuccess)
            continue;
        if (!in.ConsumeBool() || in.remaining_bytes() > 0)
            registry.setValue(key, name.toStdU16String(), type, data.data(), std::uint32_t(data.size()));
        registry.closeKey(key);
    }
}

// Indexes just around a list of `count` entries, the last ones included.
QList<int> indexesAround(qsizetype count)
{
    QList<int> indexes = {INT_MIN, -1};
    for (int i = 0; i <= count && i < kMaxPositions; ++i)
        indexes << i;
    if (count >= kMaxPositions)
        indexes << int(count - 1) << int(count);
    indexes << INT_MAX;
    return indexes;
}

void askGlobalAccessors(const SettingStore &store)
{
    // Every id of each accessor and a few on either side, which name nothing.
    for (int id = IntSetting::IS_FIRST_RUN - 1; id <= IntSetting::ICON_DISABLE_CLICK_TIMER + 2; ++id)
        store.getInt(id);
    for (int id = TextSetting::VERSION - 2; id <= TextSetting::DIALOG_CHANGED_MEANWHILE + 2; ++id)
        store.getString(id);
    for (int id = FontSetting::ICON_AP_NAME_FONT - 2; id <= FontSetting::TOOLTIP_FONT + 2; ++id)
        store.getFont(id);
    // A CURRENT_THEME that names no theme gives the first one: colours exist wherever a theme does.
    const bool hasTheme = !store.themes.isEmpty();
    using namespace ColourSetting;
    for (int id = THEME_SYSTEM_PEN_COLOR - 2; id <= THEME_TAB_ITEM_PEN_REVERSE_COLOR + 2; ++id) {
        const QColor colour = store.getColor(id);
        if (colour.isValid() != (hasTheme && id >= THEME_SYSTEM_PEN_COLOR && id <= THEME_TAB_ITEM_PEN_REVERSE_COLOR))
            fail("getColor is valid where it should not be, or the other way round", QString::number(id));
    }
    for (int id = ThemeIntSetting::THEME_COUNT - 2; id <= ThemeIntSetting::SPEAKER_Y + 2; ++id)
        store.getThemeInt(id);
    // A count of no tab over a tree that has tabs keeps its stored value, and the tabs are shown.
    const int counted = store.mySystem.NUMBER_OF_TABS;
    if (store.getInt(IntSetting::TAB_COUNT) != store.tabs.size() || (counted > 0 && store.tabs.size() != counted))
        fail("the number of tabs is not NUMBER_OF_TABS");
}

void askThemeAccessors(const SettingStore &store)
{
    for (int t : indexesAround(store.themes.size())) {
        store.getThemeName(ThemeSetting::THEME_NAME, t);
        store.getThemeName(ThemeSetting::IMAGE_FILE_PATH, t); // another accessor's id
        const int images = store.getThemeImageCount(ThemeSetting::IMAGE_COUNT, t);
        for (int m : indexesAround(qMax(0, images)))
            store.getThemeImagePath(ThemeSetting::IMAGE_FILE_PATH, t, m);
    }
}

void askTabAccessors(const SettingStore &store)
{
    for (int i : indexesAround(qMax(store.tabs.size(), store.icons.size()))) {
        for (int id = TabTextSetting::TAB_ITEM_NAME - 1; id <= TabTextSetting::TAB_ITEM_ICON_PNG_FILE_NAME + 1; ++id)
            store.getTabString(id, i);
        for (int id = TabIntSetting::ICON_POSITION_COUNT - 1; id <= TabIntSetting::TAB_ITEM_ID + 1; ++id)
            store.getTabInt(id, i);
    }
    int total = 0;
    for (int t : indexesAround(store.tabs.size())) {
        const int positions = store.getTabInt(TabIntSetting::ICON_POSITION_COUNT, t);
        const QList<int> numbers = t >= 0 && t < store.tabs.size() ? iconNumbersOf(store.tabs.at(t).TAB_ITEM_ALL_ICONS)
                                                                   : QList<int>();
        if (positions != (t >= 0 && t < store.tabs.size() ? int(numbers.size()) : -1))
            fail("getTabInt(ICON_POSITION_COUNT) is not the number of positions");
        if (t >= 0 && t < store.tabs.size())
            total += positions;
        for (int p : indexesAround(qMax(0, positions))) {
            const int index = store.getTabIconInt(TabIconIntSetting::ICON_INDEX, t, p);
            const int number = p >= 0 && p < numbers.size() ? numbers.at(p) : 0;
            const int expected = number >= 1 && number <= store.icons.size() ? number - 1 : -1;
            if (index != expected)
                fail("getTabIconInt(ICON_INDEX) points elsewhere", QStringLiteral("%1 %2").arg(index).arg(expected));
            for (int id = TabIconIntSetting::ICON_INDEX - 1; id <= TabIconIntSetting::ICON_DATA_TYPE + 1; ++id)
                store.getTabIconInt(id, t, p);
            for (int id = TabIconTextSetting::ICON_AP_NAME - 1; id <= TabIconTextSetting::ICON_AP_TOOLTIP_NAME + 1;
                 ++id)
                store.getTabIconString(id, t, p);
        }
    }
    if (store.tabs.size() < kMaxPositions && total != store.getInt(IntSetting::ICON_POSITION_COUNT))
        fail("getInt(ICON_POSITION_COUNT) is not the sum of the tabs' positions");
}

void askGrid(SettingStore &store)
{
    store.computeIconGrid();
    // The columns the launcher lays out: a stored count out of range falls back to the factory's.
    const qint64 perPage = 3 * qint64(store.getInt(IntSetting::NUMBER_OF_ICON_PER_ROW));
    for (int p : indexesAround(qMin<qint64>(perPage + 1, kMaxPositions))) {
        const QPoint point = store.getIconPosition(p);
        if (p >= 0 && p < INT_MAX - perPage && point != store.getIconPosition(int(p + perPage)))
            fail("the next page puts an icon elsewhere");
    }
}

template <class Record, std::size_t N>
void describe(QStringList &out, const Record &record, const RecordField<Record> (&fields)[N])
{
    for (const RecordField<Record> &field : fields) {
        if (field.written)
            out << QLatin1String(field.name) + u'='
                    + (field.number ? QString::number(record.*field.number) : record.*field.text);
    }
}

// What a save writes, in order: two stores with equal descriptions save the same.
QString description(const SettingStore &store)
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
        const qsizetype shown = store.mySystem.NUMBER_OF_TABS > 0 ? store.mySystem.NUMBER_OF_TABS : store.tabs.size();
        for (qsizetype m = 0; m < theme.images.size() && m < shown; ++m)
            describe(out, theme.images.at(m), themeImageFields);
    }
    return out.join(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzPlatform::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzPlatform &platform = FuzzPlatform::instance();
    FuzzedDataProvider in(data, size);
    // Any screen a system could report; the store's numbers are the hostile part.
    if (in.ConsumeBool())
        platform.setScreen(in.ConsumeIntegralInRange(0, 1 << 16), in.ConsumeIntegralInRange(0, 1 << 16),
                           in.ConsumeIntegralInRange(0, 200));
    else
        platform.setScreen(1024, 768, 0);
    fillStore(in, platform.freshRegistry());

    SettingStore store;
    if (loadAllSettings(store) != 1)
        fail("a store in memory did not load");
    askGlobalAccessors(store);
    askThemeAccessors(store);
    askTabAccessors(store);
    askGrid(store);

    platform.freshRegistry();
    if (saveAllSettings(store) != 1)
        fail("a store in memory did not save");
    SettingStore again;
    if (loadAllSettings(again) != 1)
        fail("what was saved does not load");
    const QStringList before = description(store).split(u'\n'), after = description(again).split(u'\n');
    if (after != before) {
        qsizetype line = 0;
        while (line < before.size() && line < after.size() && before.at(line) == after.at(line))
            ++line;
        fail("what was loaded does not save and load to the same values",
             QStringLiteral("line %1: %2 -> %3").arg(line).arg(before.value(line), after.value(line)));
    }
    return 0;
}
