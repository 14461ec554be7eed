// Programs and documents that are not on this computer: which icons are dimmed, what their
// tool tip and a click say, and that a program installed meanwhile shows normally again.

#include "LauncherFixture.h"
#include "TestPictures.h"
#include "TestWidgets.h"

#include "launcher/TabEntry.h"
#include "launcher/TargetCheck.h"
#include "launcher/TitleBar.h"
#include "launcher/lumbra.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/RegistryAccess.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/FaceRecipes.h"
#include "widgets/NoticeBubble.h"
#include "widgets/TabQLabel.h"

#include <QTest>

namespace {

const QString kNotInstalled = QStringLiteral("This program is not installed on this computer.");

// Tab 1: icons 1 (a folder icon opening tab 3), 2, 4 and 5; tab 2: icon 6; tab 3, a sub-tab:
// icon 7.
LauncherStore smallStore()
{
    LauncherStore store({QStringLiteral("2.4.5.3"), QStringLiteral("6"), QStringLiteral("7")});
    store.subTabs = 1;
    store.folderTarget = 3;
    return store;
}

bool isGrey(QRgb pixel)
{
    return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel);
}

} // namespace

class tst_MissingPrograms : public LauncherFixture
{
    Q_OBJECT

private slots:
    void whatCountsAsMissing_data();
    void whatCountsAsMissing();
    void onlyTheSixthPlaceOfTheSixthTabBringsUpAWindow_data();
    void onlyTheSixthPlaceOfTheSixthTabBringsUpAWindow();
    void clickOrReturnTellsInsteadOfStarting_data();
    void clickOrReturnTellsInsteadOfStarting();
    void installedMeanwhileShowsNormallyWhenShownAgain_data();
    void installedMeanwhileShowsNormallyWhenShownAgain();
    void removedMeanwhileIsToldAtTheClick();
    void dimmedPictureIsGreyAndFaint();
    void dimmedIconKeepsItsNameReadable();
    void bubbleStaysOnThePage_data();
    void bubbleStaysOnThePage();
    void roleDecidesWhatStarts_data();
    void roleDecidesWhatStarts();
    void lackingRolesAreSaidInOneLine();
    void categoryProgramsFollowTheTabsOwn();
};

void tst_MissingPrograms::whatCountsAsMissing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("lookupSaysThere");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("dimmed");

    QTest::newRow("a program that is there") << 1 << "/usr/bin/tool" << true << "program" << false;
    QTest::newRow("a program that is not") << 1 << "/usr/bin/tool" << false << "program" << true;
    QTest::newRow("a quoted program is asked as stored") << 1 << "\"/opt/My Tool/tool\"" << false << "program" << true;
    QTest::newRow("a bare program name") << 1 << "tool" << false << "program" << true;
    QTest::newRow("a document that is there") << 3 << "/home/a/letter.odt" << true << "document" << false;
    QTest::newRow("a document that is not") << 3 << "/home/a/letter.odt" << false << "document" << true;
    QTest::newRow("a folder that is not") << 3 << "/home/a/Music" << false << "document" << true;
    QTest::newRow("a folder icon is never looked up") << 7 << "/nowhere" << false << "" << false;
    QTest::newRow("a theme icon is never looked up") << 11 << "/nowhere" << false << "" << false;
    // No program is named by an address: the shell opens it with the program of its scheme.
    QTest::newRow("an address as a program") << 1 << "steam://rungameid/440" << true << "document" << false;
    QTest::newRow("a drive is not a scheme") << 1 << "C:\\Tools\\a.exe" << true << "program" << false;
}

// Each kind-1 and kind-3 icon is looked up when its page is built; the missing ones are dimmed
// and say so in their tool tip, keeping their place.
void tst_MissingPrograms::whatCountsAsMissing()
{
    QFETCH(int, kind);
    QFETCH(QString, target);
    QFETCH(bool, lookupSaysThere);
    QFETCH(QString, asked);
    QFETCH(bool, dimmed);
    smallStore().fill(theSettings);
    IconInfo &info = theSettings.icons[3];
    info.ICON_DATA_TYPE = kind;
    info.ICON_AP_EXE_LOCATION = target;
    if (!lookupSaysThere)
        platform->targets.missing.insert(target);
    startOnSettings();

    const APIconQLabel *shown = icon(0, 1);
    QCOMPARE(shown->name, QStringLiteral("Icon 4"));
    QCOMPARE(shown->missing, dimmed);
    QCOMPARE(shown->toolTip(), dimmed ? kNotInstalled : QStringLiteral("Icon 4"));
    QCOMPARE(shown->pos(), theSettings.getIconPosition(1));
    QCOMPARE(platform->targets.programsAsked.contains(target), asked == QLatin1String("program"));
    QCOMPARE(platform->targets.documentsAsked.contains(target), asked == QLatin1String("document"));
    QVERIFY(!icon(0, 0)->missing);
    if (dimmed || asked.isEmpty())
        return;
    // A click goes the way the lookup went: a program is started, anything else opened.
    launcher->dispatchAction(icon(0, 1), nullptr, nullptr);
    const auto &shell = platform->shell;
    QCOMPARE(asked == QLatin1String("program") ? shell.starts.value(0).program : shell.opens.value(0).file, target);
    QCOMPARE(shell.starts.size() + shell.opens.size(), 1);
}

void tst_MissingPrograms::onlyTheSixthPlaceOfTheSixthTabBringsUpAWindow_data()
{
    QTest::addColumn<int>("tabNumber");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("shown");
    QTest::newRow("the sixth tab's place 6") << 6 << 6 << true;
    QTest::newRow("another tab's place 6") << 1 << 6 << false;
    QTest::newRow("another place of the sixth tab") << 6 << 1 << false;
}

// The program of that place hides its window at start; any other is started and nothing more.
void tst_MissingPrograms::onlyTheSixthPlaceOfTheSixthTabBringsUpAWindow()
{
    QFETCH(int, tabNumber);
    QFETCH(int, position);
    QFETCH(bool, shown);
    smallStore().fill(theSettings);
    startOnSettings();
    APIconQLabel *started = icon(0, 0);
    started->tabNumber = tabNumber;
    started->position = position;
    launcher->dispatchAction(started, nullptr, nullptr);
    QCOMPARE(platform->shell.starts.size(), 1);
    QCOMPARE(platform->windows.shows.size(), shown ? 1 : 0);
}

void tst_MissingPrograms::clickOrReturnTellsInsteadOfStarting_data()
{
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<int>("kind");

    QTest::newRow("Return on a program") << false << 1;
    QTest::newRow("a click on a program") << true << 1;
    QTest::newRow("Return on a document") << false << 3;
    QTest::newRow("a click on a document") << true << 3;
}

void tst_MissingPrograms::clickOrReturnTellsInsteadOfStarting()
{
    QFETCH(bool, byMouse);
    QFETCH(int, kind);
    smallStore().fill(theSettings);
    theSettings.icons[3].ICON_DATA_TYPE = kind;
    platform->targets.missing.insert(QStringLiteral("/opt/apps/app4"));
    startOnSettings();

    APIconQLabel *missing = icon(0, 1);
    if (byMouse) {
        const QPoint middle(missing->width() / 2, missing->height() / 2);
        QTest::mouseMove(missing, middle);
        QTest::mousePress(missing, Qt::LeftButton, {}, middle);
        QTest::mouseRelease(missing, Qt::LeftButton, {}, middle);
    } else {
        key(platform::kVkRight);
        key(platform::kVkReturn);
    }
    QVERIFY(platform->shell.starts.isEmpty());
    QVERIFY(platform->shell.opens.isEmpty());
    const NoticeBubble *bubble = notice();
    QVERIFY(bubble);
    QVERIFY(bubble->isVisible());
    QCOMPARE(bubble->text(), kNotInstalled);
    QCOMPARE(bubble->parentWidget(), missing->parentWidget());
    // Beside the icon, not over it.
    QVERIFY(!bubble->geometry().intersects(QRect(theSettings.getIconPosition(1), missing->size())));

    // A second try replaces the bubble instead of piling another on it.
    launcher->dispatchAction(missing, nullptr, nullptr);
    QCOMPARE(launcher->tab(0)->page->findChildren<NoticeBubble *>().size(), 1);
    QVERIFY(platform->shell.starts.isEmpty());

    // An icon whose program is there still starts.
    launcher->dispatchAction(icon(0, 0), nullptr, nullptr);
    QCOMPARE(platform->shell.starts.size(), 1);
    QCOMPARE(platform->shell.starts.first().program, QStringLiteral("/opt/apps/app2"));
}

void tst_MissingPrograms::installedMeanwhileShowsNormallyWhenShownAgain_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("checked");
    QTest::newRow("its tab chosen again") << "tab" << true;
    QTest::newRow("the launcher restored") << "restore" << true;
    QTest::newRow("back from a sub-tab") << "back" << true;
    QTest::newRow("only minimised: nothing checked on the way out") << "minimise" << false;
}

void tst_MissingPrograms::installedMeanwhileShowsNormallyWhenShownAgain()
{
    QFETCH(QString, how);
    QFETCH(bool, checked);
    platform->targets.missing.insert(QStringLiteral("/opt/apps/app2"));
    start(smallStore());
    QVERIFY(icon(0, 0)->missing);

    platform->targets.missing.clear();
    QVERIFY(icon(0, 0)->missing);
    if (how == QLatin1String("tab")) {
        launcher->dispatchAction(nullptr, nullptr, launcher->tab(1)->tabLabel);
        launcher->dispatchAction(nullptr, nullptr, launcher->tab(0)->tabLabel);
    } else if (how == QLatin1String("restore")) {
        launcher->showMinimized();
        launcher->showNormal();
    } else if (how == QLatin1String("minimise")) {
        launcher->showMinimized();
    } else {
        launcher->dispatchAction(icon(0, 3), nullptr, nullptr);
        QCOMPARE(launcher->currentTab(), 2);
        clickButton(ActionKind::Back);
    }
    QCOMPARE(launcher->currentTab(), 0);
    QCOMPARE(icon(0, 0)->missing, !checked);
    QCOMPARE(icon(0, 0)->toolTip() == QStringLiteral("Icon 2"), checked);
}

// Uninstalled while its page was on the screen, the program is not started but told about.
void tst_MissingPrograms::removedMeanwhileIsToldAtTheClick()
{
    start(smallStore());
    QVERIFY(!icon(0, 0)->missing);
    platform->targets.missing.insert(QStringLiteral("/opt/apps/app2"));
    key(platform::kVkReturn);
    QVERIFY(platform->shell.starts.isEmpty());
    QVERIFY(icon(0, 0)->missing);
    QVERIFY(notice());

    // And back again: the click starts it at once.
    platform->targets.missing.clear();
    icon(0, 0)->clickBlocked = false;
    key(platform::kVkReturn);
    QCOMPARE(platform->shell.starts.size(), 1);
    QVERIFY(!icon(0, 0)->missing);
}

void tst_MissingPrograms::dimmedPictureIsGreyAndFaint()
{
    QImage picture(4, 1, QImage::Format_ARGB32_Premultiplied);
    picture.setPixel(0, 0, qRgba(255, 0, 0, 255));
    picture.setPixel(1, 0, qRgba(0, 0, 128, 128));
    picture.setPixel(2, 0, qRgba(0, 0, 0, 0));
    picture.setPixel(3, 0, qRgba(255, 255, 255, 255));
    const QImage dimmed = dimmedPicture(picture);
    QCOMPARE(dimmed.size(), picture.size());
    for (int x = 0; x < 4; ++x) {
        const QRgb pixel = dimmed.pixel(x, 0);
        QVERIFY2(isGrey(pixel), qPrintable(QString::number(pixel, 16)));
        QCOMPARE(qAlpha(pixel), qAlpha(picture.pixel(x, 0)) / 2);
    }
    // Light and dark pictures both end up in the middle greys, distinct from each other.
    QVERIFY(qRed(dimmed.pixel(3, 0)) > qRed(dimmed.pixel(0, 0)));
    QVERIFY(dimmedPicture(QImage()).isNull());
}

// The name is stamped after the picture is dimmed: it keeps its colour.
void tst_MissingPrograms::dimmedIconKeepsItsNameReadable()
{
    TestPictures pictures;
    pictures.resetSettings();
    const QString file = pictures.write(QStringLiteral("red.png"), QSize(100, 60), Qt::red);
    APIconQLabel label(0, 0, 100, 100, file, pictures.maskPath(), dejaVuPixels(24), QStringLiteral("WWWW"), 0, 60,
                       QColor(Qt::black), 0, 1, 0);
    label.setMissing(true, kNotInstalled);
    QCOMPARE(label.toolTip(), kNotInstalled);
    QImage face = shownImage(label);
    QVERIFY(isGrey(face.pixel(50, 30)));
    QVERIFY(qAlpha(face.pixel(50, 30)) < 255);
    int blackNamePixels = 0;
    for (int y = 60; y < 100; ++y) {
        for (int x = 0; x < 100; ++x)
            blackNamePixels += face.pixel(x, y) == qRgba(0, 0, 0, 255) ? 1 : 0;
    }
    QVERIFY(blackNamePixels > 20);

    label.setMissing(false, kNotInstalled);
    face = shownImage(label);
    QCOMPARE(QColor::fromRgba(face.pixel(50, 30)), QColor(Qt::red));
    // The selected icon going missing keeps the selected face, dimmed.
    label.setSelected(true);
    label.setMissing(true, kNotInstalled);
    face = shownImage(label);
    label.paintHighlighted();
    QCOMPARE(shownImage(label), face);
}

void tst_MissingPrograms::bubbleStaysOnThePage_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("pointsLeft");
    QTest::addColumn<QString>("text");

    QTest::newRow("first column: on its right") << 0 << true << QString();
    QTest::newRow("last column: on its left") << 5 << false << QString();
    QTest::newRow("a text longer than the page") << 2 << true << QString(20000, u'x').replace(7, 1, u' ');
}

void tst_MissingPrograms::bubbleStaysOnThePage()
{
    QFETCH(int, position);
    QFETCH(bool, pointsLeft);
    QFETCH(QString, text);
    start(LauncherStore({QStringLiteral("10.11.12.13.14.15.16")}));
    theSettings.mySystem.DIALOG_NOT_INSTALLED = text;
    platform->targets.missing.insert(QStringLiteral("/opt/apps/app%1").arg(10 + position));
    walkTo(position);
    key(platform::kVkReturn);
    NoticeBubble *bubble = notice();
    QVERIFY(bubble);
    QCOMPARE(bubble->pointsLeft(), pointsLeft);
    const QRect page = launcher->tab(0)->page->rect();
    QVERIFY(page.contains(bubble->geometry()));
    QVERIFY(bubble->height() >= 60);
    // Its round corners are drawn smooth: the outline blends into what lies behind it.
    const QImage drawn = bubble->grab().toImage();
    int blended = 0;
    for (int x = 0; x < drawn.width(); ++x)
        blended += qAlpha(drawn.pixel(x, 1)) % 255 != 0;
    QVERIFY2(blended >= 4, qPrintable(QString::number(blended)));
    // The round sign has no outline: beside its widest point lies the bubble's fill.
    const QRect sign = pixelsWhere(drawn, [](QRgb pixel) { return pixel == qRgb(214, 120, 0); });
    QVERIFY(sign.width() > 30);
    QVERIFY(drawn.pixelColor(sign.left() - 2, sign.center().y()).red() > 200);
    // The sentence is drawn in the font it was measured in: its longest line fills the bubble
    // but for the pointer, the sign and the margins (132 px).
    const QRect ink = pixelsWhere(drawn, [](QRgb pixel) { return qAlpha(pixel) == 255 && qGray(pixel) < 80; });
    QVERIFY2(text.size() > 1000 || drawn.width() - ink.width() <= 140, qPrintable(QString::number(ink.width())));

    // Another page shown: the bubble goes with its icon.
    icon(0, position)->hide();
    QTRY_VERIFY(!notice());
}

void tst_MissingPrograms::roleDecidesWhatStarts_data()
{
    QTest::addColumn<QString>("role");
    QTest::addColumn<int>("form"); // of the program found, at C:\apps\x y
    QTest::addColumn<bool>("ownMissing");
    QTest::addColumn<QString>("started"); // "start X" or "open X"; empty: dimmed, nothing starts
    using Form = platform::RoleProgram::Form;
    QTest::newRow("a desktop entry") << "web-browser" << int(Form::DesktopEntry) << true << "open C:\\apps\\x y";
    QTest::newRow("a program, written as stored") << "terminal" << int(Form::Program) << true << "start \"C:\\\\apps\\\\x y\"";
    QTest::newRow("nothing: its own target") << "e-mail" << int(Form::None) << false << "start /opt/apps/app4";
    QTest::newRow("nothing, own target missing") << "e-mail" << int(Form::None) << true << "";
    QTest::newRow("no role") << "" << int(Form::DesktopEntry) << false << "start /opt/apps/app4";
}

// The program this computer has for an icon's role starts in place of the icon's own target.
void tst_MissingPrograms::roleDecidesWhatStarts()
{
    QFETCH(QString, role);
    QFETCH(int, form);
    QFETCH(bool, ownMissing);
    QFETCH(QString, started);
    smallStore().fill(theSettings);
    for (const int index : {2, 3, 4})
        theSettings.icons[index].ICON_AP_ROLE = role;
    platform->targets.roles.insert(role, {platform::RoleProgram::Form(form), u"C:\\apps\\x y"});
    if (ownMissing)
        platform->targets.missing.insert(QStringLiteral("/opt/apps/app4"));
    startOnSettings();
    // Asked once however many icons name it; a folder icon opens its folder whatever it names.
    QCOMPARE(platform->targets.rolesAsked, role.isEmpty() ? QStringList() : QStringList{role});
    QCOMPARE(icon(0, 3)->kind, int(ActionKind::SubTab));
    QCOMPARE(icon(0, 1)->missing, started.isEmpty());
    launcher->dispatchAction(icon(0, 1), nullptr, nullptr);
    const auto &shell = platform->shell;
    QCOMPARE(shell.starts.isEmpty() ? shell.opens.isEmpty() ? QString() : "open " + shell.opens.first().file
                                    : "start " + shell.starts.first().program, started);
}

// However many roles this computer lacks, a start says so in one line that names them.
void tst_MissingPrograms::lackingRolesAreSaidInOneLine()
{
    smallStore().fill(theSettings);
    const QStringList lacking{QStringLiteral("e-mail"), QStringLiteral("music"), QStringLiteral("videos")};
    for (int n = 0; n < 3; ++n)
        theSettings.icons[n == 0 ? 1 : n + 4].ICON_AP_ROLE = lacking.at(n);
    StderrCapture errors;
    startOnSettings();
    launcher->timerStart_slot();
    const QStringList said = errors.lines().filter(QStringLiteral("takes the role"));
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().endsWith(QStringLiteral("takes the roles \"e-mail\", \"music\", \"videos\"; their icons "
                                                  "start their own targets")),
             qPrintable(said.first()));
}

// A category's programs follow the tab's own icons (but for theirs), open their entry, stay in
// the tree. Its own icons whose program is missing have no label, asked once; every place
// on the screen still maps to its entry: Delete, its undo, an icon added.
void tst_MissingPrograms::categoryProgramsFollowTheTabsOwn()
{
    smallStore().fill(theSettings);
    theSettings.icons[4].ICON_IS_DEFAULT_APP = 0;
    QVERIFY(saveAllSettings(theSettings));
    const auto store = [](const QString &key, const char *name, const char *value) {
        const platform::RegKey opened = openRegKey(platform::kLocalMachine, key, true);
        writeRegString(opened, QLatin1String(name), QLatin1String(value));
        closeRegKey(opened);
    };
    store(tabSubKeyPath(1), "TAB_ITEM_CATEGORY", "Game");
    store(tabSubKeyPath(2), "TAB_ITEM_CATEGORY", "Board");
    loadAllSettings(theSettings);
    platform->targets.categories.insert(QStringLiteral("Game"), {{u"/apps/Chess.desktop", u"Chess", {}, u"app2"},
                                                                 {u"/apps/Mines.desktop", u"\uFEFFMines", {}, u"mines"},
                                                                 {u"/apps/Sudoku.desktop", u"Sudoku", {}, u"sudoku"}});
    const QString gone = QStringLiteral("/opt/apps/app4");
    platform->targets.missing.unite({gone, QStringLiteral("/opt/apps/app6")});
    startOnSettings();
    launcher->timerStart_slot();
    QCOMPARE(platform->targets.rolesAsked, QStringList({QStringLiteral("Game"), QStringLiteral("Board")}));
    QStringList shown;
    for (const APIconQLabel *label : tab(0)->icons)
        shown << label->name + (label->missing ? "?" : "");
    // A name is shown with every character it has, even one read elsewhere as a byte order mark.
    QCOMPARE(shown.join(u','), QStringLiteral("Icon 2,Icon 5,Icon 3,\uFEFFMines,Sudoku"));
    removeAt(3);
    QCOMPARE(storedList(0), QStringLiteral("2.4.5.3"));
    launcher->dispatchAction(icon(0, 3), nullptr, nullptr);
    QCOMPARE(platform->shell.opens.value(0).file, QStringLiteral("/apps/Mines.desktop"));
    pressTab(0);
    removeAt(1);
    QCOMPARE(storedList(0), QStringLiteral("2.4.3"));
    controlZ();
    QCOMPARE(storedList(0), QStringLiteral("2.4.5.3"));
    QCOMPARE(icon(0, 1)->name, QStringLiteral("Icon 5"));
    platform->targets.missing.insert(QStringLiteral("/opt/new"));
    QVERIFY(launcher->addIcon({QStringLiteral("New"), QStringLiteral("/opt/new"), QStringLiteral("new.png"), 1}));
    QCOMPARE(icon(0, 3)->name, QStringLiteral("New"));
    QVERIFY(icon(0, 3)->missing);
    pressTab(0);
    removeAt(3);
    QCOMPARE(storedList(0), QStringLiteral("2.4.5.3"));
    QCOMPARE(platform->targets.programsAsked.count(gone), 1);
    // A category with nothing installed: the tab's own icons, dimmed, rather than an empty page.
    QVERIFY(tab(1)->icons.value(0) && tab(1)->icons.first()->missing);
    // Changed under the launcher, icon 4 names a program that is there: the next change reads
    // the tree again, and the pages built from it ask again.
    store(iconSubKeyPath(4), "ICON_AP_EXE_LOCATION", "/opt/apps/app9");
    pressTab(0);
    removeAt(1);
    QCOMPARE(storedList(0), QStringLiteral("2.4.3"));
    QCOMPARE(icon(0, 1)->name, QStringLiteral("Icon 4"));
    // The other category tab now names that program too: read again, it leaves out its missing icon.
    store(tabSubKeyPath(2), "TAB_ITEM_ALL_ICONS", "6.4");
    controlZ();
    pressTab(1);
    QCOMPARE(tab(1)->icons.size(), 1);
    QCOMPARE(tab(1)->icons.first()->name, QStringLiteral("Icon 4"));
}

QTEST_MAIN(tst_MissingPrograms)
#include "tst_missingprograms.moc"
