// Delete, then the undo bar: the icon goes back where it was, in the store at once, and the
// store is exactly as it was before the Delete.

#include "LauncherFixture.h"
#include "TestPictures.h"

#include "launcher/LauncherGeometry.h"
#include "launcher/TabEntry.h"
#include "launcher/UndoOffer.h"
#include "launcher/lumbra.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/RegFileExporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/IconQLabel.h"
#include "widgets/TabQLabel.h"
#include "widgets/UndoBar.h"

#include <QApplication>
#include <QBuffer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

// Tab 1 as each case gives it; tab 2 with icons 8 and 9; everything but icon 3 (a folder
// icon) may be taken off.
LauncherStore storeWith(const QString &firstTab)
{
    LauncherStore store({firstTab, QStringLiteral("8.9")});
    for (int n = 1; n <= store.iconCount; ++n) {
        if (n != 3)
            store.userIcons.append(n);
    }
    return store;
}

QByteArray exported(platform::Registry &registry)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const QString tree = systemKeyPath.left(systemKeyPath.lastIndexOf(u'\\'));
    if (!RegFileExporter(registry).exportTree(platform::kLocalMachine, tree, out))
        return QByteArray();
    return out.data();
}

// The countdown stripe's width along the bottom of the bar, as the screen shows it: the
// window's backing store, not a fresh paint of the bar.
int stripeOnScreen(const UndoBar *bar)
{
    const QWidget *window = bar->window();
    const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
    const int y = bar->mapTo(window, QPoint(0, bar->height() - 7)).y();
    int width = 0;
    for (int x = 0; x < shown.width(); ++x)
        width += shown.pixelColor(x, y) == QColor(255, 209, 74);
    return width;
}

} // namespace

class tst_UndoRemoval : public LauncherFixture
{
    Q_OBJECT

private slots:
    void undoPutsBackExactly_data();
    void undoPutsBackExactly();
    void theBarSaysWhatWasRemoved();
    void hugeNameLeavesRoomForTheSentence();
    void zAloneDoesNothing();
    void heldDeleteTakesOffOne();
    void nothingToUndoAfterTheOfferEnds();
    void secondDeleteReplacesTheOffer();
    void undoFromAnotherTab();
    void listChangedMeanwhile();
    void refusedSaveIsTakenBackAndTold();
    void barFollowsTheScreen();

private:
    void start(const LauncherStore &store);
};

void tst_UndoRemoval::start(const LauncherStore &store)
{
    LauncherFixture::start(store);
    QVERIFY(saveAllSettings(theSettings));
}

// Labels stand in order at their cells, one for each entry of the list that names an icon.
void tst_UndoRemoval::undoPutsBackExactly_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("byButton");

    QTest::newRow("first") << QStringLiteral("4.5.6") << 0 << false;
    QTest::newRow("middle") << QStringLiteral("4.5.6") << 1 << false;
    QTest::newRow("last") << QStringLiteral("4.5.6") << 2 << false;
    QTest::newRow("the only one") << QStringLiteral("4") << 0 << false;
    QTest::newRow("the button") << QStringLiteral("4.5.6") << 1 << true;
    QTest::newRow("last of page 1, of 2") << LauncherStore::iconList(4, 25) << 17 << false;
    QTest::newRow("first of page 2") << LauncherStore::iconList(4, 25) << 18 << false;
    QTest::newRow("alone on page 2") << LauncherStore::iconList(4, 22) << 18 << true;
    QTest::newRow("an entry naming nothing before it") << QStringLiteral("4.99.5.6") << 1 << false;
    QTest::newRow("a twice-listed icon, second time") << QStringLiteral("5.4.5") << 2 << false;
    QTest::newRow("a list with a trailing dot") << QStringLiteral("4.5.") << 1 << false;
}

void tst_UndoRemoval::undoPutsBackExactly()
{
    QFETCH(QString, list);
    QFETCH(int, position);
    QFETCH(bool, byButton);
    start(storeWith(list));
    const QByteArray before = exported(platform->registry());
    QVERIFY(!before.isEmpty());
    const QString name = launcher->iconAt(0, position)->name;

    removeAt(position);
    QVERIFY(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS != list);
    QCOMPARE(storedList(0), theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS);
    QVERIFY(undoBar() && undoBar()->isVisible());

    if (byButton)
        QTest::mouseClick(undoBar()->undoButton(), Qt::LeftButton);
    else
        controlZ();
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, list);
    QCOMPARE(storedList(0), list);
    QCOMPARE(exported(platform->registry()), before);
    QVERIFY(undoBar()->isHidden());
    verifyLabels(0);
    // Highlighted, on the page shown.
    QCOMPARE(launcher->selectedIcon(), position);
    APIconQLabel *back = launcher->iconAt(0, position);
    QCOMPARE(back->name, name);
    QVERIFY(!back->isHidden() && back->isSelected());
    const int perPage = 3 * LauncherGeometry::columnCount();
    for (const APIconQLabel *other : launcher->tab(0)->icons)
        QCOMPARE(!other->isHidden(), other->position / perPage == position / perPage);
    // Paging is offered again when the icon put back makes more than a page.
    QCOMPARE(!button(ActionKind::PageDown)->isHidden(), launcher->tab(0)->icons.size() > perPage);
    // The offer is used up.
    QVERIFY(!launcher->findChild<UndoOffer *>()->undo());
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, list);
}

void tst_UndoRemoval::theBarSaysWhatWasRemoved()
{
    start(storeWith(QStringLiteral("4.5")));
    removeAt(1);
    UndoBar *bar = undoBar();
    QCOMPARE(bar->message(), QStringLiteral("Icon 5 was removed"));
    QCOMPARE(bar->undoButton()->text(), QStringLiteral("Undo"));
    // Large, along the bottom of the screen, above the page.
    QVERIFY(bar->undoButton()->height() >= 60);
    QVERIFY(bar->undoButton()->width() >= 200);
    QCOMPARE(bar->geometry().bottom() + 1 + 16, 768);
    QVERIFY(bar->width() >= 1024 - 2 * 16);
    QCOMPARE(launcher->children().last(), bar);
    // Dark, and one colour out to its edge: no line drawn round it.
    const QImage face = bar->grab().toImage();
    const QRgb inside = face.pixel(face.width() / 2, 4);
    QVERIFY(qAlpha(inside) > 200 && qGray(inside) < 80);
    QCOMPARE(face.pixel(face.width() / 2, 0), inside);
    // The time left runs down before the eyes.
    QTRY_VERIFY(stripeOnScreen(bar) > bar->width() / 2);
    const int first = stripeOnScreen(bar);
    QTRY_VERIFY(stripeOnScreen(bar) < first - 10);

    // The tree's own words, the icon's name in them.
    theSettings.mySystem.DIALOG_ICON_REMOVED = QStringLiteral("%1 wurde entfernt");
    theSettings.mySystem.DIALOG_UNDO = QStringLiteral("Rückgängig");
    removeAt(0);
    QCOMPARE(bar->message(), QStringLiteral("Icon 4 wurde entfernt"));
    QCOMPARE(bar->undoButton()->text(), QStringLiteral("Rückgängig"));
    // A text without a place for the name is shown as it is.
    controlZ();
    theSettings.mySystem.DIALOG_ICON_REMOVED = QStringLiteral("Entfernt");
    key(platform::kVkDelete);
    QCOMPARE(bar->message(), QStringLiteral("Entfernt"));
    // A long sentence wraps beside a whole button, on the bar.
    controlZ();
    theSettings.mySystem.DIALOG_ICON_REMOVED = QStringLiteral("Das Symbol wurde von dieser Seite entfernt. ").repeated(3);
    key(platform::kVkDelete);
    const QLabel *sentence = bar->findChild<QLabel *>();
    // Both keep clear of the round corners; the button of the countdown line, too.
    QVERIFY(sentence->x() >= 24 && bar->rect().adjusted(0, 0, -12, -12).contains(bar->undoButton()->geometry()));
    // A clear gap between the two, so that a shaking hand does not touch the button.
    QVERIFY(bar->undoButton()->x() - sentence->geometry().right() > 20);
    // The sentence is drawn over more lines than one rather than cut at the button.
    const QImage drawn = bar->grab(sentence->geometry()).toImage();
    const QRect light = pixelsWhere(drawn, [](QRgb pixel) { return qGray(pixel) > 200; });
    QVERIFY(light.height() > sentence->fontMetrics().height() + 1);
    // None of its lines is cut off at the bar's foot.
    QVERIFY(sentence->height() >= sentence->heightForWidth(sentence->width()));
    // In a larger font the button grows too, twice as tall as its words, for a finger to find.
    controlZ();
    theSettings.mySystem.SYSTEM_STRING_FONT_SIZE = 40;
    key(platform::kVkDelete);
    QVERIFY(bar->undoButton()->height() >= 2 * (40 + 8));
}

// Held, Delete takes off one icon, whether Qt marks the keyboard's repeats or not.
void tst_UndoRemoval::heldDeleteTakesOffOne()
{
    start(storeWith(QStringLiteral("4.5.6")));
    for (const int time : {10, 50, -90, 90}) {
        QKeyEvent key(time < 0 ? QEvent::KeyRelease : QEvent::KeyPress, Qt::Key_Delete, {}, QString(), time == 50);
        key.setTimestamp(std::abs(time));
        QApplication::sendEvent(launcher->tab(0)->page, &key);
    }
    QCOMPARE(storedList(0), QStringLiteral("5.6"));
}

void tst_UndoRemoval::hugeNameLeavesRoomForTheSentence()
{
    storeWith(QStringLiteral("4.5")).fill(theSettings);
    theSettings.icons[3].ICON_AP_NAME = QString(20000, u'W');
    startOnSettings();
    removeAt(0);
    const QString message = undoBar()->message();
    QVERIFY2(message.size() < 200, qPrintable(QString::number(message.size())));
    QVERIFY(message.endsWith(QLatin1String(" was removed")));
    QVERIFY(undoBar()->undoButton()->isVisible());
    controlZ();
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("4.5"));
}

void tst_UndoRemoval::zAloneDoesNothing()
{
    start(storeWith(QStringLiteral("4.5")));
    removeAt(0);
    key(platform::kVkZ);
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("5"));
    // Control released before the Z: no undo either.
    key(platform::kVkControl);
    key(platform::kVkControl, false);
    key(platform::kVkZ);
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("5"));
    controlZ();
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("4.5"));
}

void tst_UndoRemoval::nothingToUndoAfterTheOfferEnds()
{
    start(storeWith(QStringLiteral("4.5")));
    QVERIFY(!launcher->findChild<UndoOffer *>()->undo());
    controlZ();
    removeAt(0);
    undoBar()->withdraw();
    controlZ();
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("5"));
    QCOMPARE(storedList(0), QStringLiteral("5"));
    QCOMPARE(launcher->tab(0)->icons.size(), 1);
}

void tst_UndoRemoval::secondDeleteReplacesTheOffer()
{
    start(storeWith(QStringLiteral("4.5.6")));
    removeAt(0);
    key(platform::kVkDelete);
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("6"));
    QCOMPARE(undoBar()->message(), QStringLiteral("Icon 5 was removed"));
    controlZ();
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("5.6"));
    QCOMPARE(launcher->selectedIcon(), 0);
    controlZ();
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("5.6"));
    QCOMPARE(storedList(0), QStringLiteral("5.6"));
    verifyLabels(0);
}

// The bar stays while the person looks at another tab; the undo brings the tab back.
void tst_UndoRemoval::undoFromAnotherTab()
{
    start(storeWith(LauncherStore::iconList(4, 25)));
    removeAt(20);
    launcher->dispatchAction(nullptr, nullptr, launcher->tab(1)->tabLabel);
    QCOMPARE(launcher->currentTab(), 1);
    QVERIFY(undoBar()->isVisible());
    controlZ();
    QCOMPARE(launcher->currentTab(), 0);
    QVERIFY(launcher->tab(0)->page->isVisible());
    QVERIFY(launcher->tab(1)->page->isHidden());
    QCOMPARE(launcher->selectedIcon(), 20);
    QVERIFY(!launcher->iconAt(0, 20)->isHidden());
    QVERIFY(launcher->iconAt(0, 0)->isHidden());
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, LauncherStore::iconList(4, 25));
    verifyLabels(0);
}

// An icon dropped while the bar showed stays; the removed one goes back to its old place.
void tst_UndoRemoval::listChangedMeanwhile()
{
    start(storeWith(QStringLiteral("4.5.6")));
    removeAt(1);
    QVERIFY(launcher->addIcon({QStringLiteral("Editor"), QStringLiteral("/usr/bin/editor"), QString(), 1}));
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("4.6.31"));
    controlZ();
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("4.5.6.31"));
    QCOMPARE(storedList(0), QStringLiteral("4.5.6.31"));
    QCOMPARE(launcher->selectedIcon(), 1);
    QCOMPARE(launcher->iconAt(0, 3)->name, QStringLiteral("Editor"));
}

void tst_UndoRemoval::refusedSaveIsTakenBackAndTold()
{
    start(storeWith(QStringLiteral("4.5")));
    removeAt(0);
    refuseWrites();
    controlZ();
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, QStringLiteral("5"));
    QCOMPARE(storedList(0), QStringLiteral("5"));
    QCOMPARE(launcher->tab(0)->icons.size(), 1);
    const QMessageBox *message = launcher->findChild<QMessageBox *>();
    QVERIFY(message);
    QVERIFY(message->text().contains(QStringLiteral("Icon 4")));
}

void tst_UndoRemoval::barFollowsTheScreen()
{
    start(storeWith(QStringLiteral("4.5")));
    removeAt(0);
    platform->screen.width = 800;
    platform->screen.height = 600;
    launcher->handleMessage(platform::kWmDisplayChange, 0);
    const QRect bar = undoBar()->geometry();
    QCOMPARE(bar.bottom() + 1 + 16, 600);
    QCOMPARE(bar.right() + 1 + 16, 800);
}

QTEST_MAIN(tst_UndoRemoval)
#include "tst_undoremoval.moc"
