#include "LauncherFixture.h"

#include "i18n/LanguageChoice.h"
#include "launcher/DropQueue.h"
#include "launcher/LauncherGeometry.h"
#include "launcher/SwitchScanner.h"
#include "launcher/TabEntry.h"
#include "launcher/TitleBar.h"
#include "launcher/lumbra.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/IconQLabel.h"
#include "widgets/NoticeBubble.h"
#include "widgets/TabQLabel.h"
#include "widgets/UndoBar.h"

#include <QDir>
#include <QFile>
#include <QTest>

LauncherFixture::LauncherFixture() = default;
LauncherFixture::~LauncherFixture() = default;

void LauncherFixture::init()
{
    platform = std::make_unique<TestPlatform>();
    folder = std::make_unique<QTemporaryDir>();
    savedDirectory = QDir::currentPath();
    QDir::setCurrent(folder->path());
    // What the launcher keeps in the person's data folder stays in the test's folder.
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder->filePath(QStringLiteral("data"))));
    // A launcher always starts on a language's tree, where its changes land.
    if (languageCode.isEmpty())
        languageCode = QStringLiteral("EN");
    initRegistryPaths();
}

void LauncherFixture::cleanup()
{
    launcher.reset();
    theLauncher = nullptr;
    platform.reset();
    theSettings = SettingStore();
    QDir::setCurrent(savedDirectory);
    folder.reset();
}

void LauncherFixture::start(const LauncherStore &store)
{
    store.fill(theSettings);
    startOnSettings();
}

void LauncherFixture::startOnSettings()
{
    launcher = std::make_unique<lumbra>();
    theLauncher = launcher.get();
    launcher->initialise();
}

void LauncherFixture::key(unsigned code, bool down)
{
    launcher->handleMessage(down ? platform::kWmKeyDown : platform::kWmKeyUp, code);
}

void LauncherFixture::controlZ()
{
    key(platform::kVkControl);
    key(platform::kVkZ);
    key(platform::kVkControl, false);
}

void LauncherFixture::walkTo(int position)
{
    const int columns = LauncherGeometry::columnCount();
    for (int row = 0; row < position / columns; ++row)
        key(platform::kVkDown);
    for (int column = 0; column < position % columns; ++column)
        key(platform::kVkRight);
    QCOMPARE(launcher->selectedIcon(), position);
}

void LauncherFixture::removeAt(int position)
{
    walkTo(position);
    key(platform::kVkDelete);
}

IconQLabel *LauncherFixture::button(int kind) const
{
    return launcher->titleBar()->button(kind);
}

void LauncherFixture::clickButton(int kind)
{
    launcher->dispatchAction(nullptr, button(kind), nullptr);
}

void LauncherFixture::pressTab(int t)
{
    QTest::mousePress(tab(t)->tabLabel, Qt::LeftButton);
}

const TabEntry *LauncherFixture::tab(int t) const
{
    return launcher->tab(t);
}

APIconQLabel *LauncherFixture::icon(int t, int position) const
{
    return launcher->iconAt(t, position);
}

QList<int> LauncherFixture::visiblePositions(int t) const
{
    QList<int> visible;
    for (const APIconQLabel *shown : tab(t)->icons) {
        if (!shown->isHidden())
            visible.append(shown->position);
    }
    return visible;
}

UndoBar *LauncherFixture::undoBar() const
{
    return launcher->findChild<UndoBar *>();
}

NoticeBubble *LauncherFixture::notice() const
{
    return launcher->findChild<NoticeBubble *>();
}

SwitchScanner *LauncherFixture::scanner() const
{
    return launcher->findChild<SwitchScanner *>();
}

SettingStore LauncherFixture::stored()
{
    SettingStore store;
    loadAllSettings(store);
    return store;
}

QString LauncherFixture::storedList(int t)
{
    return stored().tabs.value(t).TAB_ITEM_ALL_ICONS;
}

void LauncherFixture::refuseWrites()
{
    QVERIFY(executeOnStore(platform->databasePath(),
                           QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON reg_values BEGIN "
                                          "SELECT RAISE(ABORT, 'access denied'); END;"
                                          "CREATE TRIGGER refuseNew BEFORE INSERT ON reg_values BEGIN "
                                          "SELECT RAISE(ABORT, 'access denied'); END")));
}

void LauncherFixture::verifyLabels(int t)
{
    QStringList expected;
    for (int number : iconNumbersOf(theSettings.tabs.at(t).TAB_ITEM_ALL_ICONS)) {
        if (number >= 1 && number <= theSettings.icons.size())
            expected << QStringLiteral("Icon %1").arg(number);
    }
    QStringList shown;
    const QList<APIconQLabel *> &icons = tab(t)->icons;
    for (int p = 0; p < icons.size(); ++p) {
        shown << icons.at(p)->name;
        QCOMPARE(icons.at(p)->position, p);
        QCOMPARE(icons.at(p)->pos(), theSettings.getIconPosition(p));
    }
    QCOMPARE(shown, expected);
}

QString LauncherFixture::misplaced(int t) const
{
    const auto at = [](const char *what, const QRect &r) {
        return QStringLiteral("%1 at %2,%3 %4x%5").arg(QLatin1String(what)).arg(r.x()).arg(r.y())
            .arg(r.width()).arg(r.height());
    };
    const QRect up = button(ActionKind::PageUp)->geometry(), down = button(ActionKind::PageDown)->geometry();
    const QList<APIconQLabel *> &icons = tab(t)->icons;
    const int perPage = LauncherGeometry::iconsPerPage();
    for (int p = 0; p < icons.size(); ++p) {
        const QRect cell = icons.at(p)->geometry();
        bool clear = tab(t)->page->rect().contains(cell) && !cell.intersects(up) && !cell.intersects(down);
        for (int q = p + 1; q < icons.size() && q / perPage == p / perPage; ++q)
            clear = clear && !cell.intersects(icons.at(q)->geometry());
        if (!clear)
            return at("an icon off its page, over another or under a paging button", cell);
    }
    const QRect strip = launcher->titleBar()->tabArea()->geometry();
    const QRect house = button(ActionKind::House)->geometry(), speaker = button(ActionKind::Music)->geometry();
    QRect lastTab;
    for (int i = 0; i < launcher->tabCount(); ++i) {
        const QRect label = tab(i)->tabLabel->geometry();
        if (!tab(i)->tabLabel->isHidden()
            && (!strip.contains(label) || label.intersects(lastTab) || label.intersects(house)
                || label.intersects(speaker)))
            return at("a tab off the strip, over another or under a title-bar button", label);
        lastTab = tab(i)->tabLabel->isHidden() ? lastTab : label;
    }
    for (int kind : {int(ActionKind::House), int(ActionKind::Music)}) {
        const QRect area = button(kind)->geometry();
        if (!strip.contains(area) || launcher->childAt(area.center()) != button(kind))
            return at("a title-bar button off the strip or out of reach", area);
    }
    return QString();
}
