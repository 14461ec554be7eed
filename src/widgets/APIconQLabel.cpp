#include "APIconQLabel.h"

// First version: the faces and the click handling are being written.
APIconQLabel::APIconQLabel(int, int, int height, int width, const QString &picture, const QString &mask,
                           const QFont &font, const QString &name, int nameX, int nameY,
                           const QColor &nameColour, int, int tabNumber, int fit)
    : pictureFile(picture), maskFile(mask), iconWidth(width), iconHeight(height), nameFont(font),
      name(name), nameX(nameX), nameY(nameY), nameColour(nameColour), tabNumber(tabNumber), fitPicture(fit)
{
}

void APIconQLabel::paintNormal() {}
void APIconQLabel::paintHighlighted() {}
void APIconQLabel::paintPressed() {}
void APIconQLabel::refreshFace(bool) {}
void APIconQLabel::reloadFace(const QString &, const QColor &, const QColor &, const QFont &) {}
void APIconQLabel::growStep() {}
void APIconQLabel::startClickBlock() {}
void APIconQLabel::moveTo(int, int) {}
void APIconQLabel::disableTimer() {}
void APIconQLabel::button_special_efficacy_disableTimer() {}
void APIconQLabel::mousePressEvent(QMouseEvent *) {}
void APIconQLabel::mouseReleaseEvent(QMouseEvent *) {}
void APIconQLabel::mouseMoveEvent(QMouseEvent *) {}
void APIconQLabel::leaveEvent(QEvent *) {}
