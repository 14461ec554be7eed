// The launcher on a desktop with a window manager and a tray host: it fills what the window
// manager leaves free, its tray icons dock, the main one minimises it, a second start brings
// it back, and the shut-down dialog opened from its tray icon reaches the recording power
// backend only (LUMBRA_POWER_LOG; the guard of every test process stays on).

#include "E2eStore.h"
#include "E2eTest.h"

#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

enum DockedIcon { MainIcon, ShutDownIcon, TaskManagerIcon };

const QString kShutDownTitle = QStringLiteral("Lumbra Shut Down App");

// Centres of the shut-down dialog's buttons, in the dialog.
const QPoint kLeaveButton(6 + 68, 2 + 70);
const QPoint kTaskManagerButton(142 + 69, 2 + 70);
const QPoint kStandByButton(280 + 69, 1 + 70);
const QPoint kRestartButton(418 + 69, 1 + 70);
const QPoint kShutDownButton(556 + 69, 1 + 70);
const QPoint kCloseButton(556 + 69, 144 + 15);

} // namespace

class tst_E2eDesktop : public E2eTest
{
    Q_OBJECT

public:
    tst_E2eDesktop()
    {
        options.windowManager = true;
        options.trayHost = true;
    }

private slots:
    void launcherFillsTheWorkAreaWithItsIconsDocked();
    void trayIconMinimises();
    void secondStartRestoresTheMinimisedLauncher();
    void trayIconOfTheTaskManagerStartsIt();
    void shutDownDialogReachesTheRecordingBackendOnly_data();
    void shutDownDialogReachesTheRecordingBackendOnly();
    void leaveButtonEndsTheLauncher();

private:
    void prepare() override;
    void clickDockedIcon(int which);
    QString openShutDownDialog();
};

void tst_E2eDesktop::prepare()
{
    writeRecorder(QStringLiteral("bin/taskmanager"), QStringLiteral("taskmanager.txt"), QStringLiteral("task manager|$#"));
    session->setVariable(QStringLiteral("LUMBRA_TASKMANAGER"), QStringLiteral("taskmanager"));
    install(e2eStoreFile(QStringLiteral("/bin/true"), path(QStringLiteral("papers"))));
    startLauncher();
}

void tst_E2eDesktop::clickDockedIcon(int which)
{
    const QStringList docked = session->dockedIcons();
    QCOMPARE(docked.size(), 3);
    click(session->geometryOf(docked.at(which)).center());
}

QString tst_E2eDesktop::openShutDownDialog()
{
    clickDockedIcon(ShutDownIcon);
    return session->x().waitForWindow(kShutDownTitle, 20000);
}

void tst_E2eDesktop::launcherFillsTheWorkAreaWithItsIconsDocked()
{
    const QRect area = session->workArea();
    // The tray host's strip is kept free.
    QVERIFY2(area.height() < 768, qPrintable(QStringLiteral("work area %1x%2").arg(area.width()).arg(area.height())));
    QTRY_COMPARE_WITH_TIMEOUT(session->geometryOf(window), area, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(session->dockedIcons().size(), 3, 20000);
    QCOMPARE(session->windowState(window), QStringLiteral("Normal"));
}

void tst_E2eDesktop::trayIconMinimises()
{
    clickDockedIcon(MainIcon);
    QTRY_COMPARE_WITH_TIMEOUT(session->windowState(window), QStringLiteral("Iconic"), 20000);
    QVERIFY(session->waitForLauncher(200).isEmpty());
}

void tst_E2eDesktop::secondStartRestoresTheMinimisedLauncher()
{
    QCOMPARE(session->windowState(window), QStringLiteral("Iconic"));
    QProcess *second = session->start();
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(session->windowState(window), QStringLiteral("Normal"), 20000);
    QCOMPARE(session->waitForLauncher(), window);
    QCOMPARE(session->geometryOf(window), session->workArea());
    QVERIFY(launcher->state() != QProcess::NotRunning);
    // The second start showed no tray icons of its own.
    QCOMPARE(session->dockedIcons().size(), 3);
}

void tst_E2eDesktop::trayIconOfTheTaskManagerStartsIt()
{
    clickDockedIcon(TaskManagerIcon);
    QCOMPARE(takeRecord(QStringLiteral("taskmanager.txt")), QStringLiteral("task manager|0\n"));
}

void tst_E2eDesktop::shutDownDialogReachesTheRecordingBackendOnly_data()
{
    QTest::addColumn<QPoint>("button");
    QTest::addColumn<QString>("powerLog");
    QTest::addColumn<QString>("taskManager");
    QTest::addColumn<bool>("staysOpen");

    QTest::newRow("stand-by") << kStandByButton << QStringLiteral("suspend\n") << QString() << false;
    QTest::newRow("restart") << kRestartButton << QStringLiteral("reboot\n") << QString() << true;
    QTest::newRow("shut down") << kShutDownButton << QStringLiteral("poweroff\n") << QString() << true;
    QTest::newRow("task manager") << kTaskManagerButton << QString() << QStringLiteral("task manager|0\n") << true;
    QTest::newRow("close") << kCloseButton << QString() << QString() << false;
}

void tst_E2eDesktop::shutDownDialogReachesTheRecordingBackendOnly()
{
    QFETCH(QPoint, button);
    QFETCH(QString, powerLog);
    QFETCH(QString, taskManager);
    QFETCH(bool, staysOpen);
    QFile::remove(session->powerLog());
    const QString dialog = openShutDownDialog();
    QVERIFY2(!dialog.isEmpty(), "the shut-down dialog did not appear");
    const QRect frame = session->geometryOf(dialog);
    QCOMPARE(frame.size(), QSize(700, 180));
    click(frame.topLeft() + button);
    if (!taskManager.isEmpty())
        QCOMPARE(takeRecord(QStringLiteral("taskmanager.txt")), taskManager);
    if (!powerLog.isEmpty())
        QCOMPARE(E2eSession::readWhenThere(session->powerLog()), powerLog);
    if (staysOpen) {
        QVERIFY(!session->x().waitForWindow(kShutDownTitle, 1000).isEmpty());
        click(frame.topLeft() + kCloseButton);
    }
    QTRY_VERIFY_WITH_TIMEOUT(session->x().waitForWindow(kShutDownTitle, 100).isEmpty(), 10000);
    // Nothing else reached the log, and the launcher still runs.
    QCOMPARE(QFile::exists(session->powerLog()), !powerLog.isEmpty());
    if (!powerLog.isEmpty()) {
        QFile log(session->powerLog());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLatin1(log.readAll()), powerLog);
    }
    QVERIFY(!QFile::exists(path(QStringLiteral("taskmanager.txt"))));
    QVERIFY(launcher->state() != QProcess::NotRunning);
}

void tst_E2eDesktop::leaveButtonEndsTheLauncher()
{
    const QString dialog = openShutDownDialog();
    QVERIFY(!dialog.isEmpty());
    click(session->geometryOf(dialog).topLeft() + kLeaveButton);
    QVERIFY(launcher->waitForFinished(20000));
    QCOMPARE(launcher->exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher->exitCode(), 1);
    QVERIFY(!QFile::exists(session->powerLog()));
    QTRY_VERIFY_WITH_TIMEOUT(session->dockedIcons().isEmpty(), 10000);
}

QTEST_MAIN(tst_E2eDesktop)
#include "tst_e2e_desktop.moc"
