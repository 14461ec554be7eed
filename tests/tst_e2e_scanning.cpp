// One-switch scanning on the real launcher and a real X server: with a step of 300 ms the
// highlight reaches the third icon by itself, and one press of the space bar starts its
// program, as a switch box would.

#include "E2eSession.h"
#include "E2eStore.h"
#include "XServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QString recorder(const QString &record)
{
    return QStringLiteral("#!/bin/sh\necho \"$PWD\" >> '%1'\n").arg(record);
}

} // namespace

class tst_E2eScanning : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void spaceStartsTheThirdIconWhenScanningReachesIt();

private:
    // Waits for the scanner to highlight the step of that name and presses the switch.
    bool pressWhenHighlighted(const QString &name);

    QTemporaryDir folder;
    std::unique_ptr<XServer> x;
    QProcess launcher;
    QByteArray errors;
    QStringList steps;
    QStringList otherLines;
};

void tst_E2eScanning::initTestCase()
{
    QVERIFY(folder.isValid());
    x = std::make_unique<XServer>();
    if (!x->isRunning())
        QSKIP("Xvfb is not installed");
    const QString first = folder.filePath(QStringLiteral("first.sh"));
    const QString third = folder.filePath(QStringLiteral("third.sh"));
    QVERIFY(E2eSession::writeFile(first, recorder(folder.filePath(QStringLiteral("first.txt"))).toLocal8Bit(), true));
    QVERIFY(E2eSession::writeFile(third, recorder(folder.filePath(QStringLiteral("third.txt"))).toLocal8Bit(), true));
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("papers"))));

    // The shared tree, scanning every 300 ms, with a program of its own on the third icon.
    QString reg = e2eStoreFile(first, folder.filePath(QStringLiteral("papers")));
    const QString systemKey = QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\System]\n");
    QVERIFY(reg.contains(systemKey));
    reg.replace(systemKey, systemKey + QStringLiteral("\"SWITCH_SCAN_MS\"=\"300\"\n"));
    // The whole value, quotes and all: another icon's target may begin with the same path.
    QString escapedFirst = first;
    escapedFirst.replace(u'\\', QStringLiteral("\\\\"));
    escapedFirst = u'"' + escapedFirst + u'"';
    const qsizetype last = reg.lastIndexOf(escapedFirst);
    QVERIFY(last > reg.indexOf(escapedFirst));
    reg.replace(last, escapedFirst.size(), u'"' + third + u'"');
    QVERIFY(E2eSession::writeFile(folder.filePath(QStringLiteral("EN.reg")), reg.toUtf8()));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMBRA_REGISTRY"), folder.filePath(QStringLiteral("registry.sqlite")));
    environment.insert(QStringLiteral("LUMBRA_LANGID"), QStringLiteral("0x0409"));
    environment.insert(QStringLiteral("LUMBRA_RUNTIME_DIR"), folder.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("LUMBRA_POWER_LOG"), folder.filePath(QStringLiteral("power.log")));
    environment.insert(QStringLiteral("LUMBRA_BENCH_MARKERS"), QStringLiteral("1"));
    environment.insert(QStringLiteral("DISPLAY"), x->displayName());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    QProcess install;
    install.setProcessEnvironment(environment);
    install.setWorkingDirectory(folder.path());
    install.start(QStringLiteral(LUMBRA_EXECUTABLE), {QStringLiteral("--installRegister")});
    QVERIFY(install.waitForFinished(60000));
    QCOMPARE(install.exitCode(), 0);

    launcher.setProcessEnvironment(environment);
    launcher.setWorkingDirectory(folder.path());
    launcher.start(QStringLiteral(LUMBRA_EXECUTABLE), QStringList());
    QVERIFY(launcher.waitForStarted(30000));
    const QString window = x->waitForWindow(QStringLiteral("Lumbra"));
    QVERIFY2(!window.isEmpty(), "the launcher window did not appear");
    x->xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    // The pointer stays off the icons: hovering is no part of scanning.
    x->xdotool({QStringLiteral("mousemove"), QStringLiteral("1000"), QStringLiteral("700")});
}

void tst_E2eScanning::cleanupTestCase()
{
    if (launcher.state() != QProcess::NotRunning) {
        launcher.terminate();
        if (!launcher.waitForFinished(5000))
            launcher.kill();
        launcher.waitForFinished();
    }
    x.reset();
}

bool tst_E2eScanning::pressWhenHighlighted(const QString &name)
{
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && launcher.state() != QProcess::NotRunning) {
        launcher.waitForReadyRead(100);
        errors += launcher.readAllStandardError();
        qsizetype end = 0;
        while ((end = errors.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(errors.left(end));
            errors.remove(0, end + 1);
            if (!line.startsWith(QLatin1String("scan-step "))) {
                otherLines.append(line);
                continue;
            }
            steps.append(line);
            // "scan-step MILLISECONDS INDEX NAME"
            if (line.section(u' ', 3) == name)
                return !x->xdotool({QStringLiteral("key"), QStringLiteral("space")}).isNull();
        }
    }
    otherLines.append(QStringLiteral("launcher state %1, exit code %2").arg(launcher.state()).arg(launcher.exitCode()));
    return false;
}

void tst_E2eScanning::spaceStartsTheThirdIconWhenScanningReachesIt()
{
    const QString third = folder.filePath(QStringLiteral("third.txt"));
    // A press may come after the step has moved on, on a busy machine; the loop is then
    // brought back to the first tab and tried again.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        QVERIFY2(pressWhenHighlighted(QStringLiteral("Added")),
                 qPrintable((steps + otherLines).join(u'\n')));
        QDeadlineTimer deadline(3000);
        while (!deadline.hasExpired() && !QFile::exists(third))
            QTest::qWait(50);
        started = QFile::exists(third);
        if (!started)
            QVERIFY(pressWhenHighlighted(QStringLiteral("Tab 1")));
    }
    QVERIFY2(started, qPrintable(steps.join(u'\n')));
    QFile record(third);
    QVERIFY(record.open(QIODevice::ReadOnly));
    QCOMPARE(record.readAll(), (folder.path() + u'\n').toLocal8Bit());
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("first.txt"))));
    // The steps before it went through the first two icons in order.
    QVERIFY2(steps.size() >= 3, qPrintable(steps.join(u'\n')));
    QCOMPARE(steps.at(0).section(u' ', 2), QStringLiteral("0 Recorder"));
    QCOMPARE(steps.at(1).section(u' ', 2), QStringLiteral("1 Papers"));
}

QTEST_MAIN(tst_E2eScanning)
#include "tst_e2e_scanning.moc"
