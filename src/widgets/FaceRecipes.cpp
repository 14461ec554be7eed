#include "FaceRecipes.h"

#include "PictureFiles.h"
#include "settings/SettingStore.h"

#include <QCache>
#include <QColor>
#include <QCursor>
#include <QDateTime>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QRectF>
#include <QTextBoundaryFinder>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Enough for the masks, buttons and the pictures of a few icons. Each icon keeps its own
// normal face, so hovering never decodes; a cache that held every page's pictures cost
// the start-up 3 MiB of a small machine's memory for nothing more.
constexpr qsizetype kPictureCacheKiB = 256;
// Names up to this length are shortened by trying every prefix, longest first; longer ones,
// which no real tab has, by halving, so that a runaway name cannot stall the launcher.
constexpr qsizetype kElideByScanLimit = 256;
// The largest canvas, in MiB, when Qt's own decoding limit is switched off.
constexpr int kFallbackCanvasMiB = 256;
const QString kEllipsis = QStringLiteral("...");
// The largest rendering of a picture that is looked for (NAME@4x.png).
constexpr int kLargestRendering = 4;

struct CachedPicture
{
    QImage image;
    QDateTime modified;
    qint64 size = 0;
};

QCache<QString, CachedPicture> &pictureCache()
{
    static QCache<QString, CachedPicture> cache(kPictureCacheKiB);
    return cache;
}

// Painters cannot draw on paletted, monochrome or grey pictures; the launcher stamps names
// on them, so every picture is kept in the canvas format.
QImage paintable(const QImage &image)
{
    if (image.isNull() || image.format() == QImage::Format_ARGB32_Premultiplied)
        return image;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage onCanvasIfNull(const QImage &picture, int width, int height)
{
    return picture.isNull() ? makeCanvas(width, height) : picture;
}

// Where the name may be cut: between the characters a reader sees, never inside a surrogate
// pair or between a letter and its marks ("e" and an acute, a Thai or Devanagari vowel sign).
QList<qsizetype> cutPoints(const QString &name)
{
    QList<qsizetype> points;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, name);
    for (qsizetype at = finder.toNextBoundary(); at > 0 && at < name.size(); at = finder.toNextBoundary())
        points.append(at);
    return points;
}

bool fitsWithEllipsis(const QFontMetrics &metrics, const QString &text, qsizetype length, int available)
{
    return metrics.horizontalAdvance(text.left(length) + kEllipsis) <= available;
}

QString elideByScan(const QString &name, const QFontMetrics &metrics, int available)
{
    const QList<qsizetype> points = cutPoints(name);
    for (auto point = points.crbegin(); point != points.crend(); ++point) {
        if (fitsWithEllipsis(metrics, name, *point, available))
            return name.left(*point) + kEllipsis;
    }
    return kEllipsis;
}

QString elideByHalving(const QString &name, const QFontMetrics &metrics, int available)
{
    const QList<qsizetype> points = cutPoints(name);
    qsizetype fits = 0;
    qsizetype tooLong = points.size();
    // Prefixes up to points[fits - 1] fit (none when fits is 0); from points[tooLong] on, none.
    while (tooLong > fits) {
        const qsizetype middle = fits + (tooLong - fits) / 2;
        if (fitsWithEllipsis(metrics, name, points.at(middle), available))
            fits = middle + 1;
        else
            tooLong = middle;
    }
    return name.left(fits > 0 ? points.at(fits - 1) : 0) + kEllipsis;
}

// Absurd sizes from broken settings get no canvas rather than gigabytes: nothing larger
// than Qt would decode from a file.
bool canvasAllowed(int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    const int limit = QImageReader::allocationLimit() > 0 ? QImageReader::allocationLimit() : kFallbackCanvasMiB;
    const qint64 rowBytes = qint64(width) * 4;
    return height <= qint64(limit) * 1024 * 1024 / rowBytes;
}

int saturated(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Beside a picture NAME.png, its renderings at 2, 3 and 4 times its size are NAME@2x.png ...
QString renderingAt(const QString &file, int factor)
{
    const qsizetype slash = file.lastIndexOf(u'/');
    qsizetype dot = file.lastIndexOf(u'.');
    if (dot <= slash + 1)
        dot = file.size();
    return file.left(dot) + QStringLiteral("@%1x").arg(factor) + file.mid(dot);
}

} // namespace

QImage makeCanvas(int width, int height)
{
    if (!canvasAllowed(width, height))
        return {};
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    if (!canvas.isNull())
        canvas.fill(Qt::transparent);
    return canvas;
}

qreal deviceScale()
{
    return qGuiApp ? std::max<qreal>(1, qGuiApp->devicePixelRatio()) : 1;
}

QImage makeFaceCanvas(int width, int height)
{
    const qreal ratio = deviceScale();
    if (ratio == 1)
        return makeCanvas(width, height);
    QImage canvas = makeCanvas(saturated(std::ceil(width * ratio)), saturated(std::ceil(height * ratio)));
    canvas.setDevicePixelRatio(ratio);
    return canvas;
}

bool isPictureFile(const QString &file)
{
    return !file.isEmpty() && QFileInfo(file).isFile();
}

QImage loadPicture(const QString &file)
{
    if (file.isEmpty())
        return {};
    const QFileInfo info(PictureFiles::located(file));
    if (!info.isFile())
        return {};
    const QString key = info.absoluteFilePath();
    const QDateTime modified = info.lastModified();
    const qint64 size = info.size();
    if (const CachedPicture *hit = pictureCache().object(key); hit && hit->modified == modified && hit->size == size)
        return hit->image;

    QImage image;
    image.load(info.filePath());
    image = paintable(image);
    // A picture that cannot be read is remembered too, so that hovering does not decode it
    // again and again.
    const qsizetype kib = qMax<qsizetype>(1, image.sizeInBytes() / 1024);
    pictureCache().insert(key, new CachedPicture{image, modified, size}, kib);
    return image;
}

QImage loadPicture(const QString &file, const QSize &wanted)
{
    QImage best = loadPicture(file);
    if (best.isNull() || (best.width() >= wanted.width() && best.height() >= wanted.height()))
        return best;
    for (int factor = 2; factor <= kLargestRendering; ++factor) {
        const QImage larger = loadPicture(renderingAt(file, factor));
        if (larger.isNull())
            continue;
        best = larger;
        if (best.width() >= wanted.width() && best.height() >= wanted.height())
            break;
    }
    return best;
}

QImage loadPictureOrDefault(const QString &file)
{
    return loadPictureOrDefault(file, QSize());
}

QImage loadPictureOrDefault(const QString &file, const QSize &wanted)
{
    const QImage picture = loadPicture(file, wanted);
    if (!picture.isNull())
        return picture;
    return loadPicture(theSettings.getString(TextSetting::DEFAULT_ICON_PNG_NAME), wanted);
}

QImage facePicture(const QString &file, int width, int height, Qt::AspectRatioMode mode, bool fallback)
{
    const qreal ratio = deviceScale();
    const QSize device(saturated(std::ceil(width * ratio)), saturated(std::ceil(height * ratio)));
    const QImage picture = fallback ? loadPictureOrDefault(file, device) : loadPicture(file, device);
    if (picture.isNull())
        return makeFaceCanvas(width, height);
    QImage face = scaledPicture(picture, device.width(), device.height(), mode);
    face.setDevicePixelRatio(ratio);
    return face;
}

QImage loadPictureOnCanvas(const QString &file, int width, int height)
{
    return onCanvasIfNull(loadPicture(file), width, height);
}

QImage loadPictureOrDefaultOnCanvas(const QString &file, int width, int height)
{
    return onCanvasIfNull(loadPictureOrDefault(file), width, height);
}

void clearPictureCache()
{
    pictureCache().clear();
}

void composeImages(QImage &target, const QImage &lower, const QImage &upper)
{
    if (target.isNull())
        return;
    // In layout pixels: the painter of a HiDPI canvas counts in them.
    const QRectF whole(QPointF(0, 0), target.deviceIndependentSize());
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(whole, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const QImage *image : {&lower, &upper}) {
        if (!image->isNull())
            painter.drawImage(whole, *image, QRectF(image->rect()));
    }
}

QImage placePicture(const QString &file, int width, int height, int fit, double scale)
{
    if (fit >= 1)
        return facePicture(file, width, height, Qt::KeepAspectRatio, true);
    QImage canvas = makeFaceCanvas(width, height);
    QImage picture = loadPictureOrDefault(file);
    if (canvas.isNull() || picture.isNull())
        return canvas;
    // The natural size is the plain rendering's, in layout pixels at the launcher's scale.
    const QSize shown = scale == 1 ? picture.size()
                                   : QSize(saturated(std::llround(picture.width() * scale)),
                                           saturated(std::llround(picture.height() * scale)));
    const qreal devicePixels = scale * deviceScale();
    if (devicePixels > 1)
        picture = loadPictureOrDefault(file, shown * deviceScale());
    const int left = width / 2 - shown.width() / 2;
    const int top = height / 2 - shown.height() / 2;
    QPainter painter(&canvas);
    if (devicePixels != 1)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(left, top, shown.width(), shown.height()), picture, picture.rect());
    return canvas;
}

QImage placePictureAbove(const QString &file, int width, int height, int nameTop)
{
    QImage canvas = makeCanvas(width, height);
    // Our pictures leave a twentieth of the height free above their tile and below it.
    const int margin = height / 20;
    const int side = std::min(width, nameTop) - 2 * margin;
    const QImage picture = scaledPicture(loadPictureOrDefault(file), side, side, Qt::KeepAspectRatio);
    if (canvas.isNull() || picture.isNull())
        return canvas;
    QPainter painter(&canvas);
    painter.drawImage(QPoint((width - picture.width()) / 2, margin + (side - picture.height()) / 2), picture);
    return canvas;
}

QImage dimmedPicture(const QImage &picture)
{
    if (picture.isNull())
        return picture;
    QImage dimmed = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < dimmed.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(dimmed.scanLine(y));
        for (int x = 0; x < dimmed.width(); ++x) {
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            if (alpha == 0)
                continue;
            // Grey of the unpremultiplied colour, pulled towards the middle, at half the cover.
            const int grey = qGray(qRed(pixel), qGreen(pixel), qBlue(pixel)) * 255 / alpha;
            const int light = 96 + std::min(grey, 255) / 2;
            const int cover = alpha / 2;
            const int value = light * cover / 255;
            line[x] = qRgba(value, value, value, cover);
        }
    }
    return dimmed;
}

QImage scaledPicture(const QImage &picture, int width, int height, Qt::AspectRatioMode mode)
{
    if (picture.isNull() || !canvasAllowed(width, height))
        return {};
    if (picture.size() == QSize(width, height))
        return picture;
    return picture.scaled(width, height, mode, Qt::SmoothTransformation);
}

QRectF nameBox(int nameX, int nameY, int width, int height)
{
    return QRectF(nameX, nameY, qreal(width) - nameX, qreal(height) - nameY);
}

void stampText(QImage &image, const QString &text, const QFont &font, const QColor &colour, const QRectF &box,
               int flags)
{
    if (image.isNull() || text.isEmpty())
        return;
    QPainter painter(&image);
    painter.setPen(colour);
    painter.setFont(font);
    painter.drawText(box, flags, text);
}

namespace {

// The smallest a name may be drawn at to fit, in 2.5% steps of its size.
constexpr int kFitSteps = 12;
constexpr qreal kFitStep = 0.025;

QFont scaledFont(const QFont &font, qreal factor)
{
    QFont scaled(font);
    if (font.pixelSize() > 0)
        scaled.setPixelSize(std::max(1, qRound(font.pixelSize() * factor)));
    else if (font.pointSizeF() > 0)
        scaled.setPointSizeF(font.pointSizeF() * factor);
    return scaled;
}

bool fitsTwoLines(const QString &text, const QFont &font, const QRectF &box, int flags)
{
    const QFontMetricsF metrics(font);
    const QRectF needed = metrics.boundingRect(QRectF(0, 0, box.width(), 1e6), flags, text);
    const qreal slack = 0.5;
    return needed.width() <= box.width() + slack && needed.height() <= box.height() + slack
        && needed.height() <= 2 * metrics.lineSpacing() + slack;
}

} // namespace

QFont fittedNameFont(const QString &text, const QFont &font, const QRectF &box, int flags)
{
    if (text.isEmpty() || box.width() <= 0 || box.height() <= 0 || fitsTwoLines(text, font, box, flags))
        return font;
    for (int step = 1; step < kFitSteps; ++step) {
        const QFont smaller = scaledFont(font, 1 - step * kFitStep);
        if (fitsTwoLines(text, smaller, box, flags))
            return smaller;
    }
    return scaledFont(font, 1 - kFitSteps * kFitStep);
}

QString elideName(const QString &name, const QFont &font, const QRect &tabRect, const QRect &pictureRect)
{
    const int available = saturated(qint64(tabRect.width()) - pictureRect.width());
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(name) <= available)
        return name;
    if (name.size() <= kElideByScanLimit)
        return elideByScan(name, metrics, available);
    return elideByHalving(name, metrics, available);
}

TabFaceLayout layoutTabFace(const QRect &tabRect, const QRect &pictureRect, int textWidth, int textHeight)
{
    TabFaceLayout layout;
    // In 64 bits: broken settings may give sizes near the ends of the int range.
    const qint64 pictureX = (qint64(tabRect.width()) - pictureRect.width() - textWidth) / 2;
    layout.pictureX = saturated(pictureX);
    layout.pictureY = saturated((qint64(tabRect.height()) - pictureRect.height()) / 2);
    layout.textX = saturated(pictureX + pictureRect.width());
    layout.textY = saturated((qint64(tabRect.height()) - textHeight) / 2);
    return layout;
}

QImage paintTabFace(const QSize &size, const QColor &background, const QImage &picture, const QRect &pictureBox,
                    const QString &name, const QFont &font, const QColor &pen, const QRect &textBox)
{
    QImage face = makeFaceCanvas(size.width(), size.height());
    if (face.isNull())
        return face;
    face.fill(background);
    QPainter painter(&face);
    painter.setFont(font);
    painter.setPen(pen);
    if (!picture.isNull())
        painter.drawImage(pictureBox, picture, picture.rect());
    painter.drawText(textBox, Qt::AlignLeft, name);
    return face;
}

QPoint gridCell(int position)
{
    // Settings hold whatever a hand-edited file gave them. Positions beyond this lie far off
    // any screen, and sums of them cannot overflow an int.
    constexpr int kFarthestOffset = 1 << 20;
    const QPoint cell = theSettings.getIconPosition(position);
    return QPoint(std::clamp(cell.x(), -kFarthestOffset, kFarthestOffset),
                  std::clamp(cell.y(), -kFarthestOffset, kFarthestOffset));
}

QRect grownGeometry(const QRect &current, int width, int height, int pixel, int steps)
{
    const qint64 growth = qint64(pixel) * steps;
    const qint64 grownWidth = width + growth;
    const qint64 grownHeight = height + growth;
    // The label's face is stretched to its size when shown; a size no canvas may have stops
    // the growth where it is.
    if (grownWidth > 0 && grownHeight > 0 && !canvasAllowed(saturated(grownWidth), saturated(grownHeight)))
        return current;
    return QRect(saturated(qint64(current.x()) - pixel / 2), saturated(qint64(current.y()) - pixel / 2),
                 saturated(grownWidth), saturated(grownHeight));
}

void useLauncherToolTipFont()
{
    static bool done = false;
    if (done)
        return;
    QToolTip::setFont(theSettings.getFont(FontSetting::TOOLTIP_FONT));
    done = true;
}

void replaceOverrideCursor(Qt::CursorShape shape)
{
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(QCursor(shape));
    else
        QGuiApplication::setOverrideCursor(QCursor(shape));
}
