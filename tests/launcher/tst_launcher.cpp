// The launcher window driven as the keyboard, the mouse and the screen drive it: its
// messages, its actions and what they leave in the store.

#include "FifoWatch.h"
#include "LauncherFixture.h"
#include "TestWidgets.h"

#include "app/TrayIcon.h"
#include "app/selectlumbraorwin.h"
#include "dialogs/NewIcon.h"
#include "dialogs/ThemeSettingDialog.h"
#include "launcher/ScanLoop.h"
#include "launcher/SwitchScanner.h"
#include "launcher/TabEntry.h"
#include "launcher/TargetCheck.h"
#include "launcher/TitleBar.h"
#include "launcher/lumbra.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/IconQLabel.h"
#include "widgets/TabQLabel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

namespace {

// Tab 1: 20 icons on two pages of 18; tab 2: a folder icon (3) opening the sub-tab 5;
// tab 3: none; tab 4: two icons; tab 5, a sub-tab: two icons.
LauncherStore standardStore()
{
    LauncherStore store({LauncherStore::iconList(10, 29), QStringLiteral("1.3.2"), QString(), QStringLiteral("4.5"),
                         QStringLiteral("6.7")});
    store.subTabs = 1;
    store.folderTarget = 5;
    store.userIcons = {4, 5, 6};
    return store;
}

QList<int> range(int first, int last)
{
    QList<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers.append(n);
    return numbers;
}

} // namespace

class tst_Launcher : public LauncherFixture
{
    Q_OBJECT

private slots:
    void fillsTheScreen();
    void restOfStartComesOnceBeforeTheOtherPages();
    void stripShowsTopLevelTabsOnly_data();
    void stripShowsTopLevelTabsOnly();
    void paging_data();
    void paging();
    void arrowKeys_data();
    void arrowKeys();
    void tabKeysWrapOverTopLevelTabs_data();
    void tabKeysWrapOverTopLevelTabs();
    void subTabAndBack_data();
    void subTabAndBack();
    void tabChosenBeforeTheTimerGetsItsPage();
    void escapeCloseAndHouseNeverHideTheLauncher();
    void aShiftReleasedElsewhereIsForgotten();
    void workingDirectory_data();
    void workingDirectory();
    void fileKind_data();
    void fileKind();
    void removeIcon_data();
    void removeIcon();
    void removingTheLastIconOfAPageShowsThePageBefore();
    void addedIconIsStoredAndShown();
    void aDropPushesTheLastOfAPageOn_data();
    void aDropPushesTheLastOfAPageOn();
    void displayChangeLaysOutAnew_data();
    void displayChangeLaysOutAnew();
    void backBarFollowsTheScreen();
    void listsThatPointNowhere();
    void aHugeListShowsItsFirstThousandPlaces();
    void picturesThatAreNoFilesAreNotOpened();
    void absurdSizesStayOnTheScreen_data();
    void absurdSizesStayOnTheScreen();
    void refusedSavesAreTakenBackAndTold_data();
    void refusedSavesAreTakenBackAndTold();
    void changesLandOnTheStoreAsItIsNow_data();
    void changesLandOnTheStoreAsItIsNow();
    void noSettingsAreSaidWithAWayOut_data();
    void noSettingsAreSaidWithAWayOut();

private:
    // Does what a person does: "delete" the icon shown first, "add" a drop, "undo", "music",
    // the "theme" dialog's or the "settings" dialog's OK, "first" start's question.
    void act(const QString &action);
};

void tst_Launcher::fillsTheScreen()
{
    platform->screen.width = 1024;
    platform->screen.height = 570;
    platform->screen.caption = 19;
    start(standardStore());
    QCOMPARE(launcher->geometry(), QRect(0, 0, 1024, 570));
    QCOMPARE(launcher->minimumSize(), QSize(1024, 570));
    QCOMPARE(launcher->maximumSize(), QSize(1024, 570));
    QCOMPARE(launcher->windowTitle(), QStringLiteral("Lumbra"));
    QVERIFY(launcher->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(launcher->titleBar()->tabArea()->geometry(), QRect(0, 0, 1024, 64));
    QCOMPARE(tab(0)->page->geometry(), QRect(0, 64, 1024, 570 - 64));
}

void tst_Launcher::stripShowsTopLevelTabsOnly_data()
{
    QTest::addColumn<QList<int>>("parents");
    QTest::addColumn<QList<int>>("strip");
    QTest::addColumn<int>("problems");
    QTest::newRow("two sub-tabs last") << QList<int>{0, 0, 0, 1, 1} << QList<int>{0, 1, 2} << 0;
    QTest::newRow("a sub-tab in the middle") << QList<int>{0, 1, 0, 0, 0} << QList<int>{0, 2, 3, 4} << 0;
    QTest::newRow("the first a sub-tab") << QList<int>{2, 0, 0, 0, 0} << QList<int>{1, 2, 3, 4} << 0;
    QTest::newRow("its own parent") << QList<int>{0, 0, 0, 0, 5} << QList<int>{0, 1, 2, 3, 4} << 1;
    QTest::newRow("a folder under a ring") << QList<int>{0, 3, 2, 2, 0} << QList<int>{0, 1, 2, 4} << 1;
    QTest::newRow("parents out of range") << QList<int>{0, -1, 0, 0, 6} << QList<int>{0, 1, 2, 3, 4} << 2;
}

// Tabs 160 wide side by side, a separator of 2 before and after each; Tab and the scan go round.
void tst_Launcher::stripShowsTopLevelTabsOnly()
{
    QFETCH(QList<int>, parents);
    QFETCH(QList<int>, strip);
    QFETCH(int, problems);
    standardStore().fill(theSettings);
    for (int t = 0; t < parents.size(); ++t)
        theSettings.tabs[t].TAB_ITEM_PARENT = parents.at(t);
    // Identifiers that name no place: a click on those tabs still shows them.
    theSettings.tabs[0].TAB_ITEM_ID = 0;
    theSettings.tabs[2].TAB_ITEM_ID = 99;
    StderrCapture stderrLines;
    startOnSettings();
    QCOMPARE(stderrLines.lines().filter(QStringLiteral("parent")).size(), problems);
    QList<int> labels, separators, expectedSeparators = {2};
    for (int t = 0; t < launcher->tabCount(); ++t) {
        if (!tab(t)->tabLabel->isHidden())
            labels.append(t);
    }
    for (const QLabel *separator : launcher->titleBar()->tabArea()->findChildren<QLabel *>()) {
        if (separator->metaObject() == &QLabel::staticMetaObject && !separator->isHidden())
            separators.append(separator->x());
    }
    QCOMPARE(labels, strip);
    for (int place = 0; place < strip.size(); ++place) {
        expectedSeparators.append((place + 1) * 162);
        QCOMPARE(tab(strip.at(place))->tabLabel->x(), 2 + place * 162);
        QCOMPARE(scanner()->widgetOf({ScanLoop::Step::Tab, place}), tab(strip.at(place))->tabLabel);
        QCOMPARE(launcher->currentTab(), strip.at(place));
        key(platform::kVkTab);
    }
    QCOMPARE(separators, expectedSeparators);
    for (const int t : {2, 0}) {
        launcher->dispatchAction(nullptr, nullptr, tab(t)->tabLabel);
        QCOMPARE(launcher->currentTab(), t);
    }
    // A theme chosen while the launcher runs gives every separator its picture.
    ThemeInfo dark = theSettings.themes.at(0);
    dark.THEME_NAME = QStringLiteral("Dark");
    dark.SEPARATE_PNG_NAME = dark.TITLEBAR_PNG_NAME = QStringLiteral("line.png");
    dark.THEME_TAB_AREA_BACKGROUND_COLOR_R = dark.THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR_G = 201;
    theSettings.themes.append(dark);
    // Smaller than a separator's place, which it fills.
    QImage line(1, 16, QImage::Format_ARGB32);
    line.fill(Qt::red);
    QVERIFY(QDir().mkpath(folderPath(QStringLiteral("Theme/Dark"))));
    QVERIFY(line.save(folderPath(QStringLiteral("Theme/Dark/line.png"))));
    theSettings.mySystem.CURRENT_THEME = 2;
    launcher->applyTheme();
    for (QLabel *separator : launcher->titleBar()->tabArea()->findChildren<QLabel *>()) {
        if (separator->metaObject() == &QLabel::staticMetaObject) {
            const QImage drawn = separator->grab().toImage();
            QCOMPARE(drawn.pixelColor(drawn.width() - 1, drawn.height() - 1), QColor(Qt::red));
        }
    }
    // The title bar's picture fills the bar, and every tab is painted in the theme's colours.
    QImage bar(launcher->titleBar()->tabArea()->size(), QImage::Format_ARGB32);
    launcher->titleBar()->tabArea()->render(&bar, {}, {}, QWidget::DrawWindowBackground);
    QCOMPARE(bar.pixelColor(bar.width() - 1, bar.height() - 1), QColor(Qt::red));
    for (int t : strip) {
        const bool chosen = t == launcher->currentTab();
        QCOMPARE(tab(t)->tabLabel->grab().toImage().pixelColor(1, 1),
                 theSettings.getColor(chosen ? ColourSetting::THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR
                                             : ColourSetting::THEME_TAB_AREA_BACKGROUND_COLOR));
    }
}

void tst_Launcher::paging_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("firstShown");
    QTest::newRow("twenty icons") << 20 << QList<int>{18, 18, 0};
    QTest::newRow("exactly one page: no paging") << 18 << QList<int>{0, 0, 0};
    QTest::newRow("exactly two pages: no empty third") << 36 << QList<int>{18, 18, 0};
}

// Page-down twice and page-up: never onto an empty page, the highlight on the first icon
// shown, the buttons on every page of a tab that has more than one.
void tst_Launcher::paging()
{
    QFETCH(int, count);
    QFETCH(QList<int>, firstShown);
    LauncherStore store = standardStore();
    store.iconCount = 40;
    store.tabIcons[0] = LauncherStore::iconList(1, count);
    start(store);
    QCOMPARE(visiblePositions(0), range(0, std::min(count, 18) - 1));
    for (int press = 0; press < 3; ++press) {
        const int first = firstShown.at(press);
        clickButton(press < 2 ? ActionKind::PageDown : ActionKind::PageUp);
        QCOMPARE(visiblePositions(0), range(first, std::min(count, first + 18) - 1));
        QCOMPARE(launcher->selectedIcon(), first);
        for (int kind : {ActionKind::PageUp, ActionKind::PageDown})
            QCOMPARE(!button(kind)->isHidden() && button(kind)->parentWidget() == tab(0)->page, count > 18);
    }
    if (count > 18)
        QCOMPARE(launcher->iconAt(0, 18)->pos(), launcher->iconAt(0, 0)->pos());
}

void tst_Launcher::arrowKeys_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<unsigned>("key");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("firstVisible");

    QTest::newRow("right within a page") << 4 << platform::kVkRight << 5 << 0;
    QTest::newRow("right from 17 turns the page") << 17 << platform::kVkRight << 18 << 18;
    QTest::newRow("right from the last does nothing") << 19 << platform::kVkRight << 19 << 18;
    QTest::newRow("left from 18 turns back") << 18 << platform::kVkLeft << 17 << 0;
    QTest::newRow("left from 0 does nothing") << 0 << platform::kVkLeft << 0 << 0;
    QTest::newRow("down within a page") << 2 << platform::kVkDown << 8 << 0;
    QTest::newRow("down from 14 does nothing") << 14 << platform::kVkDown << 14 << 0;
    QTest::newRow("down from 13 turns the page") << 13 << platform::kVkDown << 19 << 18;
    QTest::newRow("up from 18 turns back") << 18 << platform::kVkUp << 12 << 0;
    QTest::newRow("up from 5 does nothing") << 5 << platform::kVkUp << 5 << 0;
    QTest::newRow("up within a page") << 9 << platform::kVkUp << 3 << 0;
}

void tst_Launcher::arrowKeys()
{
    QFETCH(int, from);
    QFETCH(unsigned, key);
    QFETCH(int, selected);
    QFETCH(int, firstVisible);
    standardStore().fill(theSettings);
    theSettings.themes[0].MASK_PNG_NAME = QStringLiteral("mask.png");
    QImage mask(120, 120, QImage::Format_ARGB32);
    mask.fill(Qt::blue);
    QVERIFY(QDir().mkpath(folderPath(QStringLiteral("Theme/Light"))));
    QVERIFY(mask.save(folderPath(QStringLiteral("Theme/Light/mask.png"))));
    startOnSettings();
    // Walk to the start the way a person would, with the arrow keys.
    for (int s = 0; s < from; ++s)
        this->key(platform::kVkRight);
    QCOMPARE(launcher->selectedIcon(), from);
    this->key(key);
    QCOMPARE(launcher->selectedIcon(), selected);
    QCOMPARE(visiblePositions(0).first(), firstVisible);
    // Before the page-build timer: a page turned to paints its icons' faces as they show.
    for (int position : visiblePositions(0))
        QVERIFY2(!icon(0, position)->pixmap().isNull(), qPrintable(QString::number(position)));
    // Only the highlighted icon is flagged selected and drawn on the mask; the pointer coming
    // onto another takes both with it.
    APIconQLabel *other = icon(0, selected == firstVisible ? firstVisible + 1 : firstVisible);
    for (const bool moved : {false, true}) {
        const int highlighted = moved ? other->position : selected;
        for (const APIconQLabel *shown : tab(0)->icons) {
            const bool masked = shown->pixmap().toImage().pixelColor(2, 2) == QColor(Qt::blue);
            QCOMPARE(shown->isSelected() || masked, shown->position == highlighted);
            QCOMPARE(shown->isSelected() && masked, shown->position == highlighted);
        }
        sendMouse(other, QEvent::MouseMove, QPoint(10, 10), Qt::NoButton);
    }
}

void tst_Launcher::tabKeysWrapOverTopLevelTabs_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<int>("to");

    QTest::newRow("tab moves on") << 0 << false << 1;
    QTest::newRow("tab on the last top-level tab wraps") << 3 << false << 0;
    QTest::newRow("shift+tab on the first wraps") << 0 << true << 3;
    QTest::newRow("shift+tab moves back") << 2 << true << 1;
    QTest::newRow("tab from a sub-tab goes to the first") << 4 << false << 0;
    QTest::newRow("shift+tab from a sub-tab goes to the last") << 4 << true << 3;
}

void tst_Launcher::tabKeysWrapOverTopLevelTabs()
{
    QFETCH(int, from);
    QFETCH(bool, shift);
    QFETCH(int, to);
    start(standardStore());
    // Sub-tab 4 is reached through the folder icon at position 1 of tab 1.
    launcher->dispatchAction(nullptr, nullptr, tab(from == 4 ? 1 : from)->tabLabel);
    if (from == 4)
        launcher->dispatchAction(launcher->iconAt(1, 1), nullptr, nullptr);
    QCOMPARE(launcher->currentTab(), from);
    if (shift)
        key(platform::kVkShift);
    key(platform::kVkTab);
    key(platform::kVkShift, false);
    QCOMPARE(launcher->currentTab(), to);
    QVERIFY(!tab(to)->page->isHidden());
    QVERIFY(launcher->titleBar()->backBar()->isHidden());
    // Only the label of the tab shown is drawn in the reversed colours.
    const QColor strip = theSettings.getColor(ColourSetting::THEME_TAB_AREA_BACKGROUND_COLOR);
    for (int t = 0; t < 4; ++t)
        QCOMPARE(tab(t)->tabLabel->pixmap().toImage().pixelColor(1, 1) != strip, t == to);
}

void tst_Launcher::subTabAndBack_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("shown");
    QTest::newRow("a tab pressed is the way back") << "0 3 back" << QList<int>{0, 3, 0};
    QTest::newRow("three folders deep") << "1 open open open back back back back" << QList<int>{1, 4, 5, 6, 5, 4, 1, 1};
    QTest::newRow("back into a folder left by a tab") << "1 open open 0 back back" << QList<int>{1, 4, 5, 0, 5, 0};
    QTest::newRow("a folder on the way back") << "1 open open open open back" << QList<int>{1, 4, 5, 6, 4, 1};
}

// A tab's label pressed, the folder at position 1 opened (1 -> 4 -> 5 -> 6 -> 4), or Back.
void tst_Launcher::subTabAndBack()
{
    QFETCH(QString, steps);
    QFETCH(QList<int>, shown);
    LauncherStore store = standardStore();
    store.tabIcons << QStringLiteral("8.9") << QStringLiteral("2.30");
    store.subTabs = 3;
    store.fill(theSettings);
    for (int n : {7, 9, 30}) {
        theSettings.icons[n - 1].ICON_DATA_TYPE = ActionKind::SubTab;
        theSettings.icons[n - 1].ICON_SUB_TAB_ID = n == 7 ? 6 : n == 9 ? 7 : 5;
    }
    startOnSettings();
    QList<int> seen;
    for (const QString &step : steps.split(u' ')) {
        if (step == QLatin1String("open"))
            launcher->dispatchAction(icon(launcher->currentTab(), 1), nullptr, nullptr);
        else if (step == QLatin1String("back"))
            clickButton(ActionKind::Back);
        else
            pressTab(step.toInt());
        const int t = launcher->currentTab();
        seen.append(t);
        QVERIFY(!tab(t)->page->isHidden() && launcher->selectedIcon() == 0);
        QCOMPARE(launcher->titleBar()->backBar()->isVisible()
                     && launcher->titleBar()->backBar()->parentWidget() == tab(t)->page,
                 t >= 4);
    }
    QCOMPARE(seen, shown);
}

void tst_Launcher::tabChosenBeforeTheTimerGetsItsPage()
{
    start(standardStore());
    QVERIFY(!tab(3)->page);
    key(platform::kVkShift);
    key(platform::kVkTab);
    QCOMPARE(launcher->currentTab(), 3);
    QVERIFY(tab(3)->page);
    QCOMPARE(tab(3)->icons.size(), 2);
    QVERIFY(!tab(3)->page->isHidden());
    QVERIFY(tab(0)->page->isHidden());
    QTRY_VERIFY(tab(2)->page);
    QCOMPARE(tab(3)->icons.size(), 2);
}

// In a session of its own there may be no tray: nothing would bring a minimised launcher back.
void tst_Launcher::escapeCloseAndHouseNeverHideTheLauncher()
{
    start(standardStore());
    QTest::keyClick(launcher.get(), Qt::Key_Escape);
    QVERIFY(launcher->isVisible());
    launcher->reject();
    QVERIFY(launcher->isVisible());
    QTest::keyClick(launcher.get(), Qt::Key_Return);
    QVERIFY(launcher->isVisible());
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        clickButton(ActionKind::House);
    QVERIFY(!launcher->isMinimized() && launcher->isVisible());
}

// A Shift released while another window had the focus never reached the launcher: the next
// key says with its own modifiers that Shift is up, and Tab goes forward.
void tst_Launcher::aShiftReleasedElsewhereIsForgotten()
{
    start(standardStore());
    key(platform::kVkShift);
    key(platform::kVkControl);
    QTest::keyClick(launcher.get(), Qt::Key_Tab);
    QCOMPARE(launcher->currentTab(), 1);
    QVERIFY(!launcher->isHeld(platform::kVkShift) && !launcher->isHeld(platform::kVkControl));
}

void tst_Launcher::workingDirectory_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("directory");

    QTest::newRow("quoted, doubled backslashes") << "\"C:\\\\Tools\\\\a.exe\"" << "C:\\\\Tools\\\\";
    QTest::newRow("quoted, with spaces")
        << "\"C:\\\\Program Files\\\\App\\\\app.exe\""
        << "C:\\\\Program Files\\\\App\\\\";
    QTest::newRow("quoted, single backslashes") << "\"C:\\Tools\\a.exe\"" << "C:\\Tools\\";
    QTest::newRow("unquoted POSIX path") << "/usr/bin/vlc" << "/usr/bin/";
    QTest::newRow("quoted POSIX path") << "\"/opt/my app/run\"" << "/opt/my app/";
    QTest::newRow("bare name") << "firefox" << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("a lone quote") << "\"" << QString();
}

void tst_Launcher::workingDirectory()
{
    QFETCH(QString, target);
    QFETCH(QString, directory);
    QCOMPARE(TargetCheck::workingDirectoryOf(target), directory);
}

void tst_Launcher::fileKind_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");

    QTest::newRow("exe") << "app.exe" << 1;
    QTest::newRow("exe2") << "app.exe2" << 1;
    QTest::newRow("EXE is not exe") << "APP.EXE" << -1;
    QTest::newRow("lnk") << "Mail.lnk" << 3;
    QTest::newRow("msc") << "disk.msc" << 0;
    QTest::newRow("dll") << "lib.dll" << 2;
    QTest::newRow("bat") << "run.bat" << 4;
    QTest::newRow("txt") << "notes.txt" << -1;
    QTest::newRow("no dot: the whole name") << "setupexe" << 1;
    QTest::newRow("only the last part counts") << "exe.txt" << -1;
}

void tst_Launcher::fileKind()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QCOMPARE(NewIcon::fileKindOf(name), kind);
}

void tst_Launcher::removeIcon_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("selected");

    QTest::newRow("middle of three") << "1.4.5" << 1 << "1.5" << 1;
    QTest::newRow("the only one") << "4" << 0 << QString() << 0;
    QTest::newRow("the last moves the highlight back") << "1.2.4" << 2 << "1.2" << 1;
    QTest::newRow("one of two equal entries") << "4.1.4" << 2 << "4.1" << 1;
    QTest::newRow("a default application stays") << "1.2.4" << 1 << "1.2.4" << 1;
    QTest::newRow("an entry that names nothing is not shown") << "1.99.4.5" << 1 << "1.99.5" << 1;
}

void tst_Launcher::removeIcon()
{
    QFETCH(QString, list);
    QFETCH(int, position);
    QFETCH(QString, stored);
    QFETCH(int, selected);
    LauncherStore store = standardStore();
    store.tabIcons[0] = list;
    start(store);
    QVERIFY(saveAllSettings(theSettings));
    walkTo(position);
    key(platform::kVkDelete);
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, stored);
    QCOMPARE(launcher->selectedIcon(), selected);
    // What the screen shows is what the store now holds.
    QCOMPARE(storedList(0), stored);
    verifyLabels(0);
}

void tst_Launcher::removingTheLastIconOfAPageShowsThePageBefore()
{
    LauncherStore store = standardStore();
    store.userIcons = {28, 29};
    start(store);
    removeAt(19);
    QCOMPARE(launcher->selectedIcon(), 18);
    QCOMPARE(visiblePositions(0), QList<int>({18}));
    key(platform::kVkDelete);
    QCOMPARE(launcher->selectedIcon(), 17);
    QCOMPARE(visiblePositions(0), range(0, 17));
    QVERIFY(button(ActionKind::PageDown)->isHidden());
}

void tst_Launcher::addedIconIsStoredAndShown()
{
    start(standardStore());
    launcher->dispatchAction(nullptr, nullptr, tab(3)->tabLabel);
    launcher->addIcon(
        {QStringLiteral("Editor"), QStringLiteral("\"/usr/bin/editor\""), QStringLiteral("./Icon/Editor.png"), 4});
    QCOMPARE(theSettings.icons.size(), 31);
    const IconInfo &added = theSettings.icons.last();
    QCOMPARE(added.ICON_ID, 31);
    QCOMPARE(added.ICON_DATA_TYPE, 1);
    QCOMPARE(added.ICON_IS_DEFAULT_APP, 0);
    QCOMPARE(added.ICON_DIRTY, 1);
    QCOMPARE(theSettings.tabs.at(3).TAB_ITEM_ALL_ICONS, QStringLiteral("4.5.31"));
    const SettingStore reloaded = stored();
    QCOMPARE(reloaded.icons.size(), 31);
    QCOMPARE(reloaded.icons.last().ICON_AP_EXE_LOCATION, QStringLiteral("\"/usr/bin/editor\""));
    APIconQLabel *label = tab(3)->icons.last();
    QCOMPARE(label->position, 2);
    QCOMPARE(label->kind, 1);
    QVERIFY(!label->isHidden());
    QCOMPARE(label->parentWidget(), tab(3)->page);
    // A tab without icons starts on its first page, wherever the highlight was on the tab before.
    launcher->dispatchAction(nullptr, nullptr, tab(0)->tabLabel);
    walkTo(19);
    launcher->dispatchAction(nullptr, nullptr, tab(2)->tabLabel);
    launcher->addIcon({QStringLiteral("Viewer"), QStringLiteral("/usr/bin/viewer"), QString(), 4});
    QVERIFY(!tab(2)->icons.last()->isHidden());
    for (unsigned key : {platform::kVkUp, platform::kVkLeft})
        this->key(key);
    QCOMPARE(launcher->selectedIcon(), 0);
}

void tst_Launcher::aDropPushesTheLastOfAPageOn_data()
{
    QTest::addColumn<bool>("fromPageTwo");
    QTest::newRow("page 1 shown") << false;
    QTest::newRow("page 2 shown") << true;
}

// Tab 4's own two icons, then 17 programs of its category: a drop lands after its own and
// pushes the last label of page 1 onto page 2, which shows it.
void tst_Launcher::aDropPushesTheLastOfAPageOn()
{
    QFETCH(bool, fromPageTwo);
    standardStore().fill(theSettings);
    theSettings.tabs[3].TAB_ITEM_CATEGORY = QStringLiteral("Game");
    std::vector<platform::InstalledProgram> games;
    for (int n = 0; n < 17; ++n) {
        const std::u16string name = u"game" + QString::number(n).toStdU16String();
        games.push_back({u"/apps/" + name + u".desktop", name, {}, name});
    }
    platform->targets.categories.insert(QStringLiteral("Game"), games);
    startOnSettings();
    pressTab(3);
    if (fromPageTwo)
        clickButton(ActionKind::PageDown);
    APIconQLabel *pushed = icon(3, 17);
    act(QStringLiteral("add"));
    QCOMPARE(icon(3, 18), pushed);
    QCOMPARE(pushed->pos(), icon(3, 0)->pos());
    QCOMPARE(visiblePositions(3), fromPageTwo ? range(18, 19) : range(0, 17));
    clickButton(fromPageTwo ? ActionKind::PageUp : ActionKind::PageDown);
    QCOMPARE(visiblePositions(3), fromPageTwo ? range(0, 17) : range(18, 19));
}

void tst_Launcher::displayChangeLaysOutAnew_data()
{
    QTest::addColumn<QSize>("speaker");
    QTest::newRow("a speaker as large as the house") << QSize(48, 48);
    QTest::newRow("a speaker smaller than the house") << QSize(36, 30);
}

void tst_Launcher::displayChangeLaysOutAnew()
{
    QFETCH(QSize, speaker);
    standardStore().fill(theSettings);
    theSettings.themes[0].SPEAKER_PNG_WIDTH = speaker.width();
    theSettings.themes[0].SPEAKER_PNG_HEIGHT = speaker.height();
    startOnSettings();
    key(platform::kVkRight);
    platform->screen.width = 1366;
    platform->screen.height = 768;
    // The work area changed, or another screen became the primary one.
    QScreen *screen = QGuiApplication::primaryScreen();
    speaker.width() == 48 ? screen->availableGeometryChanged(QRect()) : qApp->primaryScreenChanged(screen);
    QCOMPARE(launcher->geometry(), QRect(0, 0, 1366, 768));
    QCOMPARE(launcher->titleBar()->tabArea()->geometry(), QRect(0, 0, 1366, 64));
    QCOMPARE(tab(0)->page->geometry(), QRect(0, 64, 1366, 768 - 64));
    for (int p = 0; p < 20; ++p)
        QCOMPARE(launcher->iconAt(0, p)->pos(), theSettings.getIconPosition(p));
    QCOMPARE(launcher->iconAt(0, 5)->x(), 1366 * 5 / 100 + 5 * (120 + theSettings.iconColumnGap));
    QCOMPARE(button(ActionKind::PageDown)->x(), 1366 - 40);
    QCOMPARE(launcher->selectedIcon(), 0);
    // The speaker stands where it stood at start: left of the house by a house width.
    QCOMPARE(button(ActionKind::Music)->geometry(), QRect(QPoint(1366 - 2 * 48 - 12, 64 / 2 - 48 / 2), speaker));
}

// After a change of screen the back bar is drawn as a start on that screen draws it.
void tst_Launcher::backBarFollowsTheScreen()
{
    standardStore().fill(theSettings);
    theSettings.mySystem.FIT_TO_SCREEN = 1;
    const auto backFace = [this] {
        launcher->dispatchAction(nullptr, nullptr, tab(1)->tabLabel);
        launcher->dispatchAction(launcher->iconAt(1, 1), nullptr, nullptr);
        return button(ActionKind::Back)->pixmap().toImage();
    };
    startOnSettings();
    const QImage before = backFace();
    platform->screen.width = 1600;
    platform->screen.height = 1200;
    launcher->handleMessage(platform::kWmDisplayChange, 0);
    const QImage changed = button(ActionKind::Back)->pixmap().toImage();
    startOnSettings();
    QVERIFY(changed != before);
    QCOMPARE(backFace(), changed);
}

void tst_Launcher::listsThatPointNowhere()
{
    LauncherStore store = standardStore();
    store.tabIcons[1] = QStringLiteral("0.3.99..2");
    store.folderTarget = 9;
    store.userIcons = {};
    start(store);
    theSettings.mySystem.CURRENT_THEME = 7;
    launcher->dispatchAction(nullptr, nullptr, tab(1)->tabLabel);
    QCOMPARE(tab(1)->icons.size(), 2);
    QVERIFY(tab(1)->page->pixmap().isNull());
    key(platform::kVkReturn);
    QCOMPARE(launcher->currentTab(), 1);
    key(platform::kVkRight);
    key(platform::kVkDelete);
    QCOMPARE(theSettings.tabs.at(1).TAB_ITEM_ALL_ICONS, QStringLiteral("0.3.99..2"));
    launcher->applyTheme();
}

// A broken store may list an icon fifty thousand times: the launcher shows the first places
// within a moment and a bounded amount of memory, and Delete still takes off the right one.
void tst_Launcher::aHugeListShowsItsFirstThousandPlaces()
{
    LauncherStore store = standardStore();
    store.tabIcons[0] = QStringLiteral("10.").repeated(50000) + QStringLiteral("11");
    store.userIcons = {10, 11};
    StderrCapture errors;
    start(store);
    QVERIFY(errors.lines().contains(QStringLiteral("tab 1 lists 50001 icons; only the first 1000 places are shown")));
    QCOMPARE(tab(0)->icons.size(), 1000);
    launcher->selectIcon(999);
    key(platform::kVkDelete);
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("10.").repeated(49999) + QStringLiteral("11"));
    QCOMPARE(tab(0)->icons.size(), 999);
}

// A named pipe, a device or a folder where a picture should be would hold the launcher for
// ever at the first read: only plain files are opened.
void tst_Launcher::picturesThatAreNoFilesAreNotOpened()
{
    QTemporaryDir folder;
    for (const char *path : {"Light/titlebar.png", "icons/Light", "tabs"})
        QVERIFY(QDir(folder.path()).mkpath(QLatin1String(path)));
    standardStore().fill(theSettings);
    theSettings.mySystem.THEME_DIR = folder.path() + u'/';
    theSettings.mySystem.ICON_DIR = folder.filePath(QStringLiteral("icons/"));
    theSettings.mySystem.TAB_DIR = folder.filePath(QStringLiteral("tabs/"));
    theSettings.mySystem.SYSTEMTRAY_LUMBRA_PNGFILENAME = QStringLiteral("tray.png");
    ThemeInfo &theme = theSettings.themes[0];
    theme.TITLEBAR_PNG_NAME = QStringLiteral("titlebar.png");
    theme.BACKTITLEBAR_PNG_NAME = QStringLiteral("back.png");
    theme.SEPARATE_PNG_NAME = QStringLiteral("separator.png");
    theme.MASK_PNG_NAME = QStringLiteral("mask.png");
    theme.DEFAULT_ICON_PNG_NAME = QStringLiteral("default.png");
    std::vector<std::unique_ptr<FifoWatch>> pipes;
    for (const char *name : {"Light/page2.png", "Light/back.png", "Light/separator.png", "Light/mask.png",
                             "Light/tray.png", "icons/app10.png", "icons/Light/default.png", "tabs/tab1.png"}) {
        pipes.push_back(std::make_unique<FifoWatch>(folder.filePath(QLatin1String(name))));
        QVERIFY(pipes.back()->isValid());
    }
    startOnSettings();
    launcher->dispatchAction(nullptr, nullptr, tab(1)->tabLabel);
    launcher->applyTheme();
    TrayIcon tray;
    tray.setupTray();
    for (const auto &pipe : pipes)
        QVERIFY(!pipe->wasOpened());
    QVERIFY(launcher->isVisible());
}

void tst_Launcher::absurdSizesStayOnTheScreen_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("value");

    for (const int value : {INT_MAX, INT_MIN, 1000000000}) {
        for (const char *setting : {"columns", "icon size", "tab strip", "buttons", "reserves", "fonts"})
            QTest::addRow("%s %d", setting, value) << QString::fromLatin1(setting) << value;
    }
}

// A hand-edited store may hold any number. Sizes near the ends of the int range must neither
// overflow the launcher's geometry nor ask for pictures larger than the screen, and the icons
// of the first page stay shown.
void tst_Launcher::absurdSizesStayOnTheScreen()
{
    QFETCH(QString, setting);
    QFETCH(int, value);
    standardStore().fill(theSettings);
    ThemeInfo &theme = theSettings.themes[0];
    if (setting == QLatin1String("columns")) {
        theSettings.mySystem.NUMBER_OF_ICON_PER_ROW = value;
    } else if (setting == QLatin1String("icon size")) {
        theSettings.iconLayout.ICON_WIDTH = theSettings.iconLayout.ICON_HEIGHT = value;
    } else if (setting == QLatin1String("tab strip")) {
        theSettings.tabsInfo.TABINFO_ITEM_WIDTH = theSettings.tabsInfo.TABINFO_ITEM_HIGHT = value;
        theSettings.tabsInfo.TABINFO_HEIGHT = value;
        theme.SEPARATE_PNG_WIDTH = value;
        theSettings.tabs[0].TAB_ITEM_ICON_WIDTH = value;
    } else if (setting == QLatin1String("buttons")) {
        theme.HOUSE_PNG_WIDTH = theme.HOUSE_PNG_HEIGHT = theme.SPEAKER_PNG_WIDTH = value;
        theme.UPBUTTON_PNG_HEIGHT = theme.DOWNBUTTON_PNG_WIDTH = theme.BACKBUTTON_X_POSITION = value;
        theme.BACKTITLEBAR_PNG_HEIGHT = theme.BACKBUTTON_PNG_HEIGHT = value;
    } else if (setting == QLatin1String("reserves")) {
        theSettings.iconLayout.ICON_RESERVE_VERTICAL = value;
        theSettings.iconLayout.ICON_RESERVE_HORIZONTAL = value == INT_MIN ? INT_MAX : INT_MIN;
    } else {
        theSettings.iconLayout.ICON_AP_NAME_FONT_SIZE = value;
        theSettings.mySystem.SYSTEM_STRING_FONT_SIZE = value;
        theSettings.tabsInfo.TAB_NAME_FONT_SIZE = value;
    }
    startOnSettings();
    QCOMPARE(launcher->geometry(), QRect(0, 0, 1024, 768));
    QVERIFY(!visiblePositions(0).isEmpty());
    for (unsigned code : {platform::kVkRight, platform::kVkDown, platform::kVkTab, platform::kVkTab})
        key(code);
    launcher->dispatchAction(nullptr, nullptr, tab(1)->tabLabel);
    launcher->dispatchAction(launcher->iconAt(1, 1), nullptr, nullptr);
    launcher->applyTheme();
    launcher->handleMessage(platform::kWmDisplayChange, 0);
    clickButton(ActionKind::Back);
    for (const QWidget *widget : launcher->findChildren<QWidget *>())
        QVERIFY2(widget->width() <= 1024 && widget->height() <= 1024, qPrintable(widget->metaObject()->className()));
}

void tst_Launcher::act(const QString &action)
{
    ThemeSettingDialog theme(nullptr);
    TrayIconLumbraSettingdialog settings;
    if (action == QLatin1String("delete"))
        key(platform::kVkDelete);
    else if (action == QLatin1String("add"))
        launcher->addIcon({QStringLiteral("Editor"), QStringLiteral("/usr/bin/editor"), QString(), 1});
    else if (action == QLatin1String("undo"))
        controlZ();
    else if (action == QLatin1String("music"))
        clickButton(ActionKind::Music);
    else if (action == QLatin1String("theme"))
        (theme.setupThemeDialog(), theme.loadThemeList(), theme.fn_doSetting());
    else if (action == QLatin1String("settings"))
        (settings.prepareDialog(), settings.fn_writeSetting());
    else
        selectlumbraorwin(QString(), QFont(), QString(), QString()).call_Lumbra();
}

void tst_Launcher::refusedSavesAreTakenBackAndTold_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("told"); // in the message

    QTest::newRow("Delete") << "delete" << "Icon 4";
    QTest::newRow("a dropped program") << "add" << "Editor";
    QTest::newRow("the settings dialog") << "settings" << "settings";
    QTest::newRow("the first start's question") << "first" << "choice";
}

// A store that refuses writes (read-only, a full disk) must not leave the screen showing what
// the next start will not: the change is taken back and the person is told.
void tst_Launcher::refusedSavesAreTakenBackAndTold()
{
    QFETCH(QString, action);
    QFETCH(QString, told);
    start(standardStore());
    QVERIFY(saveAllSettings(theSettings));
    launcher->dispatchAction(nullptr, nullptr, tab(3)->tabLabel);
    refuseWrites();
    act(action);
    QCOMPARE(theSettings.tabs.at(3).TAB_ITEM_ALL_ICONS, QStringLiteral("4.5"));
    QCOMPARE(theSettings.icons.size(), 30);
    QCOMPARE(tab(3)->icons.size(), 2);
    QCOMPARE(visiblePositions(3), QList<int>({0, 1}));
    const QWidgetList windows = QApplication::topLevelWidgets();
    QVERIFY(std::any_of(windows.cbegin(), windows.cend(), [&](const QWidget *window) {
        return window->isVisible() && qobject_cast<const QMessageBox *>(window)
            && static_cast<const QMessageBox *>(window)->text().contains(told);
    }));
}

void tst_Launcher::changesLandOnTheStoreAsItIsNow_data()
{
    QTest::addColumn<QString>("actions"); // another process changes the store at "*"
    QTest::addColumn<QString>("meanwhile"); // KEY:VALUE=TEXT, or -KEY to delete it
    QTest::addColumn<bool>("told");
    QTest::addColumn<QString>("list"); // tab 4's list in the store afterwards, if it has one
    QTest::addColumn<int>("current");

    const QString renamed = "TabInfo\\01:TAB_ITEM_NAME=Renamed", threeTabs = "System:NUMBER_OF_TABS=3";
    const QString added = "IconInfo\\31:ICON_AP_NAME=Admin TabInfo\\04:TAB_ITEM_ALL_ICONS=4.5.31";
    const QString fewer = renamed + " System:NUMBER_OF_TABS=4";
    QTest::newRow("Delete, tabs renamed and fewer") << "* delete" << fewer << false << "5" << 3;
    QTest::newRow("Delete, its tab gone") << "* delete" << threeTabs << true << "" << 2;
    QTest::newRow("Delete, its icon gone") << "* delete" << "TabInfo\\04:TAB_ITEM_ALL_ICONS=5" << true << "5" << 3;
    QTest::newRow("Delete, the store deleted") << "* delete" << "" << false << "5" << 3;
    QTest::newRow("a drop, an icon added") << "* add" << added << false << "4.5.31.32" << 3;
    QTest::newRow("a drop, its tab gone") << "* add" << threeTabs << true << "" << 2;
    QTest::newRow("theme, every tab gone") << "* theme" << "-TabInfo System:NUMBER_OF_TABS=0" << false << "" << 0;
    QTest::newRow("undo, tabs renamed") << "delete * undo" << renamed << false << "4.5" << 3;
    QTest::newRow("undo, list reordered") << "* delete undo" << "TabInfo\\04:TAB_ITEM_ALL_ICONS=5.4" << false << "5.4" << 3;
    QTest::newRow("undo offer gone with its tab") << "delete * music undo" << threeTabs << false << "" << 2;
    QTest::newRow("theme, tabs renamed") << "* theme" << renamed << false << "4.5" << 3;
    QTest::newRow("theme removed") << "* theme" << "-ThemeInfo\\01" << true << "4.5" << 3;
    QTest::newRow("settings, tabs renamed") << "* settings" << renamed << false << "4.5" << 3;
}

// A change a person makes lands on the store as another process left it: that process's
// changes stay and are shown, the change is made on top or, where it no longer fits, not made
// and said; a store whose file was deleted gets back what the window shows.
void tst_Launcher::changesLandOnTheStoreAsItIsNow()
{
    QFETCH(QString, actions);
    QFETCH(QString, meanwhile);
    QFETCH(bool, told);
    QFETCH(QString, list);
    QFETCH(int, current);
    start(standardStore());
    QVERIFY(saveAllSettings(theSettings));
    launcher->dispatchAction(nullptr, nullptr, tab(3)->tabLabel);
    QString reg = QStringLiteral("REGEDIT4\n");
    for (const QString &change : meanwhile.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = change.split(QRegularExpression(QStringLiteral("[:=]")));
        const bool gone = change.startsWith(u'-');
        reg += QStringLiteral("[%1HKEY_LOCAL_MACHINE\\%2%3]\n")
                   .arg(gone ? "-" : "", registryBasePath, parts.at(0).mid(gone ? 1 : 0));
        if (parts.size() == 3)
            reg += QStringLiteral("\"%1\"=\"%2\"\n").arg(parts.at(1), parts.at(2));
    }
    StderrCapture quiet;
    for (const QString &action : actions.split(u' ')) {
        if (action != QLatin1String("*"))
            act(action);
        else if (meanwhile.isEmpty())
            QVERIFY(QFile::remove(platform->databasePath()));
        else
            QCOMPARE(RegFileImporter(platform->registry()).importData(reg.toUtf8(), "EN.reg"),
                     RegFileImporter::Status::Imported);
    }
    const SettingStore now = stored();
    QCOMPARE(now.tabs.value(3).TAB_ITEM_ALL_ICONS, list);
    QCOMPARE(now.tabs.value(0).TAB_ITEM_NAME == QLatin1String("Renamed"), meanwhile.contains(QLatin1String("Renamed")));
    QCOMPARE(launcher->currentTab(), current);
    const QMessageBox *message = launcher->findChild<QMessageBox *>();
    QCOMPARE(message && message->text().startsWith(QLatin1String("The settings were changed in the meantime")), told);
    // The window shows the store: its tabs by name, the icons of the tab shown.
    QCOMPARE(launcher->tabCount(), now.mySystem.NUMBER_OF_TABS);
    for (int t = 0; t < launcher->tabCount(); ++t)
        QCOMPARE(tab(t)->tabLabel->name, now.tabs.at(t).TAB_ITEM_NAME);
    QStringList shown, listed;
    for (const APIconQLabel *icon : launcher->tabCount() ? tab(current)->icons : QList<APIconQLabel *>())
        shown << icon->name;
    for (const int n : iconNumbersOf(now.tabs.value(current).TAB_ITEM_ALL_ICONS))
        listed << now.icons.value(n - 1).ICON_AP_NAME;
    QCOMPARE(shown, listed);
}

void tst_Launcher::noSettingsAreSaidWithAWayOut_data()
{
    QTest::addColumn<StoreOrigin::State>("state");
    QTest::newRow("unreadable") << StoreOrigin::State::Unreadable;
    QTest::newRow("no tree") << StoreOrigin::State::NoTree;
    QTest::newRow("loaded") << StoreOrigin::State::Loaded;
}

// Not a blank grey screen: one plain message over the window, and the tray's Exit in a menu
// that can be reached.
// The tray icons and dialogs the first frame does not show come once, before the other pages;
// once the page-build timer has run, every icon of every tab has its face.
void tst_Launcher::restOfStartComesOnceBeforeTheOtherPages()
{
    standardStore().fill(theSettings);
    launcher = std::make_unique<lumbra>();
    theLauncher = launcher.get();
    int runs = 0;
    bool pagesBuiltBefore = false;
    launcher->setRestOfStart([&] {
        ++runs;
        pagesBuiltBefore = tab(1)->page != nullptr;
    });
    launcher->initialise();
    QCOMPARE(runs, 0);
    QVERIFY(icon(0, 18)->pixmap().isNull());
    launcher->timerStart_slot();
    launcher->finishStart();
    QCOMPARE(runs, 1);
    QVERIFY(!pagesBuiltBefore);
    for (int t = 0; t < launcher->tabCount(); ++t) {
        for (const APIconQLabel *shown : tab(t)->icons)
            QVERIFY(!shown->pixmap().isNull());
    }
}

void tst_Launcher::noSettingsAreSaidWithAWayOut()
{
    QFETCH(StoreOrigin::State, state);
    theSettings.origin.state = state;
    StderrCapture quiet;
    startOnSettings();
    const QLabel *said = launcher->findChild<QLabel *>(QStringLiteral("noSettings"));
    QCOMPARE(said != nullptr, state != StoreOrigin::State::Loaded);
    QVERIFY(!said || (said->isVisible() && said->geometry() == launcher->rect()));
    QVERIFY(!said || said->text().contains("--installRegister"));
    TrayIcon tray;
    tray.setupTray();
    QVERIFY(!tray.icon().isNull());
    QCOMPARE(tray.exitAction->text(), QStringLiteral("Exit Lumbra"));
}

QTEST_MAIN(tst_Launcher)
#include "tst_launcher.moc"
