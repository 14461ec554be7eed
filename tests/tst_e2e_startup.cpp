// The start of the program as its Parts order it, with real processes on a private X server
// that has a tray host: the first start's question, the launcher filling the screen with its
// three tray icons docked, a second start handing over to the running launcher, and
// "--close" ending it.

#include "E2eSession.h"
#include "E2eStore.h"

#include "i18n/LanguageChoice.h"
#include "platform/Platform.h"
#include "platform/posix/SqliteRegistry.h"
#include "settings/RegistryPaths.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <memory>

class tst_E2eStartUp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void choosingTheDesktopEndsWithZeroAndAsksAgain();
    void choosingTheLauncherStoresTheAnswer();
    void secondStartHandsOverAndEnds();
    void closeSwitchEndsTheLauncher();

private:
    int storedFirstRun();
    void click(const QPoint &point);

    std::unique_ptr<E2eSession> session;
    QProcess *launcher = nullptr;
};

void tst_E2eStartUp::initTestCase()
{
    // No window manager: nothing but the launcher decides where its window goes.
    E2eSession::Options options;
    options.trayHost = true;
    session = std::make_unique<E2eSession>(options);
    if (!session->failure().isEmpty())
        QSKIP(qPrintable(session->failure()));
    QVERIFY(QDir().mkpath(session->path(QStringLiteral("papers"))));
    QVERIFY(session->install(e2eStoreFile(QStringLiteral("/bin/true"), session->path(QStringLiteral("papers")), 1)));
    QCOMPARE(storedFirstRun(), 1);
}

void tst_E2eStartUp::cleanup()
{
    session->keepScreenshotOfFailure();
}

void tst_E2eStartUp::cleanupTestCase()
{
    session.reset();
}

int tst_E2eStartUp::storedFirstRun()
{
    platform::SqliteRegistry store(session->storePath().toStdString());
    platform::useRegistry(&store);
    languageCode = QStringLiteral("EN");
    initRegistryPaths();
    SettingStore stored;
    loadAllSettings(stored);
    platform::useRegistry(nullptr);
    return stored.mySystem.IS_FIRST_RUN;
}

void tst_E2eStartUp::click(const QPoint &point)
{
    QVERIFY(!session->x()
                 .xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
                           QStringLiteral("click"), QStringLiteral("1")})
                 .isNull());
}

void tst_E2eStartUp::choosingTheDesktopEndsWithZeroAndAsksAgain()
{
    QProcess *first = session->start();
    const QString question = session->waitForLauncher();
    QVERIFY(!question.isEmpty());
    const QRect dialog = session->geometryOf(question);
    QCOMPARE(dialog.size(), QSize(404, 153));
    click(dialog.topLeft() + QPoint(222 + 66, 24 + 38));
    QVERIFY(first->waitForFinished(15000));
    QCOMPARE(first->exitCode(), 0);
    QCOMPARE(storedFirstRun(), 1);
    // No tray icon was shown before the answer.
    QVERIFY(session->dockedIcons().isEmpty());
}

void tst_E2eStartUp::choosingTheLauncherStoresTheAnswer()
{
    launcher = session->start();
    const QString question = session->waitForLauncher();
    QVERIFY(!question.isEmpty());
    const QRect dialog = session->geometryOf(question);
    click(dialog.topLeft() + QPoint(50 + 66, 24 + 38));
    QTRY_COMPARE_WITH_TIMEOUT(session->geometryOf(session->waitForLauncher()), QRect(0, 0, 1024, 768), 20000);
    QCOMPARE(storedFirstRun(), 0);
    QVERIFY(launcher->state() != QProcess::NotRunning);
    // The main icon, the shut-down dialog's and the task manager's.
    QTRY_COMPARE_WITH_TIMEOUT(session->dockedIcons().size(), 3, 20000);
}

void tst_E2eStartUp::secondStartHandsOverAndEnds()
{
    QVERIFY(launcher);
    QProcess *second = session->start();
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(launcher->state() != QProcess::NotRunning);
    QCOMPARE(session->dockedIcons().size(), 3);
}

void tst_E2eStartUp::closeSwitchEndsTheLauncher()
{
    QVERIFY(launcher);
    QProcess *close = session->start({QStringLiteral("--close")});
    QVERIFY(close->waitForFinished(20000));
    QCOMPARE(close->exitCode(), 0);
    QVERIFY(launcher->waitForFinished(20000));
    QCOMPARE(launcher->exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher->exitCode(), 1);
    QVERIFY(!QFile::exists(session->powerLog()));
    QTRY_VERIFY_WITH_TIMEOUT(session->dockedIcons().isEmpty(), 10000);
}

QTEST_MAIN(tst_E2eStartUp)
#include "tst_e2e_startup.moc"
