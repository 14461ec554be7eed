#include "NewIcon.h"

#include <QStringList>

int NewIcon::fileKindOf(const QString &path)
{
    const QString last = path.split(u'.', Qt::KeepEmptyParts).last();
    if (last.contains(QLatin1String("exe")))
        return 1;
    if (last.contains(QLatin1String("msc")))
        return 0;
    if (last.contains(QLatin1String("dll")))
        return 2;
    if (last.contains(QLatin1String("lnk")))
        return 3;
    if (last.contains(QLatin1String("bat")))
        return 4;
    // A desktop entry is what a shortcut is on Windows.
    if (last == QLatin1String("desktop"))
        return 3;
    return -1;
}
