#include "SwitchScanner.h"

#include "HighlightReporter.h"
#include "LauncherGeometry.h"
#include "TabEntry.h"
#include "TitleBar.h"
#include "lumbra.h"
#include "dialogs/LumbraShutDown.h"
#include "dialogs/PinPadDialog.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/IconQLabel.h"
#include "widgets/ScanFrame.h"
#include "widgets/ShutdownQLabel.h"
#include "widgets/TabQLabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace {

int iconsPerPage()
{
    return LauncherGeometry::iconsPerPage();
}

bool isSwitchKey(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Space:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        return false;
    }
}

// Buttons in the order a page is read: by rows from the top, each row from the left. A row
// is the buttons whose tops lie above the middle of its first one, so that buttons set a
// pixel apart (the shut-down dialog's) read as the row they look like.
void sortInReadingOrder(QWidget *dialog, QList<QWidget *> &buttons)
{
    const auto corner = [dialog](const QWidget *button) { return button->mapTo(dialog, QPoint(0, 0)); };
    std::stable_sort(buttons.begin(), buttons.end(),
                     [&](const QWidget *a, const QWidget *b) { return corner(a).y() < corner(b).y(); });
    for (qsizetype first = 0; first < buttons.size();) {
        const int middle = corner(buttons.at(first)).y() + buttons.at(first)->height() / 2;
        qsizetype end = first + 1;
        while (end < buttons.size() && corner(buttons.at(end)).y() < middle)
            ++end;
        std::stable_sort(buttons.begin() + first, buttons.begin() + end,
                         [&](const QWidget *a, const QWidget *b) { return corner(a).x() < corner(b).x(); });
        first = end;
    }
}

// With LUMBRA_BENCH_MARKERS set, every step is written to stderr with the time since the
// scanner started, for measuring the steps' regularity and for the end-to-end test to
// press the switch at the right moment.
bool stepMarkersWanted()
{
    static const bool wanted = [] {
        for (const std::u16string &entry : platform::system().environmentStrings()) {
            if (entry.rfind(u"LUMBRA_BENCH_MARKERS=", 0) == 0)
                return true;
        }
        return false;
    }();
    return wanted;
}

QElapsedTimer &scanClock()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock;
}

} // namespace

SwitchScanner::SwitchScanner(lumbra *launcher, HighlightReporter *reporter)
    : QObject(launcher),
      launcher(launcher),
      reporter(reporter)
{
    if (launcher)
        launcherFrame = new ScanFrame(launcher);
    // A coarse timer may be 5% late at each step, which a person timing a press notices.
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &SwitchScanner::step);
}

SwitchScanner::~SwitchScanner()
{
    qApp->removeEventFilter(this);
    delete dialogFrame;
}

int SwitchScanner::stepTime(int setting)
{
    return setting <= 0 ? 0 : std::clamp(setting, kShortestStep, kLongestStep);
}

void SwitchScanner::start(int milliseconds)
{
    scanning = milliseconds > 0;
    if (!scanning) {
        timer.stop();
        qApp->removeEventFilter(this);
        if (launcherFrame)
            launcherFrame->hide();
        return;
    }
    timer.setInterval(milliseconds);
    // Installed last (again installing moves it to the front), the filter sees the switch
    // before the launcher's own key handling.
    qApp->installEventFilter(this);
    restart();
}

QWidget *SwitchScanner::openDialog() const
{
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != launcher)
        return modal;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != launcher && window->isVisible() && qobject_cast<QDialog *>(window))
            return window;
    }
    return nullptr;
}

QList<QWidget *> SwitchScanner::buttonsOf(QWidget *dialog) const
{
    QList<QWidget *> buttons;
    if (!dialog)
        return buttons;
    const QList<QWidget *> children = dialog->findChildren<QWidget *>();
    for (QWidget *child : children) {
        const bool pressable = qobject_cast<QAbstractButton *>(child) || qobject_cast<ShutdownQLabel *>(child);
        if (pressable && child->isVisible() && child->isEnabled())
            buttons.append(child);
    }
    sortInReadingOrder(dialog, buttons);
    return buttons;
}

ScanLoop::View SwitchScanner::view() const
{
    ScanLoop::View view;
    if (QWidget *dialog = openDialog()) {
        view.dialogButtons = int(buttonsOf(dialog).size());
        return view;
    }
    const TabEntry *shown = launcher ? launcher->tab(launcher->currentTab()) : nullptr;
    if (!shown)
        return view;
    const int count = int(shown->icons.size());
    const int perPage = iconsPerPage();
    view.firstIcon = std::clamp(launcher->selectedIcon(), 0, std::max(0, count - 1)) / perPage * perPage;
    view.iconCount = std::clamp(count - view.firstIcon, 0, perPage);
    view.pageDownShown = button(ActionKind::PageDown) && button(ActionKind::PageDown)->isVisible();
    view.backShown = button(ActionKind::Back) && button(ActionKind::Back)->isVisible();
    view.topLevelTabs = int(launcher->tabTree().stripTabs().size());
    // A minimised launcher comes back only through the tray, which a switch cannot reach:
    // the house opens the shut-down dialog instead, where the person can leave or close it. A
    // dialog still to come counts, so the loop does not start again when it comes.
    view.houseShown = (theShutDownDialog || launcher->startPending()) && button(ActionKind::House)
                      && button(ActionKind::House)->isVisible();
    return view;
}

QWidget *SwitchScanner::widgetOf(const ScanLoop::Step &step) const
{
    switch (step.kind) {
    case ScanLoop::Step::Icon:
        return launcher->iconAt(launcher->currentTab(), step.index);
    case ScanLoop::Step::PageDown:
        return button(ActionKind::PageDown);
    case ScanLoop::Step::Back:
        return button(ActionKind::Back);
    case ScanLoop::Step::Tab: {
        const TabEntry *tab = launcher->tab(launcher->tabTree().stripTabs().value(step.index, -1));
        return tab ? tab->tabLabel : nullptr;
    }
    case ScanLoop::Step::DialogButton:
        return buttonsOf(openDialog()).value(step.index);
    case ScanLoop::Step::House:
        return button(ActionKind::House);
    }
    return nullptr;
}

QString SwitchScanner::nameOf(const ScanLoop::Step &step) const
{
    QWidget *widget = widgetOf(step);
    if (!widget)
        return QString();
    if (step.kind == ScanLoop::Step::Icon)
        return static_cast<APIconQLabel *>(widget)->name;
    // The house opens the shut-down dialog, and is named after it while scanning.
    const QString shutDown = theSettings.getString(TextSetting::SYSTEMTRAY_SHUTDOWN_TOOLTIPNAME);
    if (step.kind == ScanLoop::Step::House && !shutDown.isEmpty() && shutDown != QLatin1String("NULL"))
        return shutDown;
    if (!widget->accessibleName().isEmpty())
        return widget->accessibleName();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text().remove(u'&');
    return QString();
}

IconQLabel *SwitchScanner::button(int kind) const
{
    return launcher && launcher->titleBar() ? launcher->titleBar()->button(kind) : nullptr;
}

// Minimised or hidden, the launcher is not what the person looks at; its loop waits.
bool SwitchScanner::launcherAway() const
{
    return !launcher || !launcher->isVisible() || launcher->isMinimized();
}

void SwitchScanner::restart()
{
    index = -1;
    shownView = view();
    steps = ScanLoop::of(shownView);
    step();
    if (timer.interval() > 0)
        timer.start();
}

void SwitchScanner::step()
{
    const ScanLoop::View now = view();
    if (now != shownView) {
        shownView = now;
        steps = ScanLoop::of(now);
        index = -1;
    }
    if (steps.isEmpty() || (now.dialogButtons < 0 && launcherAway())) {
        if (launcherFrame)
            launcherFrame->hide();
        return;
    }
    index = (index + 1) % int(steps.size());
    highlightStep();
    if (stepMarkersWanted()) {
        printDiagnostic(QStringLiteral("scan-step %1 %2 %3")
                            .arg(double(scanClock().nsecsElapsed()) / 1e6, 0, 'f', 2)
                            .arg(index)
                            .arg(nameOf(steps.at(index))));
    }
}

void SwitchScanner::highlightStep()
{
    const ScanLoop::Step step = steps.at(index);
    QWidget *widget = widgetOf(step);
    if (step.kind == ScanLoop::Step::Icon) {
        // The launcher's own highlight, which also tells the reader and the voice.
        launcher->selectIcon(step.index);
    } else {
        reporter->highlighted(widget, nameOf(step));
    }
    if (step.kind == ScanLoop::Step::DialogButton) {
        if (launcherFrame)
            launcherFrame->hide();
        // Where the dialog's buttons take the keyboard's focus, it goes with the highlight, so
        // that the keys and the switch mean the same button.
        if (widget && widget->focusPolicy() != Qt::NoFocus)
            widget->setFocus(Qt::OtherFocusReason);
        QWidget *dialog = openDialog();
        if (!dialogFrame || dialogFrame->parentWidget() != dialog) {
            delete dialogFrame;
            dialogFrame = new ScanFrame(dialog);
        }
        dialogFrame->frame(widget);
        return;
    }
    launcherFrame->frame(widget);
}

void SwitchScanner::activate()
{
    if (index < 0 || index >= steps.size())
        return;
    const ScanLoop::Step chosen = steps.at(index);
    // The view may have changed since the last step (a page turned by the keyboard): what
    // the person saw highlighted is what is done, or nothing.
    if (view() != shownView)
        return restart();
    // The timer keeps running: an action that opens a dialog waits in it, and the dialog's
    // buttons are scanned meanwhile.
    perform(chosen);
    restart();
}

void SwitchScanner::perform(const ScanLoop::Step &step)
{
    QWidget *widget = widgetOf(step);
    if (!widget)
        return;
    switch (step.kind) {
    case ScanLoop::Step::Icon:
        launcher->selectIcon(step.index);
        launcher->handleMessage(platform::kWmKeyDown, platform::kVkReturn);
        break;
    case ScanLoop::Step::PageDown:
        turnPage();
        break;
    case ScanLoop::Step::Back:
        launcher->dispatchAction(nullptr, button(ActionKind::Back), nullptr);
        break;
    case ScanLoop::Step::Tab:
        launcher->chooseTab(static_cast<TabQLabel *>(widget));
        break;
    case ScanLoop::Step::DialogButton:
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->click();
        else if (auto *label = qobject_cast<ShutdownQLabel *>(widget))
            emit label->LabelPress();
        break;
    case ScanLoop::Step::House:
        openShutDownDialog();
        break;
    }
}

void SwitchScanner::openShutDownDialog()
{
    launcher->finishStart();
    if (theShutDownDialog)
        theShutDownDialog->setVisible(true);
}

// With one switch there is no page-up: from the last page, page-down goes round to the first.
void SwitchScanner::turnPage()
{
    const int count = int(launcher->tab(launcher->currentTab())->icons.size());
    const int perPage = iconsPerPage();
    const int page = launcher->selectedIcon() / perPage;
    if ((page + 1) * perPage < count) {
        launcher->dispatchAction(nullptr, button(ActionKind::PageDown), nullptr);
        return;
    }
    for (int p = page; p > 0; --p)
        launcher->dispatchAction(nullptr, button(ActionKind::PageUp), nullptr);
}

// The launcher's window and the dialog scanned; the tray's icons and menus keep their own
// clicks and keys, so that a carer reaches the settings and the exit while scanning runs.
bool SwitchScanner::onScannedWindow(QObject *watched) const
{
    if (!watched->isWidgetType())
        return false;
    const QWidget *window = static_cast<QWidget *>(watched)->window();
    return (launcher && window == launcher) || window == openDialog();
}

SwitchScanner::Press SwitchScanner::pressOf(QObject *watched, QEvent *event)
{
    if (!onScannedWindow(watched))
        return Press::None;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        // A space typed into a text field is a space; Return on the PIN pad is its OK.
        if (key->key() == Qt::Key_Space && qobject_cast<QLineEdit *>(watched))
            return Press::None;
        if (key->key() != Qt::Key_Space && qobject_cast<PinPadDialog *>(static_cast<QWidget *>(watched)->window()))
            return Press::None;
        if (!isSwitchKey(key))
            return Press::None;
        // A held key is one press, not a stream of them.
        return held.pressStarts(key) ? Press::Switch : Press::Repeat;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return Press::Switch;
    default:
        return Press::None;
    }
}

bool SwitchScanner::eventFilter(QObject *watched, QEvent *event)
{
    // Installed only while scanning (start()), the filter needs no check of its own.
    // A switch held down may be let go over another window, or in another program.
    if (event->type() == QEvent::KeyRelease)
        held.released(static_cast<QKeyEvent *>(event));
    else if (event->type() == QEvent::ApplicationStateChange
             && static_cast<QApplicationStateChangeEvent *>(event)->applicationState() != Qt::ApplicationActive)
        held.forget();
    const Press press = pressOf(watched, event);
    if (press == Press::Switch)
        activate();
    return press != Press::None;
}
