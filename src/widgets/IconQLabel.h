#pragma once

#include "PressableLabel.h"

#include <QColor>
#include <QFont>
#include <QImage>

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
    // A button of another size gets its faces painted anew from its pictures.
    void placeAt(int x, int y, int height, int width);
    // The caption in another font and height (the screen's scale changed); faces painted anew.
    void setCaptionFont(const QFont &font, int textY);

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
    // What the faces are made of, to make them again at another size.
    struct FaceSources
    {
        QString normal, highlight, pressed;
        QString text;
        QFont font;
        int textX = 0, textY = 0;
        QColor normalColour, pressedColour;
    };

    void makeFaces();
    void remakeFaces();
    void showFace(const QImage &face);

    FaceSources sources;
    const QImage *shown = nullptr;
};
