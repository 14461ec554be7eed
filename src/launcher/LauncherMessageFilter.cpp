#include "LauncherMessageFilter.h"

#include "lumbra.h"
#include "platform/WindowMessages.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace {

// The virtual-key code of a Qt key, or 0 for keys the launcher does not use.
unsigned virtualKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return platform::kVkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return platform::kVkReturn;
    case Qt::Key_Shift:
        return platform::kVkShift;
    case Qt::Key_Control:
        return platform::kVkControl;
    case Qt::Key_Z:
        return platform::kVkZ;
    case Qt::Key_Left:
        return platform::kVkLeft;
    case Qt::Key_Up:
        return platform::kVkUp;
    case Qt::Key_Right:
        return platform::kVkRight;
    case Qt::Key_Down:
        return platform::kVkDown;
    case Qt::Key_Delete:
        return platform::kVkDelete;
    default:
        return 0;
    }
}

} // namespace

LauncherMessageFilter::LauncherMessageFilter(lumbra *launcher)
    : QObject(launcher), launcher(launcher)
{
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this] {
        watchPrimaryScreen();
        displayChanged();
    });
    watchPrimaryScreen();
}

LauncherMessageFilter::~LauncherMessageFilter()
{
    qApp->removeEventFilter(this);
}

bool LauncherMessageFilter::belongsToLauncher(QObject *watched) const
{
    return watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == launcher;
}

bool LauncherMessageFilter::eventFilter(QObject *watched, QEvent *event)
{
    // A key held in the launcher may be let go in a dialog it opened (the PIN pad for
    // Delete), or in another program, where the release never reaches this one.
    if (event->type() == QEvent::KeyRelease)
        held.released(static_cast<QKeyEvent *>(event));
    else if (event->type() == QEvent::ApplicationStateChange
             && static_cast<QApplicationStateChangeEvent *>(event)->applicationState() != Qt::ApplicationActive)
        held.forget();
    const bool down = event->type() == QEvent::KeyPress;
    if ((!down && event->type() != QEvent::KeyRelease) || !belongsToLauncher(watched))
        return false;
    return handleKey(static_cast<QKeyEvent *>(event), down);
}

// The keys the launcher uses are taken here, so that the dialog underneath never sees them:
// Escape would hide the launcher, Return could press a button, Tab would move the focus.
bool LauncherMessageFilter::handleKey(QKeyEvent *event, bool down)
{
    if (event->key() == Qt::Key_Escape)
        return true;
    const unsigned key = virtualKeyOf(event->key());
    if (key == 0)
        return false;
    if (key == platform::kVkShift || key == platform::kVkControl) {
        launcher->handleMessage(down ? platform::kWmKeyDown : platform::kWmKeyUp, key);
        return true;
    }
    // A held Delete or Return must not take off or start one icon after another.
    const bool repeatMatters = key == platform::kVkDelete || key == platform::kVkReturn;
    const bool starts = down && held.pressStarts(event);
    if (down && (starts || !repeatMatters)) {
        syncModifiers(event->modifiers());
        launcher->handleMessage(platform::kWmKeyDown, key);
    }
    return true;
}

// A Shift released while another window had the focus never reaches the launcher; each key
// carries the true state, so Tab never goes the wrong way for long.
void LauncherMessageFilter::syncModifiers(Qt::KeyboardModifiers modifiers)
{
    const bool held = modifiers.testFlag(Qt::ShiftModifier);
    if (held != launcher->isHeld(platform::kVkShift))
        launcher->handleMessage(held ? platform::kWmKeyDown : platform::kWmKeyUp, platform::kVkShift);
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    if (control != launcher->isHeld(platform::kVkControl))
        launcher->handleMessage(control ? platform::kWmKeyDown : platform::kWmKeyUp, platform::kVkControl);
}

void LauncherMessageFilter::watchPrimaryScreen()
{
    disconnect(geometryConnection);
    watchedScreen = QGuiApplication::primaryScreen();
    if (watchedScreen) {
        geometryConnection = connect(watchedScreen, &QScreen::availableGeometryChanged, this,
                                     &LauncherMessageFilter::displayChanged);
    }
}

void LauncherMessageFilter::displayChanged()
{
    launcher->handleMessage(platform::kWmDisplayChange, 0);
}
