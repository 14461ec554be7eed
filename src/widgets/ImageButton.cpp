#include "ImageButton.h"

#include "FaceRecipes.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>

namespace {

QImage pictureWithCaption(const QString &file, const QSize &size, const QFont &font, const QString &caption,
                          const QRect &box, int flags, const QColor &colour)
{
    QImage picture = loadPictureOnCanvas(file, size.width(), size.height());
    if (picture.isNull() || caption.isEmpty())
        return picture;
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, flags, caption);
    return picture;
}

} // namespace

ImageButton::ImageButton(const QRect &buttonRect, const QString &normal, const QString &disabled,
                         const QString &hover, const QString &down, const QFont &captionFont, const QString &caption,
                         const QRect &captionRect, int captionFlags, const QColor &captionColour)
    : buttonRect(buttonRect), captionRect(captionRect)
{
    setGeometry(buttonRect);
    setDefault(false);
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_MouseTracking);
    // A style of its own, so that the application's style cannot draw a frame around the face;
    // the button owns it.
    if (QStyle *flatStyle = QStyleFactory::create(QStringLiteral("Fusion"))) {
        flatStyle->setParent(this);
        setStyle(flatStyle);
    }

    const QSize size = buttonRect.size();
    normalPicture = pictureWithCaption(normal, size, captionFont, caption, captionRect, captionFlags, captionColour);
    disabledPicture =
        pictureWithCaption(disabled, size, captionFont, caption, captionRect, captionFlags, captionColour);
    hoverPicture = pictureWithCaption(hover, size, captionFont, caption, captionRect, captionFlags, captionColour);
    downPicture = pictureWithCaption(down, size, captionFont, caption, captionRect, captionFlags, captionColour);
    showPicture(normalPicture);

    connect(this, &QPushButton::pressed, this, &ImageButton::BtnPress);
    connect(this, &QPushButton::released, this, &ImageButton::BtnRelease);
}

void ImageButton::BtnPress()
{
    showPicture(downPicture);
}

void ImageButton::BtnRelease()
{
    showPicture(hoverPicture);
}

void ImageButton::enterEvent(QEnterEvent *event)
{
    QPushButton::enterEvent(event);
    showPicture(hoverPicture);
}

void ImageButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    showPicture(normalPicture);
}

void ImageButton::showPicture(const QImage &picture)
{
    // A fresh icon each time: adding a picture of another size to the old one would keep
    // both, and the icon could go on showing the earlier one.
    faceIcon = QIcon();
    faceIcon.addPixmap(QPixmap::fromImage(picture), QIcon::Normal, QIcon::Off);
    setIcon(faceIcon);
    setIconSize(buttonRect.size());
}
