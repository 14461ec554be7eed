#pragma once

#include "settings/RecordFields_p.h"
#include "settings/SettingStore.h"

#include <QStringList>

#include <cstddef>

// Every value a save writes, in the order it writes them: two stores with equal lists save alike.
QStringList writtenValues(const SettingStore &store);

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

// A store of so many tabs, icons, and themes of so many pages, every value filled(); stores
// of other seeds differ from it in every value but the tab count.
SettingStore sampleStore(int tabCount, int iconCount, int themeCount, int imageCount, int seed = 0);
