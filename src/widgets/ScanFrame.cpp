#include "ScanFrame.h"

#include <QPainter>

ScanFrame::ScanFrame(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void ScanFrame::frame(QWidget *target)
{
    QWidget *host = parentWidget();
    if (!target || !host || !target->isVisible()) {
        hide();
        return;
    }
    const QRect area(target->mapTo(host, QPoint(0, 0)), target->size());
    // Around the target where there is room; a target at the edge of the window keeps its
    // frame on the screen, over its own border.
    setGeometry(area.adjusted(-kThickness / 2, -kThickness / 2, kThickness / 2, kThickness / 2)
                    .intersected(host->rect()));
    show();
    raise();
    update();
}

void ScanFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect outer = rect();
    // Only the ring is painted: inside it the target shows as it is.
    painter.setClipRegion(QRegion(outer) - QRegion(outer.adjusted(kThickness, kThickness, -kThickness, -kThickness)));
    painter.fillRect(outer, Qt::black);
    painter.fillRect(outer.adjusted(2, 2, -2, -2), QColor(255, 221, 0));
    painter.fillRect(outer.adjusted(kThickness - 2, kThickness - 2, -(kThickness - 2), -(kThickness - 2)), Qt::black);
}
