// One-switch scanning on the real launcher and a real X server: with a step of 300 ms the
// highlight reaches the third icon by itself, and one press of the space bar starts its
// program, as a switch box would.

#include "E2eStore.h"
#include "E2eTest.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

class tst_E2eScanning : public E2eTest
{
    Q_OBJECT

public:
    tst_E2eScanning() { options.windowManager = options.trayHost = true; }

private slots:
    void spaceStartsTheThirdIconWhenScanningReachesIt();
    void trayIconKeepsItsClick();

private:
    void prepare() override;
    // Waits for the scanner to highlight the step of that name `time` times and presses the switch.
    bool pressWhenHighlighted(const QString &name, int time = 1);

    qsizetype readUpTo = 0;
    QStringList steps;
    QStringList otherLines;
};

// The shared tree, scanning every 300 ms, with a program of its own on the third icon.
void tst_E2eScanning::prepare()
{
    const QString third = writeRecorder(QStringLiteral("third.sh"), QStringLiteral("third.txt"), QStringLiteral("$PWD"));
    install(e2eStoreFile(writeRecorder(QStringLiteral("first.sh"), QStringLiteral("first.txt"), QStringLiteral("$PWD")),
                         path(QStringLiteral("papers")))
            + e2eIconEntry(3, QStringLiteral("Added"), third, 1, 0) + e2eSystemValue(QStringLiteral("SWITCH_SCAN_MS"), QStringLiteral("300")));
    session->setVariable(QStringLiteral("LUMBRA_BENCH_MARKERS"), QStringLiteral("1"));
    // The pointer stays off the icons: hovering is no part of scanning.
    startLauncher();
}

bool tst_E2eScanning::pressWhenHighlighted(const QString &name, int time)
{
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && launcher->state() != QProcess::NotRunning) {
        QTest::qWait(20);
        const QByteArray errors = launcherErrors();
        qsizetype end = 0;
        while ((end = errors.indexOf('\n', readUpTo)) >= 0) {
            const QString line = QString::fromLocal8Bit(errors.mid(readUpTo, end - readUpTo));
            readUpTo = end + 1;
            if (!line.startsWith(QLatin1String("scan-step "))) {
                otherLines.append(line);
                continue;
            }
            steps.append(line);
            // "scan-step MILLISECONDS INDEX NAME"
            if (line.section(u' ', 3) == name && --time == 0) {
                pressKeys({QStringLiteral("space")});
                return !QTest::currentTestFailed();
            }
        }
    }
    otherLines.append(QStringLiteral("launcher state %1, exit code %2").arg(launcher->state()).arg(launcher->exitCode()));
    return false;
}

void tst_E2eScanning::spaceStartsTheThirdIconWhenScanningReachesIt()
{
    const QString third = path(QStringLiteral("third.txt"));
    // A press may come after the step has moved on, on a busy machine; the loop is then
    // brought back to the first tab and tried again.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        QVERIFY2(pressWhenHighlighted(QStringLiteral("Added"), attempt == 0 ? 2 : 1),
                 qPrintable((steps + otherLines).join(u'\n')));
        QDeadlineTimer deadline(3000);
        while (!deadline.hasExpired() && !QFile::exists(third))
            QTest::qWait(50);
        started = QFile::exists(third);
        if (!started)
            QVERIFY(pressWhenHighlighted(QStringLiteral("Tab 1")));
    }
    QVERIFY2(started, qPrintable(steps.join(u'\n')));
    QCOMPARE(takeRecord(QStringLiteral("third.txt")), path(QString()) + u'\n');
    QVERIFY(!QFile::exists(path(QStringLiteral("first.txt"))));
    // The steps before it went through the first two icons in order, and round the loop.
    QVERIFY2(steps.size() >= 3, qPrintable(steps.join(u'\n')));
    QCOMPARE(steps.at(0).section(u' ', 2), QStringLiteral("0 Recorder"));
    QCOMPARE(steps.at(1).section(u' ', 2), QStringLiteral("1 Papers"));
    const qsizetype round = steps.indexOf(QRegularExpression(QStringLiteral("scan-step \\S+ 0 .*")), 1);
    QVERIFY2(round > 2 && steps.at(round - 1).section(u' ', 2, 2).toInt() == round - 1, qPrintable(steps.join(u'\n')));
}

// The carer reaches the tray: its click minimises the launcher and starts nothing scanned.
void tst_E2eScanning::trayIconKeepsItsClick()
{
    QTRY_COMPARE_WITH_TIMEOUT(session->dockedIcons().size(), 3, 20000);
    click(session->geometryOf(session->dockedIcons().first()).center());
    QTRY_COMPARE_WITH_TIMEOUT(session->windowState(window), QStringLiteral("Iconic"), 20000);
    QVERIFY(!QFile::exists(path(QStringLiteral("first.txt"))) && !QFile::exists(path(QStringLiteral("third.txt"))));
}

QTEST_MAIN(tst_E2eScanning)
#include "tst_e2e_scanning.moc"
