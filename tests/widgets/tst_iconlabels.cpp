#include "LauncherFixture.h"
#include "TestPictures.h"
#include "TestWidgets.h"

#include "launcher/TabEntry.h"
#include "launcher/lumbra.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/IconQLabel.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <memory>
#include <vector>

namespace {

const QColor red(255, 0, 0);
const QColor white(255, 255, 255);

void press(QWidget *widget, const QPoint &at)
{
    sendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton);
}

void release(QWidget *widget, const QPoint &at)
{
    sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

void move(QWidget *widget, const QPoint &at, Qt::MouseButtons held = Qt::NoButton)
{
    sendMouse(widget, QEvent::MouseMove, at, held);
}

void click(QWidget *widget)
{
    press(widget, QPoint(50, 50));
    release(widget, QPoint(50, 50));
}

// A gesture written as words: "press 50 50", "move 150 150" (with the button held after a
// press), "leave", "release 100 100".
void perform(QWidget *widget, const QStringList &steps)
{
    bool held = false;
    for (const QString &step : steps) {
        const QStringList words = step.split(u' ');
        const QPoint at = words.size() == 3 ? QPoint(words[1].toInt(), words[2].toInt()) : QPoint();
        if (words[0] == QLatin1String("press")) {
            press(widget, at);
            held = true;
        } else if (words[0] == QLatin1String("release")) {
            release(widget, at);
            held = false;
        } else if (words[0] == QLatin1String("move")) {
            move(widget, at, held ? Qt::LeftButton : Qt::NoButton);
        } else {
            sendLeave(widget);
        }
    }
}

// The faces of these tests: a red 48 x 48 picture in the middle of a clear icon, so the
// corner shows whether the blue mask lies under the face.
bool cornerMasked(const QLabel &label)
{
    return QColor::fromRgba(shownImage(label).pixel(2, 2)) == TestPictures::maskColour;
}

bool centreRed(const QLabel &label)
{
    const QImage face = shownImage(label);
    return QColor::fromRgba(face.pixel(face.width() / 2, face.height() / 2)) == red;
}

} // namespace

class tst_IconLabels : public LauncherFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gestures_data();
    void gestures();
    void pressLaysTheMaskOver();
    void growthAnimation_data();
    void growthAnimation();
    void animationEndsHighlightedOnlyWhenPointedAt();
    void clickBlock_data();
    void clickBlock();
    void blockOutlastsTheAnimation();
    void brokenIntervalsStillEnd();
    void hoverMovesTheSelection();
    void hoverWithoutLauncher();
    void growingIconIsNotRepainted();
    void toolTipAndReloadFace();
    void buttonFacesWithFeedback();
    void buttonFacesWithoutFeedback();
    void buttonGrowthSnapsBackToItsCell();
    void degenerateSizes_data();
    void degenerateSizes();

private:
    APIconQLabel *makeIcon(int position, int kind = 1);
    IconQLabel *makeButton(int kind, bool withText);
    QList<APIconQLabel *> launcherIcons();

    std::unique_ptr<TestPictures> pictures;
    QString picture;
    std::vector<std::unique_ptr<QLabel>> labels;
};

void tst_IconLabels::init()
{
    LauncherFixture::init();
    pictures = std::make_unique<TestPictures>();
    pictures->resetSettings();
    picture = pictures->write(QStringLiteral("app.png"), QSize(48, 48), red);
}

void tst_IconLabels::cleanup()
{
    labels.clear();
    LauncherFixture::cleanup();
}

APIconQLabel *tst_IconLabels::makeIcon(int position, int kind)
{
    const QPoint cell = theSettings.getIconPosition(position);
    auto icon = std::make_unique<APIconQLabel>(cell.x(), cell.y(), 100, 100, picture, pictures->maskPath(),
                                               dejaVuPixels(14), QString(), 0, 70, white, position, 1, 0);
    icon->kind = kind;
    icon->position = position;
    icon->setScaledContents(true);
    icon->setAttribute(Qt::WA_MouseTracking);
    labels.push_back(std::move(icon));
    return static_cast<APIconQLabel *>(labels.back().get());
}

IconQLabel *tst_IconLabels::makeButton(int kind, bool withText)
{
    const QString pressedPicture = pictures->write(QStringLiteral("pressed.png"), QSize(100, 100), Qt::yellow);
    std::unique_ptr<IconQLabel> button;
    if (withText)
        button = std::make_unique<IconQLabel>(300, 150, 100, 100, picture, pressedPicture, dejaVuPixels(14),
                                              QStringLiteral("Back"), 0, -5, white);
    else
        button = std::make_unique<IconQLabel>(300, 150, 100, 100, picture, pressedPicture);
    button->kind = kind;
    button->position = 1;
    button->setScaledContents(true);
    button->setAttribute(Qt::WA_MouseTracking);
    labels.push_back(std::move(button));
    return static_cast<IconQLabel *>(labels.back().get());
}

void tst_IconLabels::gestures_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("dispatched");

    const QStringList click{"press 50 50", "release 50 50"};
    QTest::newRow("icon click") << "icon" << 1 << click << true;
    QTest::newRow("icon of kind 0 still grows") << "icon" << 0 << click << true;
    for (int kind : {6, 8, 9, 10, 12})
        QTest::addRow("icon of title-bar kind %d", kind) << "icon" << kind << click << false;
    QTest::newRow("icon release on the corner") << "icon" << 3 << QStringList{"press 0 0", "release 100 100"} << true;
    QTest::newRow("icon release one pixel right")
        << "icon" << 1 << QStringList{"press 50 50", "release 101 100"} << false;
    QTest::newRow("icon release one pixel below")
        << "icon" << 1 << QStringList{"press 50 50", "release 100 101"} << false;
    QTest::newRow("icon dragged out")
        << "icon" << 1 << QStringList{"press 50 50", "move 150 150", "release 150 150"} << false;
    QTest::newRow("icon left and came back")
        << "icon" << 1 << QStringList{"press 50 50", "leave", "move 50 50", "release 50 50"} << false;
    QTest::newRow("icon press outside") << "icon" << 1 << QStringList{"press 101 50", "release 50 50"} << false;

    for (int kind : {6, 8, 9, 10, 12})
        QTest::addRow("button of kind %d", kind) << "button" << kind << click << true;
    QTest::newRow("button of an icon kind") << "button" << 1 << click << false;
    QTest::newRow("button release on the corner")
        << "button" << 6 << QStringList{"press 50 50", "release 100 100"} << true;
    QTest::newRow("button release outside")
        << "button" << 6 << QStringList{"press 50 50", "move 150 50", "release 150 50"} << false;
    QTest::newRow("button left before the release")
        << "button" << 6 << QStringList{"press 50 50", "leave", "release 50 50"} << false;
    QTest::newRow("button pressed and left") << "button" << 6 << QStringList{"press 50 50", "leave"} << false;
}

void tst_IconLabels::gestures()
{
    QFETCH(QString, widget);
    QFETCH(int, kind);
    QFETCH(QStringList, steps);
    QFETCH(bool, dispatched);

    if (widget == QLatin1String("icon")) {
        APIconQLabel *icon = makeIcon(1, kind);
        QSignalSpy blocks(icon, &APIconQLabel::mouseclicked_signal);
        perform(icon, steps);
        QCOMPARE(icon->clickBlocked, dispatched);
        QCOMPARE(blocks.count(), dispatched ? 1 : 0);
        QCOMPARE(icon->growCount, dispatched ? 1 : 0);
        QCOMPARE(icon->animating, dispatched);
        // A release that launches nothing leaves the highlighted face.
        if (!dispatched && steps.last().startsWith(QLatin1String("release"))) {
            QVERIFY(cornerMasked(*icon));
            QVERIFY(centreRed(*icon));
        }
    } else {
        IconQLabel *button = makeButton(kind, true);
        QSignalSpy blocks(button, &IconQLabel::mouseclicked_signal);
        perform(button, steps);
        QCOMPARE(button->clickBlocked, dispatched);
        QCOMPARE(blocks.count(), dispatched ? 1 : 0);
        if (steps.last() == QLatin1String("leave"))
            QCOMPARE(button->pixmap().toImage().convertToFormat(button->normalImage.format()), button->normalImage);
    }
}

void tst_IconLabels::pressLaysTheMaskOver()
{
    APIconQLabel *icon = makeIcon(1);
    QVERIFY(!cornerMasked(*icon));
    QVERIFY(centreRed(*icon));

    press(icon, QPoint(50, 50));

    QVERIFY(cornerMasked(*icon));
    QVERIFY2(!centreRed(*icon), "the opaque mask covers the picture");
}

void tst_IconLabels::growthAnimation_data()
{
    QTest::addColumn<int>("pixel");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<QList<int>>("lefts");

    // The icon at position 1 stands at (300, 150).
    QTest::newRow("P 10, C 2") << 10 << 2 << QList<int>{110, 120, 130} << QList<int>{295, 290, 285};
    QTest::newRow("odd P moves by the truncated half")
        << 5 << 2 << QList<int>{105, 110, 115} << QList<int>{298, 296, 294};
    QTest::newRow("C 0 is a single step") << 10 << 0 << QList<int>{110} << QList<int>{295};
    QTest::newRow("negative C is a single step too") << 10 << -4 << QList<int>{110} << QList<int>{295};
}

void tst_IconLabels::growthAnimation()
{
    QFETCH(int, pixel);
    QFETCH(int, counter);
    QFETCH(QList<int>, sizes);
    QFETCH(QList<int>, lefts);
    theSettings.iconLayout.ICON_EFFICACY_PIXEL = pixel;
    theSettings.iconLayout.ICON_EFFICACY_COUNTER = counter;
    theSettings.iconLayout.ICON_EFFICACY_INTERVAL = 50;
    APIconQLabel *icon = makeIcon(1);
    QSignalSpy ticks(icon, &APIconQLabel::button_special_efficacy_signal);

    click(icon);
    for (int step = 0; step < sizes.size(); ++step) {
        if (step > 0)
            icon->button_special_efficacy_disableTimer();
        const int top = 150 + (lefts[step] - 300);
        QCOMPARE(icon->geometry(), QRect(lefts[step], top, sizes[step], sizes[step]));
        QCOMPARE(icon->growCount, step + 1);
        QVERIFY(icon->animating);
        QVERIFY(icon->growTimer.isActive());
        QCOMPARE(icon->growTimer.interval(), 50);
    }
    QCOMPARE(ticks.count(), sizes.size());

    icon->button_special_efficacy_disableTimer();
    QCOMPARE(icon->geometry(), QRect(300, 150, 100, 100));
    QCOMPARE(icon->growCount, 0);
    QVERIFY(!icon->animating);
    QVERIFY(!icon->growTimer.isActive());
    QVERIFY(!icon->pressed);
    QVERIFY(!icon->inside);
}

void tst_IconLabels::animationEndsHighlightedOnlyWhenPointedAt()
{
    theSettings.iconLayout.ICON_EFFICACY_COUNTER = 0;
    APIconQLabel *icon = makeIcon(1);

    click(icon);
    icon->button_special_efficacy_disableTimer();
    QVERIFY2(cornerMasked(*icon), "still under the pointer: highlighted");

    icon->clickBlocked = false;
    click(icon);
    sendLeave(icon);
    icon->button_special_efficacy_disableTimer();
    QVERIFY2(!cornerMasked(*icon), "the pointer has gone: normal");
    QVERIFY(centreRed(*icon));
}

void tst_IconLabels::clickBlock_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addRow("application icon") << "icon";
    QTest::addRow("title-bar button") << "button";
}

void tst_IconLabels::clickBlock()
{
    QFETCH(QString, widget);
    theSettings.mySystem.ICON_DISABLE_CLICK_TIMER = 0;
    QLabel *label = nullptr;
    QTimer *clickTimer = nullptr;
    bool *blocked = nullptr;
    if (widget == QLatin1String("icon")) {
        APIconQLabel *icon = makeIcon(1);
        label = icon;
        clickTimer = &icon->clickTimer;
        blocked = &icon->clickBlocked;
    } else {
        IconQLabel *button = makeButton(6, false);
        label = button;
        clickTimer = &button->clickTimer;
        blocked = &button->clickBlocked;
    }
    QSignalSpy blocks(label, SIGNAL(mouseclicked_signal(int)));
    QSignalSpy unblocked(clickTimer, &QTimer::timeout);
    StderrCapture stderrLines;

    click(label);
    click(label);
    QCOMPARE(blocks.count(), 1);
    QCOMPARE(blocks.first().first().toInt(), 0);
    QVERIFY(*blocked);

    QVERIFY(unblocked.wait());
    QVERIFY(!*blocked);
    QVERIFY(!clickTimer->isActive());
    QCOMPARE(stderrLines.lines(), QStringList{QStringLiteral("timer disable")});

    click(label);
    QCOMPARE(blocks.count(), 2);
}

void tst_IconLabels::blockOutlastsTheAnimation()
{
    theSettings.iconLayout.ICON_EFFICACY_COUNTER = 0;
    APIconQLabel *icon = makeIcon(1);
    QSignalSpy blocks(icon, &APIconQLabel::mouseclicked_signal);

    click(icon);
    icon->button_special_efficacy_disableTimer();
    QVERIFY(!icon->animating);
    click(icon);

    QCOMPARE(blocks.count(), 1);
    QCOMPARE(icon->growCount, 0);
    QCOMPARE(icon->clickTimer.interval(), 1000000);
}

void tst_IconLabels::brokenIntervalsStillEnd()
{
    theSettings.mySystem.ICON_DISABLE_CLICK_TIMER = -5;
    theSettings.iconLayout.ICON_EFFICACY_INTERVAL = -5;
    theSettings.iconLayout.ICON_EFFICACY_COUNTER = 1;
    APIconQLabel *icon = makeIcon(1);
    QSignalSpy unblocked(&icon->clickTimer, &QTimer::timeout);
    StderrCapture silence;

    click(icon);

    QVERIFY(unblocked.wait());
    QTRY_VERIFY(!icon->animating);
    QVERIFY(!icon->clickBlocked);
    QCOMPARE(icon->geometry(), QRect(300, 150, 100, 100));
}

// The icons of a launcher whose theme is the one of these tests: four on its first tab.
QList<APIconQLabel *> tst_IconLabels::launcherIcons()
{
    LauncherStore store({QStringLiteral("1.2.4.5")});
    store.userIcons = {1, 2, 4, 5};
    store.fill(theSettings);
    for (IconInfo &icon : theSettings.icons)
        icon.ICON_AP_PNG_FILE_NAME = picture;
    theSettings.mySystem.THEME_DIR = pictures->path(QStringLiteral("theme/"));
    theSettings.mySystem.ICON_DIR = pictures->path(QStringLiteral("icon/"));
    theSettings.themes[0].THEME_NAME = QStringLiteral("Plain");
    theSettings.themes[0].MASK_PNG_NAME = QStringLiteral("mask.png");
    theSettings.themes[0].DEFAULT_ICON_PNG_NAME = QStringLiteral("default.png");
    startOnSettings();
    return tab(0)->icons;
}

// The pointer moves the launcher's selection as the arrow keys do.
void tst_IconLabels::hoverMovesTheSelection()
{
    const QList<APIconQLabel *> icons = launcherIcons();
    move(icons[2], QPoint(10, 10));
    QCOMPARE(launcher->selectedIcon(), 2);
    QVERIFY(cornerMasked(*icons[2]));
    QVERIFY(icons[2]->isSelected());

    move(icons[2], QPoint(20, 20));
    QVERIFY2(cornerMasked(*icons[2]), "moving inside does not repaint");

    move(icons[3], QPoint(10, 10));
    QCOMPARE(launcher->selectedIcon(), 3);
    QVERIFY(!cornerMasked(*icons[2]));
    QVERIFY(cornerMasked(*icons[3]));
    QVERIFY(!icons[2]->isSelected() && icons[3]->isSelected());

    // Back to an icon the pointer left: it is highlighted once, not twice.
    sendLeave(icons[3]);
    move(icons[3], QPoint(10, 10));
    QVERIFY(cornerMasked(*icons[3]));

    // The first icon of the page is always repainted normal.
    icons[0]->paintHighlighted();
    sendLeave(icons[3]);
    move(icons[1], QPoint(10, 10));
    QVERIFY(!cornerMasked(*icons[0]));
    QVERIFY(!cornerMasked(*icons[3]));
}

// Without a launcher the icon still answers the pointer and the click.
void tst_IconLabels::hoverWithoutLauncher()
{
    theSettings.iconLayout.ICON_EFFICACY_COUNTER = 0;
    APIconQLabel *icon = makeIcon(1);
    QSignalSpy hovered(icon, &APIconQLabel::hovered);
    move(icon, QPoint(10, 10));
    click(icon);
    icon->button_special_efficacy_disableTimer();
    QVERIFY(cornerMasked(*icon));
    QCOMPARE(hovered.count(), 1);
    QCOMPARE(hovered.first().first().toBool(), true);
}

void tst_IconLabels::growingIconIsNotRepainted()
{
    const QList<APIconQLabel *> icons = launcherIcons();
    APIconQLabel *growing = icons[0];
    move(growing, QPoint(10, 10));
    click(growing);
    QVERIFY(growing->animating);
    growing->paintHighlighted();

    move(icons[2], QPoint(10, 10));

    QVERIFY2(cornerMasked(*growing), "a growing icon keeps its face");
    growing->refreshFace(true);
    QVERIFY(cornerMasked(*growing));
}

void tst_IconLabels::toolTipAndReloadFace()
{
    IconInfo info;
    info.ICON_AP_TOOLTIP_NAME = QStringLiteral("Writes letters");
    theSettings.icons = {info, info};
    theSettings.icons[1].ICON_AP_TOOLTIP_NAME = QStringLiteral("Plays music");
    TabInfo first;
    TabInfo second;
    second.TAB_ITEM_ALL_ICONS = QStringLiteral("1.2");
    theSettings.tabs = {first, second};

    const APIconQLabel icon(0, 0, 100, 100, picture, pictures->maskPath(), dejaVuPixels(14), QStringLiteral("Music"), 0, 70,
                            white, 1, 2, 0);
    QCOMPARE(icon.toolTip(), QStringLiteral("Plays music"));
    QCOMPARE(QToolTip::font().family(), QStringLiteral("Arial"));
    QCOMPARE(QToolTip::font().pixelSize(), 19);
    QCOMPARE(icon.nameFont.weight(), QFont::Bold);

    // A theme change: another mask, another colour, the new font made bold.
    APIconQLabel *themed = makeIcon(0);
    const QString greenMask = pictures->write(QStringLiteral("theme/Other/mask.png"), QSize(10, 10), Qt::green);
    QFont plain = dejaVuPixels(14);
    themed->reloadFace(greenMask, Qt::black, Qt::white, plain);
    QCOMPARE(themed->nameFont.weight(), QFont::Bold);
    QCOMPARE(themed->nameColour, QColor(Qt::black));
    QVERIFY(!cornerMasked(*themed));
    themed->paintHighlighted();
    QCOMPARE(QColor::fromRgba(shownImage(*themed).pixel(2, 2)), QColor(Qt::green));
    // A picture replaced within the same second by one of another size is drawn anew.
    const QString file = pictures->write(QStringLiteral("replaced.png"), QSize(100, 100), Qt::red);
    APIconQLabel replaced(0, 0, 100, 100, file, pictures->maskPath(), plain, QString(), 0, 70, white, 0, 1, 0);
    const QDateTime stamp = QFileInfo(file).lastModified();
    pictures->write(QStringLiteral("replaced.png"), QSize(50, 50), Qt::blue);
    QFile touched(file);
    QVERIFY(touched.open(QIODevice::ReadWrite) && touched.setFileTime(stamp, QFileDevice::FileModificationTime));
    replaced.paintNormal();
    QCOMPARE(QColor::fromRgba(shownImage(replaced).pixel(50, 35)), QColor(Qt::blue));
    // A new cell (another screen, another font): the icon takes it, whichever part changed.
    struct Cell { QSize size; QPoint name; int pixels; };
    for (const Cell &cell : {Cell{{100, 90}, {0, 70}, 14}, Cell{{80, 90}, {0, 70}, 14}, Cell{{80, 90}, {4, 70}, 14},
                             Cell{{80, 90}, {4, 60}, 14}, Cell{{80, 90}, {4, 60}, 20}}) {
        themed->resizeCell(cell.size.width(), cell.size.height(), cell.name.x(), cell.name.y(), dejaVuPixels(cell.pixels));
        QCOMPARE(themed->size(), cell.size);
        QCOMPARE(QPoint(themed->nameX, themed->nameY), cell.name);
        QCOMPARE(themed->nameFont.pixelSize(), cell.pixels);
    }
}

void tst_IconLabels::buttonFacesWithFeedback()
{
    IconQLabel *back = makeButton(8, true);
    const QImage normal = back->normalImage;
    QVERIFY(back->normalImage != back->pressedImage);
    QCOMPARE(back->highlightImage, normal);
    QCOMPARE(shownImage(*back), normal.convertToFormat(QImage::Format_ARGB32_Premultiplied));

    move(back, QPoint(50, 50));
    QCOMPARE(shownImage(*back), normal);
    press(back, QPoint(50, 50));
    QCOMPARE(shownImage(*back), back->pressedImage);
    move(back, QPoint(150, 50), Qt::LeftButton);
    QCOMPARE(shownImage(*back), back->pressedImage);
    release(back, QPoint(150, 50));
    QCOMPARE(shownImage(*back), back->highlightImage);
    sendLeave(back);
    QCOMPARE(shownImage(*back), normal);
    // The speaker held down while the music plays, then a theme's pictures put it back to rest.
    back->showPressedImage();
    QCOMPARE(shownImage(*back), back->pressedImage);
    const QString themed = pictures->write(QStringLiteral("themed.png"), QSize(100, 100), Qt::cyan);
    back->reloadImagesWithText(picture, themed, white, white, dejaVuPixels(14), 0, -5, QStringLiteral("Back"));
    QCOMPARE(QColor::fromRgba(shownImage(*back).pixel(1, 1)), QColor(Qt::cyan));
}

void tst_IconLabels::buttonFacesWithoutFeedback()
{
    IconQLabel *up = makeButton(9, false);
    const QString hi = pictures->write(QStringLiteral("up_hi.png"), QSize(20, 20), Qt::magenta);

    press(up, QPoint(50, 50));
    QCOMPARE(shownImage(*up), up->normalImage);
    release(up, QPoint(150, 50));
    QCOMPARE(shownImage(*up), up->normalImage);

    up->reloadImages(hi, picture);
    QCOMPARE(up->highlightImage.size(), QSize(100, 100));
    QCOMPARE(up->pressedImage, up->normalImage);
    press(up, QPoint(50, 50));
    release(up, QPoint(150, 50));
    QCOMPARE(QColor::fromRgba(shownImage(*up).pixel(50, 50)), QColor(Qt::magenta));
    sendLeave(up);
    QCOMPARE(QColor::fromRgba(shownImage(*up).pixel(50, 50)), QColor(Qt::magenta));

    // A picture that cannot be read falls back to the theme's default icon.
    up->reloadImages(pictures->path(QStringLiteral("gone.png")), pictures->path(QStringLiteral("gone.png")));
    QCOMPARE(QColor::fromRgba(shownImage(*up).pixel(50, 50)), TestPictures::defaultColour);
}

void tst_IconLabels::buttonGrowthSnapsBackToItsCell()
{
    IconQLabel *button = makeButton(9, false);
    QSignalSpy ticks(button, &IconQLabel::button_special_efficacy_signal);

    for (int tick = 0; tick < 3; ++tick)
        button->button_special_efficacy_disableTimer();
    QCOMPARE(button->geometry(), QRect(285, 135, 130, 130));
    QCOMPARE(ticks.count(), 3);

    button->button_special_efficacy_disableTimer();
    QCOMPARE(button->geometry(), QRect(300, 150, 100, 100));
    QVERIFY(!button->animating);
}

void tst_IconLabels::degenerateSizes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("pixel");

    QTest::newRow("empty icon") << 0 << 10;
    QTest::newRow("negative size") << -20 << 10;
    QTest::newRow("shrinking growth") << 100 << -80;
    QTest::newRow("absurd icon") << 200000 << 10;
    QTest::newRow("absurd growth") << 100 << 1000000000;
}

void tst_IconLabels::degenerateSizes()
{
    QFETCH(int, size);
    QFETCH(int, pixel);
    theSettings.iconLayout.ICON_EFFICACY_PIXEL = pixel;
    theSettings.iconLayout.ICON_EFFICACY_COUNTER = 1;
    APIconQLabel icon(0, 0, size, size, picture, pictures->maskPath(), dejaVuPixels(14), QStringLiteral("Name"), 0, 70,
                      white, 0, 1, 1);
    icon.setAttribute(Qt::WA_MouseTracking);
    IconQLabel button(0, 0, size, size, picture, picture, dejaVuPixels(14), QStringLiteral("Back"), 0, -5, white);
    button.kind = 8;

    for (QLabel *label : {static_cast<QLabel *>(&icon), static_cast<QLabel *>(&button)}) {
        move(label, QPoint(0, 0));
        press(label, QPoint(0, 0));
        release(label, QPoint(0, 0));
        sendLeave(label);
    }
    for (int tick = 0; tick < 5 && icon.animating; ++tick)
        icon.button_special_efficacy_disableTimer();
    button.reloadImagesWithText(picture, picture, white, white, dejaVuPixels(14), 0, -5, QStringLiteral("Back"));
    button.reloadImages(picture, picture);

    QVERIFY(!icon.animating);
    QCOMPARE(icon.growCount, 0);
}

QTEST_MAIN(tst_IconLabels)
#include "tst_iconlabels.moc"
