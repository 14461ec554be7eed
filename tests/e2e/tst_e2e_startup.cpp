// The start of the program, with real processes on a private X server that has a tray host:
// the first start's question, the launcher filling the screen with its three tray icons
// docked, and "--close" ending it, or failing after a while where it does not answer (a
// second start handing over: tst_e2e_desktop).

#include "E2eStore.h"
#include "E2eTest.h"

#include "settings/SettingStore.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <csignal>

class tst_E2eStartUp : public E2eTest
{
    Q_OBJECT

public:
    // No window manager: nothing but the launcher decides where its window goes.
    tst_E2eStartUp() { options.trayHost = true; }

private slots:
    void choosingTheDesktopEndsWithZeroAndAsksAgain();
    void closeSwitchEndsTheQuestion();
    void choosingTheLauncherStoresTheAnswer();
    void closeSwitchGivesUpOnALauncherThatDoesNotAnswer();

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
    // Escape chooses nothing; Tab takes the thick yellow ring to the desktop's picture, and Return chooses it.
    const auto ringAround = [&](int x) {
        const QRect around(dialog.topLeft() + QPoint(x - 6, 18), QSize(145, 88));
        const QImage ring = session->grab(around).convertToFormat(QImage::Format_RGB32);
        const auto *pixels = reinterpret_cast<const QRgb *>(ring.constBits());
        return std::count(pixels, pixels + ring.width() * ring.height(), qRgb(255, 221, 0));
    };
    focus(question);
    pressKeys({QStringLiteral("Escape"), QStringLiteral("Tab")});
    QTRY_VERIFY_WITH_TIMEOUT(ringAround(222) > 1000 && ringAround(50) == 0, 10000);
    pressKeys({QStringLiteral("Return")});
    QVERIFY(first->waitForFinished(15000));
    QCOMPARE(first->exitCode(), 0);
    QCOMPARE(stored().mySystem.IS_FIRST_RUN, 1);
    // No tray icon was shown before the answer.
    QVERIFY(session->dockedIcons().isEmpty());
}

// Until it is answered, the question ends as a launcher does on "--close".
void tst_E2eStartUp::closeSwitchEndsTheQuestion()
{
    startLauncher();
    closeLauncher();
    QCOMPARE(stored().mySystem.IS_FIRST_RUN, 1);
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

// A launcher that does not answer (stopped here) keeps "--close" waiting ten seconds at most;
// the switch then says so and fails, and the messages it sent end the launcher once it runs
// again. (Every row of tst_e2e_brokenstores closes an answering launcher.)
void tst_E2eStartUp::closeSwitchGivesUpOnALauncherThatDoesNotAnswer()
{
    QVERIFY(launcher);
    const pid_t pid = pid_t(launcher->processId());
    QCOMPARE(::kill(pid, SIGSTOP), 0);
    QProcess *close = session->start({QStringLiteral("--close")}, path(QStringLiteral("close.txt")));
    const bool ended = close->waitForFinished(60000);
    QCOMPARE(::kill(pid, SIGCONT), 0);
    QVERIFY(ended);
    QCOMPARE(close->exitCode(), 2);
    QVERIFY(E2eSession::readWhenThere(path(QStringLiteral("close.txt"))).contains(QLatin1String("did not end within 10 seconds")));
    QVERIFY(launcher->waitForFinished(20000));
    QCOMPARE(launcher->exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher->exitCode(), 1);
    QVERIFY(!QFile::exists(session->powerLog()));
    QTRY_VERIFY_WITH_TIMEOUT(session->dockedIcons().isEmpty(), 10000);
}

QTEST_MAIN(tst_E2eStartUp)
#include "tst_e2e_startup.moc"
