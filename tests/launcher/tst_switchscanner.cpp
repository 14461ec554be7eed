// One-switch scanning: the order of the loop on every kind of page and in dialogs, what the
// switch does at each kind of step, where the loop starts again, and what is said.

#include "LauncherFixture.h"

#include "dialogs/LumbraShutDown.h"
#include "dialogs/PinPadDialog.h"
#include "launcher/HighlightReporter.h"
#include "launcher/ScanLoop.h"
#include "launcher/SwitchScanner.h"
#include "launcher/TabEntry.h"
#include "launcher/TitleBar.h"
#include "launcher/lumbra.h"
#include "settings/ActionKind.h"
#include "settings/PinHash.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/IconQLabel.h"
#include "widgets/ScanFrame.h"
#include "widgets/ShutdownQLabel.h"
#include "widgets/TabQLabel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using Step = ScanLoop::Step;
Q_DECLARE_METATYPE(ScanLoop::View)

namespace {

// Tab 1: 20 icons, two pages of 18 at six columns; tab 2: icon 1, a folder (icon 3) opening
// the sub-tab 4, icon 2; tab 3: none; tab 4, a sub-tab: 36 icons, two full pages.
LauncherStore scanStore()
{
    LauncherStore store({LauncherStore::iconList(10, 29), QStringLiteral("1.3.2"), QString(),
                         LauncherStore::iconList(10, 45)});
    store.iconCount = 46;
    store.subTabs = 1;
    store.folderTarget = 4;
    return store;
}

QList<Step> iconSteps(int first, int count, Step::Kind kind = Step::Icon)
{
    QList<Step> steps;
    for (int i = first; i < first + count; ++i)
        steps.append({kind, i});
    return steps;
}

const auto tabSteps = [](int count) { return iconSteps(0, count, Step::Tab); };

const QList<Step> down = {{Step::PageDown, 0}}, back = {{Step::Back, 0}};

QStringList describe(const QList<Step> &steps)
{
    static const char *const kinds[] = {"icon", "page-down", "back", "tab", "button", "house"};
    QStringList out;
    for (const Step &step : steps)
        out.append(QStringLiteral("%1 %2").arg(QLatin1String(kinds[step.kind])).arg(step.index));
    return out;
}

} // namespace

class tst_SwitchScanner : public LauncherFixture
{
    Q_OBJECT

private slots:
    void loopOrder_data();
    void loopOrder();
    void stepTime_data();
    void stepTime();
    void loopOnTheLauncher_data();
    void loopOnTheLauncher();
    void switchDoesWhatIsHighlighted_data();
    void switchDoesWhatIsHighlighted();
    void everySwitchInputActs_data();
    void everySwitchInputActs();
    void dialogButtonsAreScannedInstead();
    void houseLeadsToTheShutDownDialogAndPinPadKeepsItsReturn();
    void eachStepIsSpokenAndFramed();
    void offMeansNoFilterAndNoFrame();

private:
    void start(int stepMs = 1500);
    // Tab 0, 1 or 2 by its label, or the sub-tab 3 through its folder icon, pages turned.
    void show(int tab, int pagesDown);
    void stepTo(int index);
};

void tst_SwitchScanner::start(int stepMs)
{
    scanStore().fill(theSettings);
    theSettings.mySystem.SWITCH_SCAN_MS = stepMs;
    theSettings.mySystem.SPEAK_NAMES = 1;
    startOnSettings();
}

void tst_SwitchScanner::show(int tab, int pagesDown)
{
    start();
    launcher->dispatchAction(nullptr, nullptr, launcher->tab(tab == 3 ? 1 : tab)->tabLabel);
    if (tab == 3)
        launcher->dispatchAction(launcher->iconAt(1, 1), nullptr, nullptr);
    for (int p = 0; p < pagesDown; ++p)
        clickButton(ActionKind::PageDown);
    scanner()->step();
}

// Steps by hand, as the timer would, until the given step is highlighted.
void tst_SwitchScanner::stepTo(int index)
{
    for (int guard = 0; scanner()->currentStep() != index && guard < 1000; ++guard)
        scanner()->step();
    QCOMPARE(scanner()->currentStep(), index);
}

void tst_SwitchScanner::loopOrder_data()
{
    QTest::addColumn<ScanLoop::View>("view");
    QTest::addColumn<QList<Step>>("expected");

    auto view = [](int first, int count, bool down, bool back, int tabs, int buttons = -1) {
        ScanLoop::View v;
        v.firstIcon = first;
        v.iconCount = count;
        v.pageDownShown = down;
        v.backShown = back;
        v.topLevelTabs = tabs;
        v.dialogButtons = buttons;
        return v;
    };
    QTest::newRow("one page") << view(0, 3, false, false, 2) << iconSteps(0, 3) + tabSteps(2);
    QTest::newRow("first of two pages") << view(0, 18, true, false, 3) << iconSteps(0, 18) + down + tabSteps(3);
    QTest::newRow("second page") << view(18, 2, true, false, 3) << iconSteps(18, 2) + down + tabSteps(3);
    QTest::newRow("sub-tab") << view(0, 2, false, true, 3) << iconSteps(0, 2) + back + tabSteps(3);
    QTest::newRow("paged sub-tab") << view(0, 18, true, true, 3) << iconSteps(0, 18) + down + back + tabSteps(3);
    QTest::newRow("empty tab") << view(0, 0, false, false, 3) << tabSteps(3);
    QTest::newRow("nothing at all") << view(0, 0, false, false, 0) << QList<Step>();
    QTest::newRow("dialog") << view(0, 18, true, true, 3, 3)
                            << QList<Step>{{Step::DialogButton, 0}, {Step::DialogButton, 1}, {Step::DialogButton, 2}};
    QTest::newRow("dialog without buttons") << view(0, 3, false, false, 2, 0) << QList<Step>();
    QTest::newRow("absurd counts are cut") << view(0, 1 << 30, true, true, 1 << 30) << iconSteps(0, 100000);
}

void tst_SwitchScanner::loopOrder()
{
    QFETCH(ScanLoop::View, view);
    QFETCH(QList<Step>, expected);
    QCOMPARE(describe(ScanLoop::of(view)), describe(expected));
}

void tst_SwitchScanner::stepTime_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("step");
    QTest::newRow("absent") << 0 << 0;
    QTest::newRow("negative") << -1500 << 0;
    QTest::newRow("too quick to follow") << 1 << SwitchScanner::kShortestStep;
    QTest::newRow("usual") << 1500 << 1500;
    QTest::newRow("end-to-end test") << 300 << 300;
    QTest::newRow("a day") << 86400000 << SwitchScanner::kLongestStep;
}

void tst_SwitchScanner::stepTime()
{
    QFETCH(int, setting);
    QFETCH(int, step);
    QCOMPARE(SwitchScanner::stepTime(setting), step);
}

// The loop as the real launcher builds it, after going to a tab or a page by hand.
void tst_SwitchScanner::loopOnTheLauncher_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("pagesDown");
    QTest::addColumn<QList<Step>>("expected");
    QTest::newRow("first page of a paged tab") << 0 << 0 << iconSteps(0, 18) + down + tabSteps(3);
    QTest::newRow("second page") << 0 << 1 << iconSteps(18, 2) + down + tabSteps(3);
    QTest::newRow("short tab") << 1 << 0 << iconSteps(0, 3) + tabSteps(3);
    QTest::newRow("empty tab") << 2 << 0 << tabSteps(3);
    QTest::newRow("paged sub-tab") << 3 << 0 << iconSteps(0, 18) + down + back + tabSteps(3);
    QTest::newRow("last of two full pages") << 3 << 1 << iconSteps(18, 18) + down + back + tabSteps(3);
}

void tst_SwitchScanner::loopOnTheLauncher()
{
    QFETCH(int, tab);
    QFETCH(int, pagesDown);
    QFETCH(QList<Step>, expected);
    show(tab, pagesDown);
    QCOMPARE(describe(scanner()->loop()), describe(expected));
    // After its last step the loop starts again; it does not stop.
    const int highlighted = scanner()->currentStep();
    for (int n = 0; n < expected.size(); ++n)
        scanner()->step();
    QCOMPARE(scanner()->currentStep(), highlighted);
}

void tst_SwitchScanner::switchDoesWhatIsHighlighted_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("pagesDown");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("started");
    QTest::addColumn<int>("currentTab");
    QTest::addColumn<int>("firstIcon");
    QTest::addColumn<bool>("backShown");

    QTest::newRow("third icon starts its program") << 0 << 0 << 2 << "/opt/apps/app12" << 0 << 0 << false;
    QTest::newRow("page-down shows the next page") << 0 << 0 << 18 << "" << 0 << 18 << false;
    QTest::newRow("page-down on the last page goes round") << 0 << 1 << 2 << "" << 0 << 0 << false;
    QTest::newRow("a tab shows its first page") << 0 << 0 << 20 << "" << 1 << 0 << false;
    QTest::newRow("folder icon opens the sub-tab") << 1 << 0 << 1 << "" << 3 << 0 << true;
    QTest::newRow("tab from a short tab") << 1 << 0 << 3 << "" << 0 << 0 << false;
    QTest::newRow("page-down of full pages, to the second") << 3 << 0 << 18 << "" << 3 << 18 << true;
    QTest::newRow("page-down of full pages goes round") << 3 << 1 << 18 << "" << 3 << 0 << true;
    QTest::newRow("back leaves the sub-tab") << 3 << 0 << 19 << "" << 1 << 0 << false;
}

void tst_SwitchScanner::switchDoesWhatIsHighlighted()
{
    QFETCH(int, tab);
    QFETCH(int, pagesDown);
    QFETCH(int, step);
    QFETCH(QString, started);
    QFETCH(int, currentTab);
    QFETCH(int, firstIcon);
    QFETCH(bool, backShown);
    show(tab, pagesDown);
    stepTo(step);
    platform->shell.starts.clear();
    // Return is a switch too: it does what is highlighted, not what it would do unscanned.
    QTest::keyClick(launcher->tab(tab)->page, Qt::Key_Return);
    QCOMPARE(platform->shell.starts.isEmpty(), started.isEmpty());
    if (!started.isEmpty())
        QVERIFY2(platform->shell.starts.first().program.contains(started), qPrintable(platform->shell.starts.first().program));
    QCOMPARE(launcher->currentTab(), currentTab);
    QCOMPARE(button(ActionKind::Back)->isVisible(), backShown);
    // The loop starts again from the first icon of what is shown now.
    QCOMPARE(scanner()->currentStep(), 0);
    const QList<Step> loop = scanner()->loop();
    QVERIFY(!loop.isEmpty());
    QCOMPARE(describe({loop.first()}), describe({{Step::Icon, firstIcon}}));
    QCOMPARE(launcher->selectedIcon(), firstIcon);
}

void tst_SwitchScanner::everySwitchInputActs_data()
{
    QTest::addColumn<QString>("input"); // a click, a held key, or nothing but the key
    QTest::addColumn<int>("pressed"); // the key pressed on the page
    QTest::addColumn<int>("acts"); // how many starts
    QTest::newRow("space") << "" << int(Qt::Key_Space) << 1;
    QTest::newRow("return") << "" << int(Qt::Key_Return) << 1;
    QTest::newRow("enter") << "" << int(Qt::Key_Enter) << 1;
    QTest::newRow("click on the page") << "click page" << 0 << 1;
    QTest::newRow("click on the tab strip") << "click strip" << 0 << 1;
    QTest::newRow("another key") << "" << int(Qt::Key_X) << 0;
    QTest::newRow("held space repeating") << "repeat" << 0 << 1;
    QTest::newRow("held space, let go in another program") << "away" << 0 << 2;
}

// Whatever the switch box sends, the highlighted icon (the third) starts, and only it.
void tst_SwitchScanner::everySwitchInputActs()
{
    QFETCH(QString, input);
    QFETCH(int, pressed);
    QFETCH(int, acts);
    start();
    stepTo(2);
    platform->shell.starts.clear();
    QWidget *page = launcher->tab(0)->page;
    if (pressed != 0)
        QTest::keyClick(page, Qt::Key(pressed));
    else if (input == QLatin1String("click page"))
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(5, page->height() - 5));
    else if (input == QLatin1String("click strip"))
        QTest::mouseClick(launcher->titleBar()->tabArea(), Qt::RightButton, {},
                          QPoint(launcher->titleBar()->tabArea()->width() - 2, 2));
    // Held, the space acts once, whether Qt marks a repeat or not (a release and a press at one time);
    // after the keyboard went to another program (0), the next press is a new one.
    QApplicationStateChangeEvent away(Qt::ApplicationInactive);
    for (int time : input == QLatin1String("repeat") ? QList<int>{10, 50, -90, 90}
             : input == QLatin1String("away")        ? QList<int>{10, 0, 60}
                                                     : QList<int>()) {
        if (time == 0) {
            QApplication::sendEvent(qApp, &away);
            continue;
        }
        QKeyEvent key(time < 0 ? QEvent::KeyRelease : QEvent::KeyPress, Qt::Key_Space, {}, QStringLiteral(" "),
                      time == 50);
        key.setTimestamp(std::abs(time));
        QApplication::sendEvent(page, &key);
    }
    QCOMPARE(platform->shell.starts.size(), acts);
    if (acts)
        QVERIFY(platform->shell.starts.first().program.contains(QLatin1String("/opt/apps/app12")));
}

void tst_SwitchScanner::dialogButtonsAreScannedInstead()
{
    start();
    stepTo(1);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Lumbra"), QStringLiteral("Sure?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, launcher.get());
    box.open();
    QVERIFY(box.isVisible());
    scanner()->step();
    const QList<Step> loop = scanner()->loop();
    QCOMPARE(describe(loop), describe({{Step::DialogButton, 0}, {Step::DialogButton, 1}, {Step::DialogButton, 2}}));
    // The launcher's loop waits: its highlight stays where it was.
    QCOMPARE(launcher->selectedIcon(), 1);
    // Buttons come in reading order, and go round; the second is chosen.
    for (int n = 0; n < 4; ++n)
        scanner()->step();
    QAbstractButton *second = qobject_cast<QAbstractButton *>(scanner()->widgetOf(loop.at(1)));
    // Only the dialog's frame shows, round the button that has the keyboard's focus.
    QVERIFY(second && box.focusWidget() == second && box.findChild<ScanFrame *>()->isVisible());
    QVERIFY(!launcher->findChild<ScanFrame *>(QString(), Qt::FindDirectChildrenOnly)->isVisible());
    QSignalSpy clicked(&box, &QMessageBox::buttonClicked);
    QTest::keyClick(&box, Qt::Key_Space);
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked.first().first().value<QAbstractButton *>(), second);
    QVERIFY(!box.isVisible());
    QVERIFY(platform->shell.starts.isEmpty());
    // Back on the launcher, the loop starts from its first icon.
    QCOMPARE(describe({scanner()->loop().value(scanner()->currentStep())}), describe({{Step::Icon, 0}}));
}

void tst_SwitchScanner::houseLeadsToTheShutDownDialogAndPinPadKeepsItsReturn()
{
    LumbraShutDown shutDown(nullptr);
    theShutDownDialog = &shutDown;
    start();
    scanner()->step();
    stepTo(int(scanner()->loop().size()) - 1);
    scanner()->activate();
    QVERIFY(shutDown.isVisible());
    // Its buttons are read as they stand: the top row from the left, a pixel up or down.
    QCOMPARE(scanner()->widgetOf(scanner()->loop().at(1)), shutDown.taskManagerLabel);
    // Digits and Return are the PIN pad's own; only Space is the switch there.
    PinPadDialog pad(PinHash::make(QStringLiteral("2468")));
    pad.open();
    scanner()->step();
    for (Qt::Key key : {Qt::Key_2, Qt::Key_4, Qt::Key_6, Qt::Key_8, Qt::Key_Return})
        QTest::keyClick(&pad, key);
    QCOMPARE(pad.result(), int(QDialog::Accepted));
    theShutDownDialog = nullptr;
}

void tst_SwitchScanner::eachStepIsSpokenAndFramed()
{
    start();
    QCoreApplication::processEvents();
    platform->speech.calls.clear();
    for (int n = 0; n < 3; ++n) {
        scanner()->step();
        QCoreApplication::processEvents();
    }
    stepTo(18);
    QCoreApplication::processEvents();
    scanner()->step();
    QCoreApplication::processEvents();
    QCOMPARE(platform->speech.said(), (QStringList{QStringLiteral("Icon 11"), QStringLiteral("Icon 12"),
                                                   QStringLiteral("Icon 13"), QStringLiteral("Next page"),
                                                   QStringLiteral("Tab 1")}));
    auto *frame = launcher->findChild<ScanFrame *>();
    QVERIFY(frame && frame->isVisible());
    QWidget *tab = launcher->tab(0)->tabLabel;
    const QRect tabArea(tab->mapTo(launcher.get(), QPoint(0, 0)), tab->size());
    QVERIFY(frame->geometry().contains(tabArea.center()));
    // Hidden, the launcher is not scanned: its frame goes.
    launcher->hide();
    scanner()->step();
    QVERIFY(frame->isHidden());
}

void tst_SwitchScanner::offMeansNoFilterAndNoFrame()
{
    start(0);
    QVERIFY(!scanner()->isScanning());
    platform->shell.starts.clear();
    QTest::keyClick(launcher->tab(0)->page, Qt::Key_Space);
    QTest::mouseClick(launcher->tab(0)->page, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(platform->shell.starts.isEmpty());
    auto *frame = launcher->findChild<ScanFrame *>();
    QVERIFY(!frame || !frame->isVisible());
}

QTEST_MAIN(tst_SwitchScanner)
#include "tst_switchscanner.moc"
