#include "ChoiceKeys.h"

#include "ScanFrame.h"
#include "ShutdownQLabel.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

ChoiceKeys::ChoiceKeys(QWidget *window, const QList<QWidget *> &buttons, int first)
    : QObject(window),
      window(window),
      first(first),
      ring(new ScanFrame(window))
{
    for (QWidget *button : buttons) {
        this->buttons.append(button);
        button->setFocusPolicy(Qt::StrongFocus);
        button->installEventFilter(this);
    }
    window->installEventFilter(this);
    if (window->isVisible())
        moveFocus(0);
}

// The button the window gives the keys to when it is active.
QWidget *ChoiceKeys::focused() const
{
    QWidget *focus = window->focusWidget();
    return buttons.contains(focus) ? focus : nullptr;
}

void ChoiceKeys::press(QWidget *button)
{
    if (auto *pushButton = qobject_cast<QAbstractButton *>(button))
        pushButton->click();
    else if (auto *label = qobject_cast<ShutdownQLabel *>(button))
        emit label->LabelPress();
}

bool ChoiceKeys::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
        if (watched == window) {
            held.forget();
            moveFocus(0);
        }
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        frameFocus();
        break;
    case QEvent::KeyRelease:
        held.released(static_cast<QKeyEvent *>(event));
        break;
    case QEvent::KeyPress:
        return handleKey(static_cast<QKeyEvent *>(event));
    default:
        break;
    }
    return false;
}

bool ChoiceKeys::handleKey(QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Right:
    case Qt::Key_Down:
        moveFocus(1);
        return true;
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Up:
        moveFocus(-1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (held.pressStarts(key)) {
            if (QWidget *button = focused())
                press(button);
        }
        return true;
    default:
        return false;
    }
}

// From the button that has the focus (0: to the first one), `step` buttons on, round.
void ChoiceKeys::moveFocus(int step)
{
    const int count = int(buttons.size());
    if (count == 0)
        return;
    const int at = int(buttons.indexOf(focused()));
    int next = step == 0 || at < 0 ? std::clamp(first, 0, count - 1) : ((at + step) % count + count) % count;
    for (int tries = 0; tries < count && !(buttons.at(next) && buttons.at(next)->isVisible()); ++tries)
        next = ((next + (step < 0 ? -1 : 1)) % count + count) % count;
    if (QWidget *button = buttons.at(next))
        button->setFocus(Qt::TabFocusReason);
    frameFocus();
}

void ChoiceKeys::frameFocus()
{
    ring->frame(focused());
}
