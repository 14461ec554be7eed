#include "ShutdownQLabel.h"

#include "FaceRecipes.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QRect>

namespace {

// A second text of a single character (a blank, say) means one line: the first text then
// stands in the middle of the box. Otherwise the first is at the top and the second at the
// bottom.
int firstTextFlags(const QString &secondText)
{
    return secondText.size() == 1 ? int(Qt::AlignCenter) : int(Qt::AlignHCenter | Qt::AlignTop);
}

QImage faceWithText(const QString &file, const QSize &size, const QFont &font, const QRect &box,
                    const QString &firstText, const QString &secondText, const QColor &colour)
{
    QImage face = loadPictureOnCanvas(file, size.width(), size.height());
    if (face.isNull())
        return face;
    QPainter painter(&face);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, firstTextFlags(secondText), firstText);
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignBottom, secondText);
    return face;
}

} // namespace

ShutdownQLabel::ShutdownQLabel(const QRect &labelRect, const QString &normalPicture, const QString &hoverPicture,
                               const QFont &font, const QRect &textBox, const QString &firstText,
                               const QString &secondText, const QColor &normalColour, const QColor &hoverColour)
{
    setGeometry(labelRect);
    setAttribute(Qt::WA_MouseTracking);
    setScaledContents(true);
    normalFace = faceWithText(normalPicture, labelRect.size(), font, textBox, firstText, secondText, normalColour);
    hoverFace = faceWithText(hoverPicture, labelRect.size(), font, textBox, firstText, secondText, hoverColour);
    showFace(normalFace);
    setAccessibleName(secondText.isEmpty() ? firstText : firstText + u' ' + secondText);
}

void ShutdownQLabel::mousePressEvent(QMouseEvent *)
{
    emit LabelPress();
}

void ShutdownQLabel::enterEvent(QEnterEvent *)
{
    showFace(hoverFace);
    replaceOverrideCursor(Qt::PointingHandCursor);
}

void ShutdownQLabel::leaveEvent(QEvent *)
{
    showFace(normalFace);
    replaceOverrideCursor(Qt::ArrowCursor);
}

void ShutdownQLabel::showFace(const QImage &face)
{
    setPixmap(QPixmap::fromImage(face));
}
