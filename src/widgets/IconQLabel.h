#pragma once

#include <QImage>
#include <QLabel>
#include <QTimer>

class QColor;
class QFont;

// A picture button of the launcher's title bar: back (with a caption), page up, page down,
// house and speaker. It keeps its faces as images and reports a completed click as
// activated(), then ignores clicks for ICON_DISABLE_CLICK_TIMER milliseconds.
class IconQLabel : public QLabel
{
    Q_OBJECT

public:
    // Picture only: no feedback on press or hover.
    IconQLabel(int x, int y, int height, int width, const QString &normalPicture,
               const QString &pressedPicture);
    // With a caption stamped on both pictures (bold), and press feedback.
    IconQLabel(int x, int y, int height, int width, const QString &normalPicture,
               const QString &pressedPicture, QFont font, const QString &text, int textX, int textY,
               const QColor &textColour);

    void reloadImagesWithText(const QString &pressedPicture, const QString &normalPicture,
                              const QColor &normalColour, const QColor &pressedColour,
                              const QFont &font, int textX, int textY, const QString &text);
    void reloadImages(const QString &firstPicture, const QString &secondPicture);
    void showNormalImage();
    void showPressedImage();
    void placeAt(int x, int y, int height, int width);
    // Whether the launcher's highlight is on this button; the launcher sets it.
    void setSelected(bool on) { selected = on; }

    QImage normalImage;
    QImage highlightImage;
    QImage pressedImage;
    int buttonWidth = 0;
    int buttonHeight = 0;
    int position = 0;
    int kind = 0;
    int growCount = 0;
    bool clickBlocked = false;
    bool animating = false;
    bool pressed = false;
    bool inside = false;
    bool noFeedback = false;
    QTimer clickTimer;
    QTimer growTimer;

signals:
    void mouseclicked_signal(int);
    void button_special_efficacy_signal(int);
    // A completed click on a title-bar button; the launcher acts on it.
    void activated();

public slots:
    void disableTimer();
    void button_special_efficacy_disableTimer();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void finishConstruction(int x, int y);
    bool hits(const QPoint &point) const;
    void showFace(const QImage &face);
    void growOnce();

    bool selected = false;
};
