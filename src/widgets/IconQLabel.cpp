#include "IconQLabel.h"

#include "FaceRecipes.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"

#include <QColor>
#include <QFont>
#include <QMouseEvent>
#include <QPixmap>
#include <QRectF>

#include <algorithm>

namespace {

QImage stretchedPicture(const QString &file, int width, int height)
{
    return scaledPicture(loadPictureOrDefaultOnCanvas(file, width, height), width, height, Qt::IgnoreAspectRatio);
}

} // namespace

IconQLabel::IconQLabel(int x, int y, int height, int width, const QString &normalPicture, const QString &pressedPicture)
    : buttonWidth(width),
      buttonHeight(height)
{
    noFeedback = true;
    pressedImage = loadPictureOrDefaultOnCanvas(pressedPicture, width, height);
    normalImage = loadPictureOrDefaultOnCanvas(normalPicture, width, height);
    finishConstruction(x, y);
}

IconQLabel::IconQLabel(int x, int y, int height, int width, const QString &normalPicture,
                       const QString &pressedPicture, QFont font, const QString &text, int textX, int textY,
                       const QColor &textColour)
    : buttonWidth(width), buttonHeight(height)
{
    font.setWeight(QFont::Bold);
    const QRectF box = nameBox(textX, textY, width, height);
    normalImage = loadPictureOrDefaultOnCanvas(normalPicture, width, height);
    stampText(normalImage, text, font, textColour, box, kIconNameFlags);
    pressedImage = loadPictureOrDefaultOnCanvas(pressedPicture, width, height);
    stampText(pressedImage, text, font, textColour, box, kIconNameFlags);
    finishConstruction(x, y);
}

void IconQLabel::finishConstruction(int x, int y)
{
    highlightImage = normalImage;
    showFace(normalImage);
    setGeometry(x, y, buttonWidth, buttonHeight);
}

void IconQLabel::reloadImagesWithText(const QString &pressedPicture, const QString &normalPicture,
                                      const QColor &normalColour, const QColor &pressedColour, const QFont &font,
                                      int textX, int textY, const QString &text)
{
    const QRectF box = nameBox(textX, textY, buttonWidth, buttonHeight);
    pressedImage = stretchedPicture(pressedPicture, buttonWidth, buttonHeight);
    stampText(pressedImage, text, font, pressedColour, box, kIconNameFlags);
    normalImage = stretchedPicture(normalPicture, buttonWidth, buttonHeight);
    stampText(normalImage, text, font, normalColour, box, kIconNameFlags);
    showFace(normalImage);
    highlightImage = normalImage;
}

void IconQLabel::reloadImages(const QString &firstPicture, const QString &secondPicture)
{
    highlightImage = stretchedPicture(firstPicture, buttonWidth, buttonHeight);
    normalImage = stretchedPicture(secondPicture, buttonWidth, buttonHeight);
    showFace(normalImage);
    pressedImage = normalImage;
}

void IconQLabel::showNormalImage()
{
    showFace(normalImage);
}

void IconQLabel::showPressedImage()
{
    showFace(pressedImage);
}

void IconQLabel::placeAt(int x, int y, int height, int width)
{
    setGeometry(x, y, width, height);
}

void IconQLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (clickBlocked || !pressed || !inside)
        return;
    if (ActionKind::isTitleBarKind(kind) && hits(event->position().toPoint()))
        return activateAndBlock();
    showFace(highlightImage);
}

void IconQLabel::mouseMoveEvent(QMouseEvent *event)
{
    inside = hits(event->position().toPoint());
    if (animating || noFeedback || inside)
        return;
    inside = true;
    showFace(pressed ? pressedImage : highlightImage);
}

void IconQLabel::leaveEvent(QEvent *)
{
    inside = false;
    pressed = false;
    if (!animating && !noFeedback)
        showFace(normalImage);
}

void IconQLabel::showFace(const QImage &face)
{
    setPixmap(QPixmap::fromImage(face));
}
