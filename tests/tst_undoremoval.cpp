// Delete, then the undo bar: the icon goes back where it was, in the store at once, and the
// store is exactly as it was before the Delete.

#include "LauncherStore.h"
#include "TestPlatform.h"

#include "i18n/LanguageChoice.h"
#include "launcher/LauncherGeometry.h"
#include "launcher/TabEntry.h"
#include "launcher/UndoOffer.h"
#include "launcher/lumbra.h"
#include "platform/WindowMessages.h"
#include "settings/RegFileExporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/TabQLabel.h"
#include "widgets/UndoBar.h"

#include <QBuffer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

QString iconsFrom(int first, int last)
{
    QStringList numbers;
    for (int n = first; n <= last; ++n)
        numbers.append(QString::number(n));
    return numbers.join(u'.');
}

// Tab 1 as each case gives it; tab 2 with icons 8 and 9; everything but icon 3 (a folder
// icon) may be taken off.
LauncherStore storeWith(const QString &firstTab)
{
    LauncherStore store;
    store.tabIcons = {firstTab, QStringLiteral("8.9")};
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

} // namespace

class tst_UndoRemoval : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void undoPutsBackExactly_data();
    void undoPutsBackExactly();
    void theBarSaysWhatWasRemoved();
    void hugeNameLeavesRoomForTheSentence();
    void zAloneDoesNothing();
    void nothingToUndoAfterTheOfferEnds();
    void secondDeleteReplacesTheOffer();
    void undoFromAnotherTab();
    void listChangedMeanwhile();
    void refusedSaveIsTakenBackAndTold();
    void barFollowsTheScreen();

private:
    void start(const LauncherStore &store);
    void key(unsigned code, bool down = true)
    {
        launcher->handleMessage(down ? platform::kWmKeyDown : platform::kWmKeyUp, code);
    }
    void controlZ();
    void removeAt(int position);
    QString storedList(int t);
    void verifyLabels(int t);

    std::unique_ptr<TestPlatform> platform;
    std::unique_ptr<lumbra> launcher;
};

void tst_UndoRemoval::initTestCase()
{
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
}

void tst_UndoRemoval::init()
{
    platform = std::make_unique<TestPlatform>();
}

void tst_UndoRemoval::cleanup()
{
    launcher.reset();
    platform.reset();
    theSettings = SettingStore();
}

void tst_UndoRemoval::start(const LauncherStore &store)
{
    store.fill(theSettings);
    launcher = std::make_unique<lumbra>();
    theLauncher = launcher.get();
    launcher->initialise();
    QVERIFY(saveAllSettings(theSettings));
}

void tst_UndoRemoval::controlZ()
{
    key(platform::kVkControl);
    key(platform::kVkZ);
    key(platform::kVkControl, false);
}

// Arrows from the first icon of the tab shown, as a person would reach it.
void tst_UndoRemoval::removeAt(int position)
{
    const int columns = LauncherGeometry::columnCount();
    for (int row = 0; row < position / columns; ++row)
        key(platform::kVkDown);
    for (int column = 0; column < position % columns; ++column)
        key(platform::kVkRight);
    QCOMPARE(launcher->selectedIcon(), position);
    key(platform::kVkDelete);
}

QString tst_UndoRemoval::storedList(int t)
{
    SettingStore reloaded;
    loadAllSettings(reloaded);
    return reloaded.tabs.value(t).TAB_ITEM_ALL_ICONS;
}

// Labels stand in order at their cells, one for each entry of the list that names an icon.
void tst_UndoRemoval::verifyLabels(int t)
{
    const QList<APIconQLabel *> &icons = launcher->tab(t)->icons;
    const QList<int> numbers = iconNumbersOf(theSettings.tabs.at(t).TAB_ITEM_ALL_ICONS);
    QStringList expected;
    for (int number : numbers) {
        if (number >= 1 && number <= theSettings.icons.size())
            expected << QStringLiteral("Icon %1").arg(number);
    }
    QStringList shown;
    for (int p = 0; p < icons.size(); ++p) {
        shown << icons.at(p)->name;
        QCOMPARE(icons.at(p)->position, p);
        QCOMPARE(icons.at(p)->pos(), theSettings.getIconPosition(p));
    }
    QCOMPARE(shown, expected);
}

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
    QTest::newRow("last of page 1, of 2") << iconsFrom(4, 25) << 17 << false;
    QTest::newRow("first of page 2") << iconsFrom(4, 25) << 18 << false;
    QTest::newRow("alone on page 2") << iconsFrom(4, 22) << 18 << true;
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
    QVERIFY(launcher->findChild<UndoBar *>() && launcher->findChild<UndoBar *>()->isVisible());

    if (byButton)
        QTest::mouseClick(launcher->findChild<UndoBar *>()->undoButton(), Qt::LeftButton);
    else
        controlZ();
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, list);
    QCOMPARE(storedList(0), list);
    QCOMPARE(exported(platform->registry()), before);
    QVERIFY(launcher->findChild<UndoBar *>()->isHidden());
    verifyLabels(0);
    // Highlighted, on the page shown.
    QCOMPARE(launcher->selectedIcon(), position);
    APIconQLabel *back = launcher->iconAt(0, position);
    QCOMPARE(back->name, name);
    QVERIFY(!back->isHidden());
    const int perPage = 3 * LauncherGeometry::columnCount();
    for (const APIconQLabel *other : launcher->tab(0)->icons)
        QCOMPARE(!other->isHidden(), other->position / perPage == position / perPage);
    // The offer is used up.
    QVERIFY(!launcher->findChild<UndoOffer *>()->undo());
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, list);
}

void tst_UndoRemoval::theBarSaysWhatWasRemoved()
{
    start(storeWith(QStringLiteral("4.5")));
    removeAt(1);
    UndoBar *bar = launcher->findChild<UndoBar *>();
    QCOMPARE(bar->message(), QStringLiteral("Icon 5 was removed"));
    QCOMPARE(bar->undoButton()->text(), QStringLiteral("Undo"));
    // Large, along the bottom of the screen, above the page.
    QVERIFY(bar->undoButton()->height() >= 60);
    QVERIFY(bar->undoButton()->width() >= 200);
    QCOMPARE(bar->geometry().bottom() + 1 + 16, 768);
    QVERIFY(bar->width() >= 1024 - 2 * 16);
    QCOMPARE(launcher->children().last(), bar);

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
}

void tst_UndoRemoval::hugeNameLeavesRoomForTheSentence()
{
    LauncherStore store = storeWith(QStringLiteral("4.5"));
    store.fill(theSettings);
    theSettings.icons[3].ICON_AP_NAME = QString(20000, u'W');
    launcher = std::make_unique<lumbra>();
    theLauncher = launcher.get();
    launcher->initialise();
    removeAt(0);
    const QString message = launcher->findChild<UndoBar *>()->message();
    QVERIFY2(message.size() < 200, qPrintable(QString::number(message.size())));
    QVERIFY(message.endsWith(QLatin1String(" was removed")));
    QVERIFY(launcher->findChild<UndoBar *>()->undoButton()->isVisible());
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
    launcher->findChild<UndoBar *>()->withdraw();
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
    QCOMPARE(launcher->findChild<UndoBar *>()->message(), QStringLiteral("Icon 5 was removed"));
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
    start(storeWith(iconsFrom(4, 25)));
    removeAt(20);
    launcher->dispatchAction(nullptr, nullptr, launcher->tab(1)->tabLabel);
    QCOMPARE(launcher->currentTab(), 1);
    QVERIFY(launcher->findChild<UndoBar *>()->isVisible());
    controlZ();
    QCOMPARE(launcher->currentTab(), 0);
    QVERIFY(launcher->tab(0)->page->isVisible());
    QVERIFY(launcher->tab(1)->page->isHidden());
    QCOMPARE(launcher->selectedIcon(), 20);
    QVERIFY(!launcher->iconAt(0, 20)->isHidden());
    QVERIFY(launcher->iconAt(0, 0)->isHidden());
    QCOMPARE(theSettings.tabs.at(0).TAB_ITEM_ALL_ICONS, iconsFrom(4, 25));
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
    QVERIFY(executeOnStore(platform->databasePath(),
                           QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON reg_values BEGIN "
                                          "SELECT RAISE(ABORT, 'access denied'); END;"
                                          "CREATE TRIGGER refuseNew BEFORE INSERT ON reg_values BEGIN "
                                          "SELECT RAISE(ABORT, 'access denied'); END")));
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
    const QRect bar = launcher->findChild<UndoBar *>()->geometry();
    QCOMPARE(bar.bottom() + 1 + 16, 600);
    QCOMPARE(bar.right() + 1 + 16, 800);
}

QTEST_MAIN(tst_UndoRemoval)
#include "tst_undoremoval.moc"
