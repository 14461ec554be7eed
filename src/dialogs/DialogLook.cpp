#include "DialogLook.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace {

constexpr int kSmallestPixelSize = 11;
constexpr int kRoom = 12;

QString textOf(const QWidget *widget)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    return QString();
}

} // namespace

namespace DialogLook {

void fitText(QWidget *widget)
{
    const QString text = textOf(widget);
    QFont font = widget->font();
    if (text.isEmpty() || font.pixelSize() <= 0)
        return;
    const int room = widget->width() - kRoom;
    const int start = font.pixelSize();
    const auto fits = [&font, &text, room](int size) {
        font.setPixelSize(size);
        return QFontMetrics(font).horizontalAdvance(text) <= room;
    };
    // The largest size that fits, searched in halves: a few measurements whatever the size.
    int fitting = std::min(start, kSmallestPixelSize);
    long long tooLarge = start + 1LL;
    while (tooLarge - fitting > 1) {
        const int middle = int(fitting + (tooLarge - fitting) / 2);
        if (fits(middle))
            fitting = middle;
        else
            tooLarge = middle;
    }
    font.setPixelSize(fitting);
    widget->setFont(font);
}

void paintFrame(QWidget *dialog)
{
    QPainter painter(dialog);
    painter.setPen(dialog->palette().color(QPalette::Dark));
    painter.drawRect(dialog->rect().adjusted(0, 0, -1, -1));
}

} // namespace DialogLook
