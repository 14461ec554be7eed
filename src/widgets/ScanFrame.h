#pragma once

#include <QWidget>

// The highlight of one-switch scanning: a thick frame, yellow between two black lines, laid
// over what is highlighted so that it can be seen from across a room on any picture. It
// lets every click through to what is under it.
class ScanFrame : public QWidget
{
    Q_OBJECT

public:
    explicit ScanFrame(QWidget *parent = nullptr);

    // Frames `target`, in the coordinates of the frame's own parent; hides when there is none.
    void frame(QWidget *target);

    static constexpr int kThickness = 8;

protected:
    void paintEvent(QPaintEvent *event) override;
};
