// The real launcher on a real X server, worked with the keyboard and the mouse as a person
// would: a key and a click start a program in its own folder, a folder and a document open
// through the desktop's opener, Tab and the arrows move as the keyboard table says across
// tabs and pages, the theme dialog shows a theme at once and Cancel takes it back, and
// Delete takes an added icon off in the store at once.

#include "E2eSession.h"
#include "E2eStore.h"
#include "TestPlatform.h"

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

// Tab 2 holds more icons than one page (3 rows of 4) shows.
constexpr int kSecondTabIcons = 14;
constexpr int kFirstPagedIcon = 6;

QString pagedFolder(int index)
{
    return QStringLiteral("paged/%1").arg(index + 1, 2, 10, QLatin1Char('0'));
}

} // namespace

class tst_E2eLauncher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void returnStartsTheHighlightedProgramInItsFolder();
    void arrowAndReturnOpenAFolderWithTheShell();
    void documentOpensWithTheShell();
    void clickStartsTheProgram();
    void keysMoveAcrossTabsAndPages_data();
    void keysMoveAcrossTabsAndPages();
    void themeDialogShowsTheThemeAndCancelTakesItBack();
    void deleteTakesTheAddedIconOffTheStore();

private:
    QPoint iconCentre(int position) const;
    void pressKeys(const QStringList &keys);
    void click(const QPoint &point);
    void showFirstTab();
    QString nextStart();
    SettingStore stored();
    QString storedIconList();

    std::unique_ptr<E2eSession> session;
    QString window;
    SettingStore layout;
};

void tst_E2eLauncher::initTestCase()
{
    session = std::make_unique<E2eSession>();
    if (!session->failure().isEmpty())
        QSKIP(qPrintable(session->failure()));
    // Every program writes its folder and the number of its arguments to one file.
    const QString record = QStringLiteral("#!/bin/sh\necho \"$PWD|$#\" >> '%1'\n").arg(session->path(QStringLiteral("started.txt")));
    QStringList programs = {session->path(QStringLiteral("app one"))};
    for (int i = 0; i < kSecondTabIcons; ++i)
        programs.append(session->path(pagedFolder(i)));
    for (const QString &folder : std::as_const(programs)) {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(E2eSession::writeFile(folder + QStringLiteral("/record.sh"), record.toLocal8Bit(), true));
    }
    QVERIFY(QDir().mkpath(session->path(QStringLiteral("papers"))));
    QVERIFY(E2eSession::writeFile(session->path(QStringLiteral("papers/letter one.txt")), "Dear all\n"));
    QVERIFY(E2eSession::writeFile(session->path(QStringLiteral("bin/xdg-open")),
                                  QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\n")
                                      .arg(session->path(QStringLiteral("opened.txt")))
                                      .toLocal8Bit(),
                                  true));

    QString reg = e2eStoreFile(programs.first() + QStringLiteral("/record.sh"), session->path(QStringLiteral("papers")));
    reg += e2eIconEntry(4, QStringLiteral("Letter"), session->path(QStringLiteral("papers/letter one.txt")), 3, 0);
    reg += e2eIconEntry(5, QStringLiteral("Themes"), QString(), 11, 1);
    QStringList paged;
    for (int i = 0; i < kSecondTabIcons; ++i) {
        reg += e2eIconEntry(kFirstPagedIcon + i, QStringLiteral("Paged %1").arg(i), programs.at(i + 1) + QStringLiteral("/record.sh"), 1, 1);
        paged.append(QString::number(kFirstPagedIcon + i));
    }
    reg += e2eTabIcons(1, QStringLiteral("1.2.3.4.5")) + e2eTabIcons(2, paged.join(u'.')) + e2eThemes();
    // The same icon may be started again at once; the click guard is tested elsewhere.
    reg += QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\System]\n"
                          "\"ICON_DISABLE_CLICK_TIMER\"=\"1\"\n"
                          "\"DIALOG_SELECT_BACKGROUND_THEME_NAME\"=\"Choose a theme\"\n\n");
    QVERIFY(session->install(reg));

    // The grid as the launcher computes it for this screen.
    TestPlatform platform;
    RegFileImporter(platform.registry()).importData(reg.toUtf8(), QStringLiteral("EN.reg"));
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    loadAllSettings(layout);
    layout.computeIconGrid();

    session->start();
    window = session->waitForLauncher();
    QVERIFY2(!window.isEmpty(), "the launcher window did not appear");
    QCOMPARE(session->geometryOf(window), QRect(0, 0, 1024, 768));
    session->x().xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
}

void tst_E2eLauncher::cleanup()
{
    session->keepScreenshotOfFailure();
}

void tst_E2eLauncher::cleanupTestCase()
{
    session.reset();
}

QPoint tst_E2eLauncher::iconCentre(int position) const
{
    const QPoint cell = layout.getIconPosition(position);
    return cell + QPoint(layout.iconLayout.ICON_WIDTH / 2, layout.tabsInfo.TABINFO_HEIGHT + layout.iconLayout.ICON_HEIGHT / 2);
}

// Keys reach the window in the order they are sent; no pause is needed between them.
void tst_E2eLauncher::pressKeys(const QStringList &keys)
{
    if (!keys.isEmpty())
        QVERIFY(!session->x().xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("30")} + keys).isNull());
}

void tst_E2eLauncher::click(const QPoint &point)
{
    QVERIFY(!session->x()
                 .xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
                           QStringLiteral("click"), QStringLiteral("1")})
                 .isNull());
}

// A click on the first tab's label shows it with its first icon highlighted; the pointer
// stays on the tab strip, where hovering moves no highlight.
void tst_E2eLauncher::showFirstTab()
{
    click(QPoint(layout.tabsInfo.TABINFO_ITEM_WIDTH / 2, layout.tabsInfo.TABINFO_HEIGHT / 2));
}

// The folder of the program started next (the file is emptied for the one after).
QString tst_E2eLauncher::nextStart()
{
    const QString file = session->path(QStringLiteral("started.txt"));
    const QString started = E2eSession::readWhenThere(file);
    QFile::remove(file);
    return started;
}

SettingStore tst_E2eLauncher::stored()
{
    TestPlatform platform;
    platform.reset();
    platform::SqliteRegistry store(session->storePath().toStdString());
    platform::useRegistry(&store);
    SettingStore stored;
    loadAllSettings(stored);
    platform::useRegistry(nullptr);
    return stored;
}

QString tst_E2eLauncher::storedIconList()
{
    const SettingStore settings = stored();
    return settings.tabs.isEmpty() ? QString() : settings.tabs.at(0).TAB_ITEM_ALL_ICONS;
}

void tst_E2eLauncher::returnStartsTheHighlightedProgramInItsFolder()
{
    pressKeys({QStringLiteral("Return")});
    QCOMPARE(nextStart(), session->path(QStringLiteral("app one")) + QStringLiteral("|0\n"));
}

void tst_E2eLauncher::arrowAndReturnOpenAFolderWithTheShell()
{
    pressKeys({QStringLiteral("Right"), QStringLiteral("Return")});
    const QString opened = E2eSession::readWhenThere(session->path(QStringLiteral("opened.txt")));
    QCOMPARE(opened, QUrl::fromLocalFile(session->path(QStringLiteral("papers"))).toString(QUrl::FullyEncoded) + u'\n');
    QFile::remove(session->path(QStringLiteral("opened.txt")));
}

void tst_E2eLauncher::documentOpensWithTheShell()
{
    pressKeys({QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Return")});
    const QString opened = E2eSession::readWhenThere(session->path(QStringLiteral("opened.txt")));
    QCOMPARE(opened, QUrl::fromLocalFile(session->path(QStringLiteral("papers/letter one.txt"))).toString(QUrl::FullyEncoded) + u'\n');
    QVERIFY(!QFile::exists(session->path(QStringLiteral("started.txt"))));
    QFile::remove(session->path(QStringLiteral("opened.txt")));
}

void tst_E2eLauncher::clickStartsTheProgram()
{
    click(iconCentre(0));
    QCOMPARE(nextStart(), session->path(QStringLiteral("app one")) + QStringLiteral("|0\n"));
}

void tst_E2eLauncher::keysMoveAcrossTabsAndPages_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("started");

    const QString tab = QStringLiteral("Tab");
    const QString back = QStringLiteral("shift+Tab");
    const QString right = QStringLiteral("Right");
    const QString left = QStringLiteral("Left");
    const QString up = QStringLiteral("Up");
    const QString down = QStringLiteral("Down");
    auto times = [](const QString &key, int count) { return QStringList(count, key); };
    const QString first = QStringLiteral("app one");

    QTest::newRow("Tab: next tab, first icon") << QStringList{tab} << pagedFolder(0);
    QTest::newRow("Tab on the last tab: the first") << QStringList{tab, tab} << first;
    QTest::newRow("Shift+Tab on the first tab: the last") << QStringList{back} << pagedFolder(0);
    QTest::newRow("Shift+Tab: previous tab") << QStringList{tab, back} << first;
    QTest::newRow("Right on the page") << QStringList{tab} + times(right, 2) << pagedFolder(2);
    QTest::newRow("Right onto the second page") << QStringList{tab} + times(right, 12) << pagedFolder(12);
    QTest::newRow("Left back onto the first page") << QStringList{tab} + times(right, 12) + QStringList{left} << pagedFolder(11);
    QTest::newRow("Left on the first icon: nothing") << QStringList{tab, left} << pagedFolder(0);
    QTest::newRow("Right on the last icon: nothing") << QStringList{tab} + times(right, 15) << pagedFolder(13);
    QTest::newRow("Down on the page") << QStringList{tab, down} << pagedFolder(4);
    QTest::newRow("Down onto the second page") << QStringList{tab} + times(right, 9) + QStringList{down} << pagedFolder(13);
    QTest::newRow("Down with no icon below: nothing") << QStringList{tab} + times(right, 10) + QStringList{down} << pagedFolder(10);
    QTest::newRow("Up back onto the first page") << QStringList{tab} + times(right, 13) + QStringList{up} << pagedFolder(9);
    QTest::newRow("Up on the top row: nothing") << QStringList{tab, right, up} << pagedFolder(1);
}

void tst_E2eLauncher::keysMoveAcrossTabsAndPages()
{
    QFETCH(QStringList, keys);
    QFETCH(QString, started);
    showFirstTab();
    pressKeys(keys + QStringList{QStringLiteral("Return")});
    QCOMPARE(nextStart(), session->path(started) + QStringLiteral("|0\n"));
}

void tst_E2eLauncher::themeDialogShowsTheThemeAndCancelTakesItBack()
{
    showFirstTab();
    // The bottom of the page, where no icon stands.
    const QRect pageArea(0, 620, 1024, 140);
    const QImage before = session->settledGrab(pageArea);
    QVERIFY(!before.isNull());
    pressKeys({QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Right"),
               QStringLiteral("Return")});
    const QString dialog = session->x().waitForWindow(QStringLiteral("Choose a theme"));
    QVERIFY2(!dialog.isEmpty(), "the theme dialog did not appear");
    session->x().xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), dialog});
    // The list has the focus; Down chooses the next theme, which the page shows at once.
    pressKeys({QStringLiteral("Down")});
    QTRY_VERIFY_WITH_TIMEOUT(session->grab(pageArea) != before, 10000);
    const QRect frame = session->geometryOf(dialog);
    click(frame.topLeft() + QPoint(310 + 50, 50 + 20));
    QTRY_VERIFY_WITH_TIMEOUT(session->x().waitForWindow(QStringLiteral("Choose a theme"), 100).isEmpty(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(session->grab(pageArea), before, 10000);
    QCOMPARE(stored().mySystem.CURRENT_THEME, 1);
    session->x().xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
}

void tst_E2eLauncher::deleteTakesTheAddedIconOffTheStore()
{
    showFirstTab();
    // A default application stays; the added one goes, in the store at once.
    pressKeys({QStringLiteral("Delete")});
    pressKeys({QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Delete")});
    QTRY_COMPARE_WITH_TIMEOUT(storedIconList(), QStringLiteral("1.2.4.5"), 10000);
    // The icon after it moved up into its place.
    click(iconCentre(2));
    const QString opened = E2eSession::readWhenThere(session->path(QStringLiteral("opened.txt")));
    QVERIFY(opened.contains(QStringLiteral("letter%20one.txt")));
}

QTEST_MAIN(tst_E2eLauncher)
#include "tst_e2e_launcher.moc"
