#include "DialogLook.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QWidget>

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
    while (font.pixelSize() > kSmallestPixelSize && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPixelSize(font.pixelSize() - 1);
    widget->setFont(font);
}

void paintFrame(QWidget *dialog)
{
    QPainter painter(dialog);
    painter.setPen(dialog->palette().color(QPalette::Dark));
    painter.drawRect(dialog->rect().adjusted(0, 0, -1, -1));
}

} // namespace DialogLook
