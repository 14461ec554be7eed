#include "TestPictures.h"
#include "TestWidgets.h"

#include "settings/SettingStore.h"
#include "widgets/TabQLabel.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QColor areaColour(10, 20, 30);
const QColor selectedColour(200, 100, 50);
const QColor red(255, 0, 0);

void useTabColours()
{
    ThemeInfo &theme = theSettings.themes[0];
    theme.THEME_TAB_AREA_BACKGROUND_COLOR_R = areaColour.red();
    theme.THEME_TAB_AREA_BACKGROUND_COLOR_G = areaColour.green();
    theme.THEME_TAB_AREA_BACKGROUND_COLOR_B = areaColour.blue();
    theme.THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR_R = selectedColour.red();
    theme.THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR_G = selectedColour.green();
    theme.THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR_B = selectedColour.blue();
    theme.THEME_TAB_ITEM_PEN_COLOR_R = 255;
    theme.THEME_TAB_ITEM_PEN_REVERSE_COLOR_G = 255;
}

QColor pixelAt(const QLabel &label, int x, int y)
{
    return QColor::fromRgba(shownImage(label).pixel(x, y));
}


} // namespace

class tst_TabLabel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void faceAndName_data();
    void faceAndName();
    void selectedAndUnselectedFaces();
    void missingPictureLeavesTheBackground();
    void pressIsReported();
    void pointingHandAcrossTheStrip();

private:
    std::unique_ptr<TabQLabel> makeTab(QString &name, int width = 200);

    std::unique_ptr<TestPictures> pictures;
    QString picture;
};

void tst_TabLabel::init()
{
    pictures = std::make_unique<TestPictures>();
    pictures->resetSettings();
    useTabColours();
    picture = pictures->write(QStringLiteral("tab/games.png"), QSize(20, 20), red);
}

void tst_TabLabel::cleanup()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

std::unique_ptr<TabQLabel> tst_TabLabel::makeTab(QString &name, int width)
{
    return std::make_unique<TabQLabel>(QRect(1, 0, width, 64), areaColour, QRect(0, 0, 40, 40), picture, name,
                                       dejaVuPixels(18), Qt::white);
}

void tst_TabLabel::faceAndName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("shortened");

    QTest::newRow("short name") << "Games" << 200 << false;
    QTest::newRow("long name") << "Games, puzzles and everything else" << 200 << true;
    QTest::newRow("narrower than the picture") << "Games" << 30 << true;
}

void tst_TabLabel::faceAndName()
{
    QFETCH(QString, name);
    QFETCH(int, width);
    QFETCH(bool, shortened);
    const QString fullName = name;

    const std::unique_ptr<TabQLabel> tab = makeTab(name, width);

    QCOMPARE(tab->toolTip(), fullName);
    QCOMPARE(tab->name, name);
    QCOMPARE(name != fullName, shortened);
    QCOMPARE(tab->geometry(), QRect(1, 0, width, 64));
    QVERIFY(tab->testAttribute(Qt::WA_MouseTracking));
    // The group is centred from the width of the name as drawn.
    const QFontMetrics metrics(dejaVuPixels(18));
    QCOMPARE(tab->pictureX, (width - 40 - metrics.horizontalAdvance(name)) / 2);
    QCOMPARE(tab->textX, tab->pictureX + 40);
    QCOMPARE(tab->pictureY, 12);
    if (tab->pictureX >= 0)
        QCOMPARE(pixelAt(*tab, tab->pictureX, 12), red);
    QCOMPARE(pixelAt(*tab, width - 1, 0), areaColour);
}

void tst_TabLabel::selectedAndUnselectedFaces()
{
    QString name = QStringLiteral("Games");
    const std::unique_ptr<TabQLabel> tab = makeTab(name);
    const int x = tab->pictureX;

    tab->paintSelected();
    QCOMPARE(pixelAt(*tab, 0, 0), selectedColour);
    QCOMPARE(pixelAt(*tab, x + 10, 22), red);

    // A theme change shows at the next repaint.
    theSettings.themes[0].THEME_TAB_AREA_BACKGROUND_COLOR_R = 99;
    tab->paintUnselected();
    QCOMPARE(pixelAt(*tab, 0, 0), QColor(99, areaColour.green(), areaColour.blue()));
    QCOMPARE(tab->pictureX, x);
}

void tst_TabLabel::missingPictureLeavesTheBackground()
{
    picture = pictures->path(QStringLiteral("tab/none.png"));
    QString name = QStringLiteral("Games");
    const std::unique_ptr<TabQLabel> tab = makeTab(name);

    QCOMPARE(pixelAt(*tab, tab->pictureX + 10, 22), areaColour);
    tab->paintSelected();
    QCOMPARE(pixelAt(*tab, tab->pictureX + 10, 22), selectedColour);
}

void tst_TabLabel::pressIsReported()
{
    QString name = QStringLiteral("Games");
    const std::unique_ptr<TabQLabel> tab = makeTab(name);
    QSignalSpy activated(tab.get(), &TabQLabel::activated);
    QTest::mousePress(tab.get(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(activated.count(), 1);
    QCOMPARE(tab->kind, 5);
}

void tst_TabLabel::pointingHandAcrossTheStrip()
{
    QString first = QStringLiteral("Games");
    QString second = QStringLiteral("Office");
    const std::unique_ptr<TabQLabel> games = makeTab(first);
    const std::unique_ptr<TabQLabel> office = makeTab(second);

    for (int round = 0; round < 10; ++round) {
        sendEnter(games.get());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
        sendLeave(games.get());
        sendEnter(office.get());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
        sendLeave(office.get());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    }

    // However often the pointer crossed the strip, one cursor is on Qt's stack.
    QGuiApplication::restoreOverrideCursor();
    QVERIFY(!QGuiApplication::overrideCursor());
}

QTEST_MAIN(tst_TabLabel)
#include "tst_tablabel.moc"
