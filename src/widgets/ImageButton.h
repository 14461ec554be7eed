#pragma once

#include <QIcon>
#include <QImage>
#include <QPushButton>
#include <QRect>

class QColor;
class QFont;

// A flat push button whose whole face is one of its pictures (normal, disabled, mouse over,
// mouse down), each with the same caption stamped on it. Clicks are reported through the
// ordinary QPushButton signals.
class ImageButton : public QPushButton
{
    Q_OBJECT

public:
    ImageButton(const QRect &buttonRect, const QString &normal, const QString &disabled, const QString &hover,
                const QString &down, const QFont &captionFont, const QString &caption, const QRect &captionRect,
                int captionFlags, const QColor &captionColour);

    QRect buttonRect;
    QRect captionRect;
    QImage normalPicture;
    QImage disabledPicture;
    QImage hoverPicture;
    QImage downPicture;
    QIcon faceIcon;

public slots:
    void BtnPress();
    void BtnRelease();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void showPicture(const QImage &picture);
};
