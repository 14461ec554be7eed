#pragma once

#include <QLabel>
#include <QTimer>

// The gesture the launcher's picture labels share, the title-bar buttons and the application
// icons: a press inside shows on the face (unless noFeedback); a completed click is reported
// as activated(), after which the label ignores clicks for ICON_DISABLE_CLICK_TIMER
// milliseconds; and a short growth animation (ICON_EFFICACY_COUNTER + 1 steps of
// ICON_EFFICACY_PIXEL pixels, one each ICON_EFFICACY_INTERVAL milliseconds) ends back in the
// grid cell of `position`. The faces are the subclass's.
class PressableLabel : public QLabel
{
    Q_OBJECT

public:
    // Emits the click signal with ICON_DISABLE_CLICK_TIMER, which starts clickTimer, and
    // ignores clicks until it fires.
    void startClickBlock();
    // One step of the growth animation.
    void growStep();
    // Whether the launcher's highlight is on this label; the launcher sets it.
    void setSelected(bool on) { selected = on; }
    bool isSelected() const { return selected; }

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
    // A completed click; the launcher acts on it.
    void activated();

public slots:
    void disableTimer();
    void button_special_efficacy_disableTimer();

protected:
    PressableLabel();

    // The size given at construction: hit tests and the growth use it, not the live geometry.
    virtual QSize faceSize() const = 0;
    virtual void showPressedFace() = 0;
    virtual void showGrowingFace() = 0;
    // The face at the end of the growth, with the highlight or without.
    virtual void showRestingFace(bool highlighted) = 0;

    // Both edges count as inside.
    bool hits(const QPoint &point) const;
    // Reports the click, then blocks clicks. The launcher may run a dialog of its own in
    // between; a label that is gone after it does nothing more.
    void activateAndBlock();
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool selected = false;
};
