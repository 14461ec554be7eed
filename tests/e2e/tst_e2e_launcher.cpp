// The real launcher on a real X server, worked with the keyboard and the mouse as a person
// would: a key and a click start a program in its own folder, a folder and a document open
// through the desktop's opener, Tab and the arrows move as the keyboard table says across
// tabs and pages, the theme dialog shows a theme at once and Cancel takes it back, Delete
// takes an added icon off in the store at once and Ctrl+Z puts it back exactly as it was,
// and a program that is not installed says so.

#include "E2eStore.h"
#include "E2eTest.h"
#include "TestFiles.h"

#include "settings/SettingStore.h"
#include "widgets/NoticeBubble.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QUrl>

namespace {

// Tab 2 holds more icons than one page (3 rows of 4) shows.
constexpr int kSecondTabIcons = 14;
constexpr int kFirstPagedIcon = 6;
constexpr int kMissingIcon = kFirstPagedIcon + kSecondTabIcons;
const QString kFirstTabIcons = QStringLiteral("1.2.3.4.5.%1").arg(kMissingIcon);
const QString kStarted = QStringLiteral("started.txt");
const QString kOpened = QStringLiteral("opened.txt");

QString pagedFolder(int index)
{
    return QStringLiteral("paged/%1").arg(index + 1, 2, 10, QLatin1Char('0'));
}

// The pixels of the notice bubble's colour on the screen.
int bubblePixels(const QImage &screen)
{
    const QRgb fill = NoticeBubble::fillColour().rgb();
    int count = 0;
    for (int row = 0; row < screen.height(); ++row) {
        for (int column = 0; column < screen.width(); ++column)
            count += (screen.pixel(column, row) | 0xff000000) == fill ? 1 : 0;
    }
    return count;
}

} // namespace

class tst_E2eLauncher : public E2eTest
{
    Q_OBJECT

private slots:
    void returnStartsTheHighlightedProgramInItsFolder();
    void shellOpensFoldersAndDocuments_data();
    void shellOpensFoldersAndDocuments();
    void clickStartsTheProgram();
    void keysMoveAcrossTabsAndPages_data();
    void keysMoveAcrossTabsAndPages();
    void themeDialogShowsTheThemeAndCancelTakesItBack();
    void deleteTakesTheAddedIconOffAndCtrlZPutsItBack();
    void heldKeysActOnce();
    void missingProgramIsToldInABubble();

private:
    void prepare() override;
    void showFirstTab();
};

// Every program writes its folder and the number of its arguments to one file.
void tst_E2eLauncher::prepare()
{
    QString reg = e2eStoreFile(writeRecorder(QStringLiteral("app one/record.sh"), kStarted), path(QStringLiteral("papers")));
    QVERIFY(writeFile(path(QStringLiteral("papers/letter one.txt")), "Dear all\n"));
    writeRecorder(QStringLiteral("bin/xdg-open"), kOpened, QStringLiteral("$1"));
    reg += e2eIconEntry(4, QStringLiteral("Letter"), path(QStringLiteral("papers/letter one.txt")), 3, 0);
    reg += e2eIconEntry(5, QStringLiteral("Themes"), QString(), 11, 1);
    QStringList paged;
    for (int i = 0; i < kSecondTabIcons; ++i) {
        const QString program = writeRecorder(pagedFolder(i) + QStringLiteral("/record.sh"), kStarted);
        reg += e2eIconEntry(kFirstPagedIcon + i, QStringLiteral("Paged %1").arg(i), program, 1, 1);
        paged.append(QString::number(kFirstPagedIcon + i));
    }
    reg += e2eIconEntry(kMissingIcon, QStringLiteral("Missing"), path(QStringLiteral("app one/record.sh.uninstalled")), 1, 1);
    reg += e2eTabIcons(1, kFirstTabIcons) + e2eTabIcons(2, paged.join(u'.')) + e2eThemes();
    // The same icon may be started again at once; the click guard is tested elsewhere.
    reg += e2eSystemValue(QStringLiteral("ICON_DISABLE_CLICK_TIMER"), QStringLiteral("1"))
        + e2eSystemValue(QStringLiteral("DIALOG_SELECT_BACKGROUND_THEME_NAME"), QStringLiteral("Choose a theme"));
    install(reg);
    startLauncher();
    QCOMPARE(session->geometryOf(window), QRect(0, 0, 1024, 768));
}

// A click on the first tab's label (the shared tree's labels are 160 x 60) shows it with its
// first icon highlighted; the pointer stays on the tab strip, where hovering moves no highlight.
void tst_E2eLauncher::showFirstTab()
{
    click(QPoint(80, 30));
}

void tst_E2eLauncher::returnStartsTheHighlightedProgramInItsFolder()
{
    pressKeys({QStringLiteral("Return")});
    QCOMPARE(takeRecord(kStarted), path(QStringLiteral("app one")) + QStringLiteral("|0\n"));
}

void tst_E2eLauncher::shellOpensFoldersAndDocuments_data()
{
    QTest::addColumn<int>("rights");
    QTest::addColumn<QString>("opened");
    QTest::newRow("folder") << 1 << QStringLiteral("papers");
    QTest::newRow("document") << 3 << QStringLiteral("papers/letter one.txt");
}

void tst_E2eLauncher::shellOpensFoldersAndDocuments()
{
    QFETCH(int, rights);
    QFETCH(QString, opened);
    showFirstTab();
    pressKeys(QStringList(rights, QStringLiteral("Right")) << QStringLiteral("Return"));
    QCOMPARE(takeRecord(kOpened), QUrl::fromLocalFile(path(opened)).toString(QUrl::FullyEncoded) + u'\n');
    QVERIFY(!QFile::exists(path(kStarted)));
}

void tst_E2eLauncher::clickStartsTheProgram()
{
    click(iconCentre(0));
    QCOMPARE(takeRecord(kStarted), path(QStringLiteral("app one")) + QStringLiteral("|0\n"));
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
    QCOMPARE(takeRecord(kStarted), path(started) + QStringLiteral("|0\n"));
}

void tst_E2eLauncher::themeDialogShowsTheThemeAndCancelTakesItBack()
{
    showFirstTab();
    // The bottom of the page, where no icon stands.
    const QRect pageArea(0, 620, 1024, 140);
    const QImage before = session->settledGrab(pageArea);
    QVERIFY(!before.isNull());
    pressKeys(QStringList(4, QStringLiteral("Right")) << QStringLiteral("Return"));
    const QString dialog = session->x().waitForWindow(QStringLiteral("Choose a theme"));
    QVERIFY2(!dialog.isEmpty(), "the theme dialog did not appear");
    focus(dialog);
    // The list has the focus; Down chooses the next theme, which the page shows at once.
    pressKeys({QStringLiteral("Down")});
    QTRY_VERIFY_WITH_TIMEOUT(session->grab(pageArea) != before, 10000);
    click(session->geometryOf(dialog).topLeft() + QPoint(310 + 50, 50 + 20));
    QTRY_VERIFY_WITH_TIMEOUT(session->x().waitForWindow(QStringLiteral("Choose a theme"), 100).isEmpty(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(session->grab(pageArea), before, 10000);
    QCOMPARE(stored().mySystem.CURRENT_THEME, 1);
    focus(window);
}

// A default application stays; the added one goes, in the store at once, and the icon after
// it moves up into its place. Ctrl+Z while the undo bar shows puts it back; a second Delete
// and Ctrl+Z then leave the store exactly as it was.
void tst_E2eLauncher::deleteTakesTheAddedIconOffAndCtrlZPutsItBack()
{
    const QString withoutAdded = QStringLiteral("1.2.4.5.%1").arg(kMissingIcon);
    showFirstTab();
    pressKeys({QStringLiteral("Delete"), QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Delete")});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), withoutAdded, 10000);
    click(iconCentre(2));
    QVERIFY(takeRecord(kOpened).contains(QStringLiteral("letter%20one.txt")));
    pressKeys({QStringLiteral("ctrl+z")});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), kFirstTabIcons, 10000);

    const QByteArray before = exportedTree();
    QVERIFY(before.contains("ICON_AP_EXE_LOCATION"));
    showFirstTab();
    pressKeys({QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Delete")});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), withoutAdded, 10000);
    pressKeys({QStringLiteral("ctrl+z")});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), kFirstTabIcons, 10000);
    QCOMPARE(exportedTree(), before);
}

// Held, a key is repeated by the X server, and only some repeats say so: Return starts one
// program and Delete takes off one icon however long they are held.
void tst_E2eLauncher::heldKeysActOnce()
{
    showFirstTab();
    for (const QString &key : {QStringLiteral("Return Right Right"), QStringLiteral("Delete Left")}) {
        const QStringList keys = key.split(u' ');
        const QString hold = QStringLiteral("keydown %1 sleep 1.5 keyup %1").arg(keys.first());
        QVERIFY(!session->x().xdotool(hold.split(u' ')).isNull());
        pressKeys(keys.mid(1));
    }
    // The folder opened now says that every key before it has been handled.
    pressKeys({QStringLiteral("Return")});
    QVERIFY(!takeRecord(kOpened).isEmpty());
    QCOMPARE(takeRecord(kStarted), path(QStringLiteral("app one")) + QStringLiteral("|0\n"));
    QCOMPARE(storedIcons(), QStringLiteral("1.2.4.5.%1").arg(kMissingIcon));
    pressKeys({QStringLiteral("ctrl+z")});
    QTRY_COMPARE_WITH_TIMEOUT(storedIcons(), kFirstTabIcons, 10000);
}

// Return on a program that is not installed shows the bubble beside it.
void tst_E2eLauncher::missingProgramIsToldInABubble()
{
    showFirstTab();
    const int before = bubblePixels(session->settledGrab(QRect(0, 0, 1024, 768)));
    pressKeys(QStringList(5, QStringLiteral("Right")) << QStringLiteral("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(bubblePixels(session->grab(QRect(0, 0, 1024, 768))) >= before + 2000, 10000);
    QVERIFY(!QFile::exists(path(kStarted)));
    QCOMPARE(launcher->state(), QProcess::Running);
}

QTEST_MAIN(tst_E2eLauncher)
#include "tst_e2e_launcher.moc"
