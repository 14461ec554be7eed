#pragma once

#include <QCache>
#include <QPixmap>
#include <QSize>
#include <QString>

// The pictures of the pages, decoded and scaled to the page once for each theme and size.
// A label shows only the page on the screen; a few more pictures are kept here, within a
// bound, so that going from tab to tab does not decode a screen-sized picture at every visit.
// A picture changed on disk is read again.
class PagePictures
{
public:
    PagePictures();

    // The picture in `file` for theme `theme`, scaled to `size` (as it is for an empty size); a
    // null pixmap when the file is no picture.
    QPixmap picture(const QString &file, int theme, const QSize &size);
    // What the kept pictures hold, in KiB.
    qsizetype keptKiB() const { return cache.totalCost(); }

    // The bound: this much, or two pages of the size asked for when that is more, so that
    // the way back to the tab before is always kept.
    static constexpr qsizetype kKeptKiB = 12 * 1024;

private:
    QCache<QString, QPixmap> cache;
};
