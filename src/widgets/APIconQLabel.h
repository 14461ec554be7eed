#pragma once

#include "PressableLabel.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QList>
#include <QString>

// One application icon on a launcher page: its picture with its name, recomposed from its
// files at every change. The pointer coming onto it is reported as hovered(true), which makes
// it the launcher's selected icon; a completed click makes it grow for a moment and is
// reported as activated() (PressableLabel).
class APIconQLabel : public PressableLabel
{
    Q_OBJECT

public:
    // When the face is first painted: at once, or when the icon is first shown or its face is
    // asked for (ensureFace), so that icons nobody sees yet cost no decoding.
    enum class FaceTime { Now, WhenShown };

    // `tooltipPosition` and `tabNumber` (1-based) name the icon whose ICON_AP_TOOLTIP_NAME
    // becomes the tool tip; `fit` is its ICON_IS_DEFAULT_APP (>= 1 scales the picture to fit).
    APIconQLabel(int x, int y, int height, int width, const QString &picture, const QString &mask,
                 const QFont &font, const QString &name, int nameX, int nameY,
                 const QColor &nameColour, int tooltipPosition, int tabNumber, int fit,
                 FaceTime faceTime = FaceTime::Now);

    // Paints the face now if it was left for later.
    void ensureFace();

    void paintNormal();
    void paintHighlighted();
    void paintPressed();
    // Nothing while the icon grows; else the normal face (true) or the highlight (false).
    void refreshFace(bool normal);
    void reloadFace(const QString &mask, const QColor &nameColour, const QColor &reverseColour, const QFont &font);
    void moveTo(int x, int y);
    // A cell of another size (the screen changed): the name's box and font go with it, and
    // the face is painted anew at the new size.
    void resizeCell(int width, int height, int nameX, int nameY, const QFont &font);
    // A program or document that is not on this computer: the picture is drawn grey, the
    // name as always, and the tool tip becomes `notice`. False brings the icon back as it was.
    void setMissing(bool missing, const QString &notice);
    // A picture of any size, another program's own: drawn within the square above the name,
    // as our own pictures are, instead of as `fit` says.
    void fitPictureAboveName();

    QList<QString> arguments;
    QString pictureFile;
    QString maskFile;
    int iconWidth = 0;
    int iconHeight = 0;
    QString exeLocation;
    QFont nameFont;
    QString name;
    int nameX = 0;
    int nameY = 0;
    QColor nameColour;
    int tabNumber = 0;
    int fitPicture = 0;
    bool missing = false;
    // The tool tip the settings give the icon, shown again when its program comes back.
    QString ownToolTip;

signals:
    // The pointer came onto the icon (true) or left it (false).
    void hovered(bool entered);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    QSize faceSize() const override { return QSize(iconWidth, iconHeight); }
    void showPressedFace() override { paintPressed(); }
    void showGrowingFace() override { paintNormal(); }
    void showRestingFace(bool highlighted) override;

private:
    void showFace(const QImage &face);
    QImage currentFace() const;
    void paintWithMask(bool maskOnTop);

    QImage shownFace;
    qint64 shownPixmapKey = 0;
    QImage normalFace;
    QDateTime normalFaceModified;
    qint64 normalFaceSize = -1;
    bool normalFaceDimmed = false;
    bool pictureAboveName = false;
    bool faceDeferred = false;
};
