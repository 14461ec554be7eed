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

IconQLabel::IconQLabel(int x, int y, int height, int width, const QString &normalPicture, const QString &pressedPicture)
    : buttonWidth(width),
      buttonHeight(height)
{
    noFeedback = true;
    sources.normal = sources.highlight = normalPicture;
    sources.pressed = pressedPicture;
    makeFaces();
    showFace(normalImage);
    setGeometry(x, y, buttonWidth, buttonHeight);
}

IconQLabel::IconQLabel(int x, int y, int height, int width, const QString &normalPicture,
                       const QString &pressedPicture, QFont font, const QString &text, int textX, int textY,
                       const QColor &textColour)
    : buttonWidth(width), buttonHeight(height)
{
    font.setWeight(QFont::Bold);
    sources = {normalPicture, normalPicture, pressedPicture, text, font, textX, textY, textColour, textColour};
    makeFaces();
    showFace(normalImage);
    setGeometry(x, y, buttonWidth, buttonHeight);
}

// Each face is its picture stretched over the button, with the caption stamped on the normal
// (and highlighted) and the pressed face.
void IconQLabel::makeFaces()
{
    const auto face = [this](const QString &file, const QColor &colour) {
        QImage image = facePicture(file, buttonWidth, buttonHeight, Qt::IgnoreAspectRatio, true);
        stampText(image, sources.text, sources.font, colour,
                  nameBox(sources.textX, sources.textY, buttonWidth, buttonHeight), kIconNameFlags);
        return image;
    };
    normalImage = face(sources.normal, sources.normalColour);
    highlightImage = sources.highlight == sources.normal ? normalImage : face(sources.highlight, sources.normalColour);
    pressedImage = sources.pressed == sources.normal && sources.pressedColour == sources.normalColour
        ? normalImage
        : face(sources.pressed, sources.pressedColour);
}

void IconQLabel::reloadImagesWithText(const QString &pressedPicture, const QString &normalPicture,
                                      const QColor &normalColour, const QColor &pressedColour, const QFont &font,
                                      int textX, int textY, const QString &text)
{
    sources = {normalPicture, normalPicture, pressedPicture, text, font, textX, textY, normalColour, pressedColour};
    makeFaces();
    showFace(normalImage);
}

void IconQLabel::reloadImages(const QString &firstPicture, const QString &secondPicture)
{
    sources = FaceSources{secondPicture, firstPicture, secondPicture, {}, {}, 0, 0, {}, {}};
    makeFaces();
    showFace(normalImage);
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
    if (width != buttonWidth || height != buttonHeight) {
        buttonWidth = width;
        buttonHeight = height;
        remakeFaces();
    }
    setGeometry(x, y, width, height);
}

void IconQLabel::setCaptionFont(const QFont &font, int textY)
{
    if (sources.text.isEmpty() || (font == sources.font && textY == sources.textY))
        return;
    sources.font = font;
    sources.textY = textY;
    remakeFaces();
}

// The face shown stays the one shown: the speaker's, say, tells whether music plays.
void IconQLabel::remakeFaces()
{
    const QImage *before = shown;
    makeFaces();
    showFace(before == &pressedImage ? pressedImage : before == &highlightImage ? highlightImage : normalImage);
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
    shown = &face;
    setPixmap(QPixmap::fromImage(face));
}
