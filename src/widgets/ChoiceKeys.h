#pragma once

#include "HeldKeys.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;
class ScanFrame;

// The keyboard for a window of big picture buttons (the first start's question, the
// shut-down dialog): Tab, Shift+Tab and the arrow keys move the focus from button to button,
// round in the order given; Return, Enter and Space press the button that has it, once
// however long they are held; and the thick frame of scanning shows where the focus is, so
// that it can be seen from across a room. Each time the window is shown the focus starts on
// the button `first`.
class ChoiceKeys : public QObject
{
    Q_OBJECT

public:
    ChoiceKeys(QWidget *window, const QList<QWidget *> &buttons, int first);

    QWidget *focused() const;
    // Presses a button as a click would: a push button's click(), a shut-down label's press.
    static void press(QWidget *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handleKey(QKeyEvent *key);
    void moveFocus(int step);
    void frameFocus();

    QWidget *window;
    QList<QPointer<QWidget>> buttons;
    int first;
    ScanFrame *ring;
    HeldKeys held;
};
