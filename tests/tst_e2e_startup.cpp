// The start of the program, with real processes on a private X server that has a tray host:
// the first start's question, the launcher filling the screen with its three tray icons
// docked, and "--close" ending it (a second start handing over: tst_e2e_desktop).

#include "E2eStore.h"
#include "E2eTest.h"

#include "settings/SettingStore.h"

#include <QFile>
#include <QProcess>
#include <QTest>

class tst_E2eStartUp : public E2eTest
{
    Q_OBJECT

public:
    // No window manager: nothing but the launcher decides where its window goes.
    tst_E2eStartUp() { options.trayHost = true; }

private slots:
    void choosingTheDesktopEndsWithZeroAndAsksAgain();
    void choosingTheLauncherStoresTheAnswer();
    void closeSwitchEndsTheLauncher();

private:
    void prepare() override;
};

void tst_E2eStartUp::prepare()
{
    install(e2eStoreFile(QStringLiteral("/bin/true"), path(QStringLiteral("papers")), 1));
    QCOMPARE(stored().mySystem.IS_FIRST_RUN, 1);
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
    QCOMPARE(stored().mySystem.IS_FIRST_RUN, 1);
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
    QCOMPARE(stored().mySystem.IS_FIRST_RUN, 0);
    QVERIFY(launcher->state() != QProcess::NotRunning);
    // The main icon, the shut-down dialog's and the task manager's.
    QTRY_COMPARE_WITH_TIMEOUT(session->dockedIcons().size(), 3, 20000);
}

void tst_E2eStartUp::closeSwitchEndsTheLauncher()
{
    QVERIFY(launcher);
    closeLauncher();
    QVERIFY(!QFile::exists(session->powerLog()));
    QTRY_VERIFY_WITH_TIMEOUT(session->dockedIcons().isEmpty(), 10000);
}

QTEST_MAIN(tst_E2eStartUp)
#include "tst_e2e_startup.moc"
