#include "APIconQLabel.h"

#include "FaceRecipes.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPixmap>
#include <QRectF>

APIconQLabel::APIconQLabel(int x, int y, int height, int width, const QString &picture, const QString &mask,
                           const QFont &font, const QString &name, int nameX, int nameY,
                           const QColor &nameColour, int tooltipPosition, int tabNumber, int fit, FaceTime faceTime)
    : pictureFile(picture), maskFile(mask), iconWidth(width), iconHeight(height), nameFont(font), name(name),
      nameX(nameX), nameY(nameY), nameColour(nameColour), tabNumber(tabNumber), fitPicture(fit),
      faceDeferred(faceTime == FaceTime::WhenShown)
{
    useLauncherToolTipFont();
    ownToolTip = theSettings.getTabIconString(TabIconTextSetting::ICON_AP_TOOLTIP_NAME, tabNumber - 1, tooltipPosition);
    setToolTip(ownToolTip);
    setAccessibleName(name);
    nameFont.setWeight(QFont::Bold);
    paintNormal();
    setGeometry(x, y, width, height);
    connect(this, &APIconQLabel::button_special_efficacy_signal, &growTimer, qOverload<int>(&QTimer::start));
    connect(&growTimer, &QTimer::timeout, this, &APIconQLabel::button_special_efficacy_disableTimer);
}

// The normal face is kept while its picture file stays the same, so that moving the pointer
// over a page never decodes pictures again; the shared picture cache can then stay small.
void APIconQLabel::paintNormal()
{
    if (faceDeferred)
        return;
    const QFileInfo picture(pictureFile);
    const QDateTime modified = picture.lastModified();
    const qint64 size = picture.size();
    if (normalFace.isNull() || modified != normalFaceModified || size != normalFaceSize || missing != normalFaceDimmed) {
        const QRectF box = nameBox(nameX, nameY, iconWidth, iconHeight);
        normalFace = pictureAboveName
                         ? placePictureAbove(pictureFile, iconWidth, iconHeight, int(box.top()))
                         : placePicture(pictureFile, iconWidth, iconHeight, fitPicture, theSettings.gridScale);
        if (missing)
            normalFace = dimmedPicture(normalFace);
        // With LABEL_FIT a long name is drawn smaller rather than cut at its box.
        const QFont font = theSettings.mySystem.LABEL_FIT == 1 ? fittedNameFont(name, nameFont, box, kIconNameFlags)
                                                               : nameFont;
        stampText(normalFace, name, font, nameColour, box, kIconNameFlags);
        normalFaceModified = modified;
        normalFaceSize = size;
        normalFaceDimmed = missing;
    }
    showFace(normalFace);
}

void APIconQLabel::ensureFace()
{
    if (!faceDeferred)
        return;
    faceDeferred = false;
    paintNormal();
}

void APIconQLabel::showEvent(QShowEvent *event)
{
    ensureFace();
    PressableLabel::showEvent(event);
}

void APIconQLabel::fitPictureAboveName()
{
    pictureAboveName = true;
    normalFace = QImage();
    paintNormal();
}

void APIconQLabel::paintHighlighted()
{
    paintWithMask(false);
}

void APIconQLabel::paintPressed()
{
    paintWithMask(true);
}

void APIconQLabel::refreshFace(bool normal)
{
    if (animating)
        return;
    if (normal)
        paintNormal();
    else
        paintHighlighted();
}

void APIconQLabel::reloadFace(const QString &mask, const QColor &nameColour, const QColor &, const QFont &font)
{
    setScaledContents(true);
    maskFile = mask;
    nameFont = font;
    nameFont.setWeight(QFont::Bold);
    this->nameColour = nameColour;
    normalFace = QImage();
    paintNormal();
}

void APIconQLabel::moveTo(int x, int y)
{
    setGeometry(x, y, iconWidth, iconHeight);
}

void APIconQLabel::resizeCell(int width, int height, int nameX, int nameY, const QFont &font)
{
    QFont bold = font;
    bold.setWeight(QFont::Bold);
    if (width == iconWidth && height == iconHeight && nameX == this->nameX && nameY == this->nameY && bold == nameFont)
        return;
    iconWidth = width;
    iconHeight = height;
    this->nameX = nameX;
    this->nameY = nameY;
    nameFont = bold;
    normalFace = QImage();
    setGeometry(x(), y(), width, height);
    paintNormal();
    if (isSelected())
        paintHighlighted();
}

void APIconQLabel::setMissing(bool missing, const QString &notice)
{
    setToolTip(missing ? notice : ownToolTip);
    if (missing == this->missing)
        return;
    this->missing = missing;
    refreshFace(true);
    if (isSelected())
        refreshFace(false);
}

void APIconQLabel::showRestingFace(bool highlighted)
{
    if (highlighted)
        paintHighlighted();
    else
        paintNormal();
}

void APIconQLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (clickBlocked)
        return;
    if (!ActionKind::isTitleBarKind(kind) && pressed && inside && hits(event->position().toPoint())) {
        growStep();
        return activateAndBlock();
    }
    paintNormal();
    paintHighlighted();
}

void APIconQLabel::mouseMoveEvent(QMouseEvent *)
{
    if (animating || noFeedback || inside)
        return;
    // The launcher moves its selection here and repaints the icons that lose it.
    emit hovered(true);
    inside = true;
    if (pressed)
        paintPressed();
    else
        paintHighlighted();
}

void APIconQLabel::leaveEvent(QEvent *)
{
    emit hovered(false);
    inside = false;
    pressed = false;
}

void APIconQLabel::showFace(const QImage &face)
{
    shownFace = face;
    setPixmap(QPixmap::fromImage(face));
    shownPixmapKey = pixmap().cacheKey();
}

QImage APIconQLabel::currentFace() const
{
    // The face is kept beside the pixmap so that a repaint need not read the pixmap back;
    // a pixmap set from outside is read back instead.
    const QPixmap shown = pixmap();
    if (shown.cacheKey() == shownPixmapKey)
        return shownFace;
    return shown.toImage();
}

void APIconQLabel::paintWithMask(bool maskOnTop)
{
    ensureFace();
    const QImage face = currentFace();
    QImage canvas = makeFaceCanvas(iconWidth, iconHeight);
    const QImage mask = loadPictureOrDefault(maskFile, canvas.size());
    if (maskOnTop)
        composeImages(canvas, face, mask);
    else
        composeImages(canvas, mask, face);
    showFace(canvas);
}
