#include "TabQLabel.h"

// First version: the faces are being written.
TabQLabel::TabQLabel(const QRect &tabRect, const QColor &, const QRect &pictureRect,
                     const QString &pictureFile, QString &name, const QFont &font, const QColor &)
    : tabRect(tabRect), pictureRect(pictureRect), pictureFile(pictureFile), name(name), nameFont(font)
{
}

void TabQLabel::paintSelected() {}
void TabQLabel::paintUnselected() {}
void TabQLabel::mousePressEvent(QMouseEvent *) {}
void TabQLabel::enterEvent(QEnterEvent *) {}
void TabQLabel::leaveEvent(QEvent *) {}
