#pragma once

#include <QImage>
#include <QLabel>

class QColor;
class QFont;
class QRect;

// A clickable picture of the shut-down dialog with one or two lines of text. It turns to its
// hover picture and shows a pointing hand while the pointer is over it; a press emits
// LabelPress().
class ShutdownQLabel : public QLabel
{
    Q_OBJECT

public:
    ShutdownQLabel(const QRect &labelRect, const QString &normalPicture, const QString &hoverPicture,
                   const QFont &font, const QRect &textBox, const QString &firstText, const QString &secondText,
                   const QColor &normalColour, const QColor &hoverColour);

    QImage normalFace;
    QImage hoverFace;

signals:
    void LabelPress();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void showFace(const QImage &face);
};
