#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <Qt>

class QColor;
class QFont;
class QRectF;

// The painting recipes every face of the launcher is made with: icons, title-bar buttons,
// tabs and the dialogs' picture widgets paint into off-screen images with these, so the same
// layout comes out whichever widget draws it.

// Where the picture and the name of a tab go inside the tab.
struct TabFaceLayout
{
    int pictureX = 0;
    int pictureY = 0;
    int textX = 0;
    int textY = 0;
};

// Centre, middle, word wrap: how an icon's name is stamped into its box.
constexpr int kIconNameFlags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap;

// A width x height image in the painting format, every pixel fully transparent; a null image
// for an empty size or one larger than Qt would decode from a file.
QImage makeCanvas(int width, int height);

// Device pixels per pixel of the launcher's layout: 2 on a screen Qt scales by 2.
qreal deviceScale();
// A width x height canvas in layout pixels with a pixel for every device pixel (its device
// pixel ratio set), fully transparent: a face painted on it in layout pixels stays sharp on a
// HiDPI screen. A null image where makeCanvas would give one.
QImage makeFaceCanvas(int width, int height);

// Whether `file` is a plain file (or a link to one). Only those are read as pictures: opening
// a named pipe or a device waits for a writer that may never come, and a folder is no picture.
bool isPictureFile(const QString &file);
// The picture in `file` (or in its copy in the person's data folder, PictureFiles), in a
// format a painter can draw on, or a null image when the file cannot be read. Decoded
// pictures are kept and reused while the file is unchanged on disk.
QImage loadPicture(const QString &file);
// The picture in `file` or, where it is smaller than `wanted` (device pixels), the rendering
// of it drawn larger beside it (NAME@2x.png, NAME@3x.png, NAME@4x.png): the smallest that is
// as large, else the largest there is. Scaling a small picture up blurs it.
QImage loadPicture(const QString &file, const QSize &wanted);
// As loadPicture, falling back to the current theme's default icon picture.
QImage loadPictureOrDefault(const QString &file);
QImage loadPictureOrDefault(const QString &file, const QSize &wanted);
// A face of width x height layout pixels made of the picture in `file` (the rendering best
// for that size, with the default picture as fallback where `fallback`), smoothly scaled
// with `mode` to the device pixels of that size; a transparent face where there is none.
QImage facePicture(const QString &file, int width, int height, Qt::AspectRatioMode mode, bool fallback);
// Like loadPicture, but a picture that cannot be read leaves a transparent canvas of the
// given size in its place.
QImage loadPictureOnCanvas(const QString &file, int width, int height);
QImage loadPictureOrDefaultOnCanvas(const QString &file, int width, int height);
// Forgets every decoded picture.
void clearPictureCache();

// `target` becomes `lower` with `upper` over it, each stretched over the whole target.
void composeImages(QImage &target, const QImage &lower, const QImage &upper);
// An application icon's picture sized for a width x height icon: scaled to fit, keeping its
// proportions, when `fit` >= 1; else at its natural size times `scale` (the launcher's scale
// on this screen), centred on a transparent canvas.
QImage placePicture(const QString &file, int width, int height, int fit, double scale = 1);
// A picture of any size (another program's own) in the square above the name at `nameTop`,
// where the tile of our own pictures stands, scaled to it keeping its proportions.
QImage placePictureAbove(const QString &file, int width, int height, int nameTop);
// The picture of something that is not there: grey, lighter and half see-through, so that it
// reads as "not available" on a light or a dark page alike.
QImage dimmedPicture(const QImage &picture);
// The picture smoothly scaled to width x height (within it, when keeping its proportions);
// a null image when no canvas of that size may be made.
QImage scaledPicture(const QImage &picture, int width, int height, Qt::AspectRatioMode mode);
// The box an icon's name is stamped in: from the name offset to the icon's bottom right.
QRectF nameBox(int nameX, int nameY, int width, int height);
void stampText(QImage &image, const QString &text, const QFont &font, const QColor &colour, const QRectF &box,
               int flags);
// The font an icon's name is stamped in when it should not be cut: `font` where the name fits
// the box in two lines at most, else the largest size down to 70% of it at which it does;
// 70% where none does.
QFont fittedNameFont(const QString &text, const QFont &font, const QRectF &box, int flags);
// The name, shortened to a prefix and "..." when it is wider than the tab less its picture.
QString elideName(const QString &name, const QFont &font, const QRect &tabRect, const QRect &pictureRect);
// The picture and the name as one group centred across the tab, each centred vertically.
TabFaceLayout layoutTabFace(const QRect &tabRect, const QRect &pictureRect, int textWidth, int textHeight);
// A tab's face: the background, the picture stretched into its place and the name beside it.
QImage paintTabFace(const QSize &size, const QColor &background, const QImage &picture, const QRect &pictureBox,
                    const QString &name, const QFont &font, const QColor &pen, const QRect &textBox);

// The grid cell where the label at a position of a page rests, kept well inside the int
// range whatever sizes the settings hold.
QPoint gridCell(int position);

// One step of an icon's growth: `current` moved up and left by half of `pixel` and sized
// `width` x `height` grown by `pixel` for each of `steps`. A size no canvas may have (see
// makeCanvas) leaves `current` as it is.
QRect grownGeometry(const QRect &current, int width, int height, int pixel, int steps);

// Gives the application's tool tips the launcher's large tool-tip font (once is enough).
void useLauncherToolTipFont();

// Shows `shape` as the application's override cursor, replacing the one on top instead of
// piling another onto Qt's stack.
void replaceOverrideCursor(Qt::CursorShape shape);
