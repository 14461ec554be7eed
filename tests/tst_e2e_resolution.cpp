// A real change of the screen's resolution (Xorg with the dummy driver, `xrandr -s`): the
// running launcher lays itself out anew: it fills the new size exactly, its page picture
// reaches the new edges and its icons stand on the new grid.

#include "E2eSession.h"
#include "E2eStore.h"
#include "TestPlatform.h"

#include "i18n/LanguageChoice.h"
#include "settings/RegFileImporter.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <memory>

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

class tst_E2eResolution : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void newSizeIsFilled_data();
    void newSizeIsFilled();

private:
    std::unique_ptr<E2eSession> session;
    TestPlatform platform;
    SettingStore layout;
    QProcess *launcher = nullptr;
    QString window;
};

void tst_E2eResolution::initTestCase()
{
    E2eSession::Options options;
    options.resizable = true;
    session = std::make_unique<E2eSession>(options);
    if (!session->failure().isEmpty())
        QSKIP(qPrintable(session->failure()));
    QVERIFY(QDir().mkpath(session->path(QStringLiteral("papers"))));
    const QString program = session->path(QStringLiteral("app one"));
    QVERIFY(QDir().mkpath(program));
    QVERIFY(E2eSession::writeFile(program + QStringLiteral("/record.sh"),
                                  QStringLiteral("#!/bin/sh\necho \"$PWD|$#\" >> '%1'\n")
                                      .arg(session->path(QStringLiteral("started.txt")))
                                      .toLocal8Bit(),
                                  true));
    const QString reg = e2eStoreFile(program + QStringLiteral("/record.sh"), session->path(QStringLiteral("papers")))
        + e2eThemes();
    QVERIFY(session->install(reg));
    // The grid as the launcher computes it for a screen of a given size.
    RegFileImporter(platform.registry()).importData(reg.toUtf8(), QStringLiteral("EN.reg"));
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    loadAllSettings(layout);
    launcher = session->start();
    window = session->waitForLauncher();
    QVERIFY2(!window.isEmpty(), "the launcher window did not appear");
    QTRY_COMPARE_WITH_TIMEOUT(session->geometryOf(window), QRect(0, 0, 1024, 768), 20000);
}

void tst_E2eResolution::cleanup()
{
    session->keepScreenshotOfFailure();
}

void tst_E2eResolution::cleanupTestCase()
{
    session.reset();
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
    platform.screen.width = size.width();
    platform.screen.height = size.height();
    layout.computeIconGrid();
    const QPoint centre = layout.getIconPosition(2)
        + QPoint(layout.iconLayout.ICON_WIDTH / 2, layout.tabsInfo.TABINFO_HEIGHT + layout.iconLayout.ICON_HEIGHT / 2);
    QVERIFY(!session->x()
                 .xdotool({QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()),
                           QStringLiteral("click"), QStringLiteral("1")})
                 .isNull());
    const QString started = session->path(QStringLiteral("started.txt"));
    QCOMPARE(E2eSession::readWhenThere(started), session->path(QStringLiteral("app one")) + QStringLiteral("|0\n"));
    QFile::remove(started);
}

QTEST_MAIN(tst_E2eResolution)
#include "tst_e2e_resolution.moc"
