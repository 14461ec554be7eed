#include "IconQLabel.h"

// First version: the faces and the click handling are being written.
IconQLabel::IconQLabel(int, int, int height, int width, const QString &, const QString &)
    : buttonWidth(width), buttonHeight(height)
{
}

IconQLabel::IconQLabel(int, int, int height, int width, const QString &, const QString &, QFont,
                       const QString &, int, int, const QColor &)
    : buttonWidth(width), buttonHeight(height)
{
}

void IconQLabel::reloadImagesWithText(const QString &, const QString &, const QColor &, const QColor &,
                                      const QFont &, int, int, const QString &) {}
void IconQLabel::reloadImages(const QString &, const QString &) {}
void IconQLabel::showNormalImage() {}
void IconQLabel::showPressedImage() {}
void IconQLabel::placeAt(int, int, int, int) {}
void IconQLabel::disableTimer() {}
void IconQLabel::button_special_efficacy_disableTimer() {}
void IconQLabel::mousePressEvent(QMouseEvent *) {}
void IconQLabel::mouseReleaseEvent(QMouseEvent *) {}
void IconQLabel::mouseMoveEvent(QMouseEvent *) {}
void IconQLabel::leaveEvent(QEvent *) {}
