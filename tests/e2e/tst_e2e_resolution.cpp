// A real change of the screen's resolution (Xorg with the dummy driver, `xrandr -s`): the
// running launcher lays itself out anew: it fills the new size exactly, its page picture
// reaches the new edges and its icons stand on the new grid. On a small screen its five tabs
// shrink rather than run under the house.

#include "E2eStore.h"
#include "E2eTest.h"

#include <QProcess>
#include <QTest>

namespace {

// -1 for no picture at all.
int blackPixels(const QImage &image)
{
    if (image.isNull())
        return -1;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == 0 ? 1 : 0;
    }
    return count;
}

} // namespace

class tst_E2eResolution : public E2eTest
{
    Q_OBJECT

public:
    tst_E2eResolution() { options.resizable = true; }

private slots:
    void newSizeIsFilled_data();
    void newSizeIsFilled();
    void houseReachableOnASmallScreen();

private:
    void prepare() override;
};

void tst_E2eResolution::prepare()
{
    const QString program = writeRecorder(QStringLiteral("app one/record.sh"), QStringLiteral("started.txt"));
    install(e2eStoreFile(program, path(QStringLiteral("papers"))) + e2eThemes()
            + e2eSystemValue(QStringLiteral("NUMBER_OF_TABS"), QStringLiteral("5")) + e2eTabIcons(5, QStringLiteral("4"))
            + QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\TabInfo]\n\"TABINFO_ITEM_WIDTH\"=\"176\"\n"));
    startLauncher();
    QTRY_COMPARE_WITH_TIMEOUT(session->geometryOf(window), QRect(0, 0, 1024, 768), 20000);
}

void tst_E2eResolution::newSizeIsFilled_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("smaller") << QSize(1024, 600);
    QTest::newRow("wider") << QSize(1366, 768);
    QTest::newRow("larger") << QSize(1920, 1080);
    QTest::newRow("back") << QSize(1024, 768);
}

void tst_E2eResolution::newSizeIsFilled()
{
    QFETCH(QSize, size);
    const QString mode = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    QVERIFY(!session->x().run(QStringLiteral("xrandr"), {QStringLiteral("-s"), mode}).isNull());
    QTRY_COMPARE_WITH_TIMEOUT(session->geometryOf(window), QRect(QPoint(0, 0), size), 20000);
    // The page picture reaches the new edges: no pixel of the bottom row or of the right
    // column is the black of the bare screen.
    QTRY_VERIFY_WITH_TIMEOUT(blackPixels(session->grab(QRect(0, size.height() - 1, size.width(), 1))) == 0, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(blackPixels(session->grab(QRect(size.width() - 1, 0, 1, size.height()))) == 0, 10000);
    QVERIFY(launcher->state() != QProcess::NotRunning);
    // The icons stand on the grid of the new size: a click there starts the third one.
    click(iconCentre(0, size));
    QCOMPARE(takeRecord(QStringLiteral("started.txt")), path(QStringLiteral("app one")) + QStringLiteral("|0\n"));
}

// A click on the house is the house's (which, with no tray to come back from, keeps the
// launcher as it is), not the last tab's: the first tab's third icon is still there to start.
void tst_E2eResolution::houseReachableOnASmallScreen()
{
    const QSize size(800, 600);
    QVERIFY(!session->x().run(QStringLiteral("xrandr"), {QStringLiteral("-s"), QStringLiteral("800x600")}).isNull());
    QTRY_COMPARE_WITH_TIMEOUT(session->geometryOf(window), QRect(QPoint(0, 0), size), 20000);
    // The house's middle: 48 pixels wide, 5 from the right edge, in the 60-pixel strip.
    click(QPoint(size.width() - 5 - 48 / 2, 60 / 2));
    click(iconCentre(2, size));
    QCOMPARE(takeRecord(QStringLiteral("started.txt")), path(QStringLiteral("app one")) + QStringLiteral("|0\n"));
    QVERIFY(launcher->state() != QProcess::NotRunning);
}

QTEST_MAIN(tst_E2eResolution)
#include "tst_e2e_resolution.moc"
