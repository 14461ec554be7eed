#pragma once

#include "PressableLabel.h"

#include <QImage>

class QColor;
class QFont;

// A picture button of the launcher's title bar: back (with a caption), page up, page down,
// house and speaker. It keeps its faces as images; a completed click on a button of a
// title-bar kind is reported as activated() (PressableLabel).
class IconQLabel : public PressableLabel
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

    QImage normalImage;
    QImage highlightImage;
    QImage pressedImage;
    int buttonWidth = 0;
    int buttonHeight = 0;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    QSize faceSize() const override { return QSize(buttonWidth, buttonHeight); }
    void showPressedFace() override { showFace(pressedImage); }
    void showGrowingFace() override { showFace(highlightImage); }
    void showRestingFace(bool highlighted) override { showFace(highlighted ? highlightImage : normalImage); }

private:
    void finishConstruction(int x, int y);
    void showFace(const QImage &face);
};
