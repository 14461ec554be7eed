#include "RemovalOffer.h"

#include <QStringList>

#include <algorithm>

QString RemovalOffer::restoredList(const QString &now, int *restoredPart) const
{
    if (now == listAfter) {
        *restoredPart = part;
        return listBefore;
    }
    QStringList entries = now.isEmpty() ? QStringList() : now.split(u'.', Qt::KeepEmptyParts);
    *restoredPart = std::clamp(part, 0, int(entries.size()));
    entries.insert(*restoredPart, entry);
    return entries.join(u'.');
}
