#include "PagePictures.h"

#include "widgets/FaceRecipes.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>

#include <algorithm>

namespace {

qsizetype kibOf(const QSize &size)
{
    return std::max<qsizetype>(1, qsizetype(size.width()) * size.height() * 4 / 1024);
}

} // namespace

PagePictures::PagePictures()
    : cache(kKeptKiB)
{
}

QPixmap PagePictures::picture(const QString &file, int theme, const QSize &size)
{
    if (!isPictureFile(file))
        return QPixmap();
    const QFileInfo info(file);
    const QString key = QStringLiteral("%1\n%2\n%3\n%4\n%5x%6")
                            .arg(info.absoluteFilePath())
                            .arg(info.lastModified().toMSecsSinceEpoch())
                            .arg(info.size())
                            .arg(theme)
                            .arg(size.width())
                            .arg(size.height());
    if (const QPixmap *kept = cache.object(key))
        return *kept;
    QImage image(file);
    if (!image.isNull() && image.size() != size && !size.isEmpty())
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QPixmap picture = QPixmap::fromImage(std::move(image));
    cache.setMaxCost(std::max(kKeptKiB, 2 * kibOf(size)));
    // A file that is no picture is kept too, as nothing, so that it is not read again.
    cache.insert(key, new QPixmap(picture), picture.isNull() ? 1 : kibOf(picture.size()));
    return picture;
}
