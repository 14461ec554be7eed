#include "IconQLabel.h"

#include "FaceRecipes.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"

#include <QColor>
#include <QFont>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QRectF>

#include <algorithm>
#include <cstdio>

namespace {

// A timer started with a negative interval never fires; a broken setting must not leave a
// button blocked or grown for good.
int timerInterval(int settingId)
{
    return std::max(0, theSettings.getInt(settingId));
}

QImage stretchedPicture(const QString &file, int width, int height)
{
    return scaledPicture(loadPictureOrDefaultOnCanvas(file, width, height), width, height, Qt::IgnoreAspectRatio);
}

} // namespace

IconQLabel::IconQLabel(int x, int y, int height, int width, const QString &normalPicture,
                       const QString &pressedPicture)
    : buttonWidth(width), buttonHeight(height), noFeedback(true)
{
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
    connect(this, &IconQLabel::mouseclicked_signal, &clickTimer, qOverload<int>(&QTimer::start));
    connect(&clickTimer, &QTimer::timeout, this, &IconQLabel::disableTimer);
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

void IconQLabel::disableTimer()
{
    std::fputs("timer disable\n", stderr);
    std::fflush(stderr);
    clickTimer.stop();
    clickBlocked = false;
}

void IconQLabel::button_special_efficacy_disableTimer()
{
    if (growCount <= theSettings.getInt(IntSetting::ICON_EFFICACY_COUNTER)) {
        growOnce();
        return;
    }
    showFace(inside || selected ? highlightImage : normalImage);
    const QPoint cell = gridCell(position);
    setGeometry(cell.x(), cell.y(), buttonWidth, buttonHeight);
    growCount = 0;
    pressed = false;
    inside = false;
    growTimer.stop();
    animating = false;
}

void IconQLabel::mousePressEvent(QMouseEvent *event)
{
    if (clickBlocked)
        return;
    if (!inside && !hits(event->position().toPoint()))
        return;
    inside = true;
    pressed = true;
    if (!noFeedback)
        showFace(pressedImage);
}

void IconQLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (clickBlocked || !pressed || !inside)
        return;
    if (ActionKind::isTitleBarKind(kind) && hits(event->position().toPoint())) {
        // The dispatcher may run a dialog of its own; the button must still be there after it.
        const QPointer<IconQLabel> self(this);
        emit activated();
        if (!self)
            return;
        emit mouseclicked_signal(timerInterval(IntSetting::ICON_DISABLE_CLICK_TIMER));
        clickBlocked = true;
        return;
    }
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

bool IconQLabel::hits(const QPoint &point) const
{
    return point.x() >= 0 && point.x() <= buttonWidth && point.y() >= 0 && point.y() <= buttonHeight;
}

void IconQLabel::showFace(const QImage &face)
{
    setPixmap(QPixmap::fromImage(face));
}

void IconQLabel::growOnce()
{
    ++growCount;
    setGeometry(grownGeometry(geometry(), buttonWidth, buttonHeight,
                              theSettings.getInt(IntSetting::ICON_EFFICACY_PIXEL), growCount));
    showFace(highlightImage);
    animating = true;
    emit button_special_efficacy_signal(timerInterval(IntSetting::ICON_EFFICACY_INTERVAL));
}
