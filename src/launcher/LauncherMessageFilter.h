#pragma once

#include "widgets/HeldKeys.h"

#include <QMetaObject>
#include <QObject>

class QKeyEvent;
class QScreen;
class lumbra;

// Feeds the launcher's message handler from Qt: the keys it works with, pressed anywhere in
// the launcher window whichever widget has the focus, become WM_KEYDOWN and WM_KEYUP with
// their virtual-key codes, and a change of the primary screen or of its size becomes
// WM_DISPLAYCHANGE. Keys pressed in other windows of the program (dialogs) are left alone.
class LauncherMessageFilter : public QObject
{
    Q_OBJECT

public:
    explicit LauncherMessageFilter(lumbra *launcher);
    ~LauncherMessageFilter() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool belongsToLauncher(QObject *watched) const;
    bool handleKey(QKeyEvent *event, bool down);
    void syncModifiers(Qt::KeyboardModifiers modifiers);
    void watchPrimaryScreen();
    void displayChanged();

    lumbra *launcher;
    QScreen *watchedScreen = nullptr;
    QMetaObject::Connection geometryConnection;
    HeldKeys held;
};
