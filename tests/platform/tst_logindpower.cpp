// The power backend as tests may use it: with LUMBRA_POWER_LOG every action is one line in
// that file and nothing else; without it, a test process aborts before reaching logind.

#include "ScopedVariable.h"
#include "TestPlatform.h"

#include "platform/posix/LogindPower.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <cstring>

namespace {

const char kUnloggedSwitch[] = "--unlogged";

// What a test would do if it forgot the log: the guard must stop it.
int runUnlogged(const char *action)
{
    ::unsetenv("LUMBRA_POWER_LOG");
    platform::LogindPower power;
    if (std::strcmp(action, "suspend") == 0)
        return power.suspend() ? 0 : 1;
    if (std::strcmp(action, "reboot") == 0)
        return power.reboot() ? 0 : 1;
    return power.powerOff() ? 0 : 1;
}

bool act(platform::Power &power, const QString &action)
{
    if (action == QLatin1String("suspend"))
        return power.suspend();
    if (action == QLatin1String("reboot"))
        return power.reboot();
    return power.powerOff();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class tst_LogindPower : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void actionsGoToTheLog_data();
    void actionsGoToTheLog();
    void withoutALogATestAborts_data();
    void withoutALogATestAborts();

private:
    std::unique_ptr<QTemporaryDir> root;
};

void tst_LogindPower::init()
{
    root = std::make_unique<QTemporaryDir>();
    QVERIFY(root->isValid());
}

void tst_LogindPower::actionsGoToTheLog_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after"); // none: refused, one line on stderr

    const QString log = QStringLiteral("{root}/power.log");
    QTest::newRow("stand-by") << log << QStringList{"suspend"} << QByteArray() << QByteArray("suspend\n");
    QTest::newRow("restart") << log << QStringList{"reboot"} << QByteArray() << QByteArray("reboot\n");
    QTest::newRow("shut down") << log << QStringList{"poweroff"} << QByteArray() << QByteArray("poweroff\n");
    QTest::newRow("in order, after what was there") << log << QStringList{"reboot", "suspend", "poweroff"}
                                                     << QByteArray("earlier\n")
                                                     << QByteArray("earlier\nreboot\nsuspend\npoweroff\n");
    // Set but unusable still means "not for real": nothing reaches the machine.
    QTest::newRow("a folder") << "{root}" << QStringList{"reboot"} << QByteArray() << QByteArray();
    QTest::newRow("in a missing folder") << "{root}/gone/power.log" << QStringList{"reboot"} << QByteArray()
                                         << QByteArray();
    QTest::newRow("set but empty") << "" << QStringList{"reboot"} << QByteArray() << QByteArray();
}

void tst_LogindPower::actionsGoToTheLog()
{
    QFETCH(QString, log);
    QFETCH(QStringList, actions);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    log.replace(QLatin1String("{root}"), root->path());
    if (!before.isEmpty()) {
        QFile file(log);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    const ScopedVariable chosen("LUMBRA_POWER_LOG", QFile::encodeName(log));
    platform::LogindPower power;
    StderrCapture capture;
    QVERIFY(power.enableShutdownPrivilege());
    for (const QString &action : actions)
        QCOMPARE(act(power, action), !after.isEmpty());
    const QStringList lines = capture.lines();
    if (after.isEmpty()) {
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(QLatin1String("reboot")), qPrintable(lines.first()));
        return;
    }
    QCOMPARE(lines, QStringList());
    QCOMPARE(readAll(log), after);
}

void tst_LogindPower::withoutALogATestAborts_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("stand-by") << "suspend";
    QTest::newRow("restart") << "reboot";
    QTest::newRow("shut down") << "poweroff";
}

void tst_LogindPower::withoutALogATestAborts()
{
    QFETCH(QString, action);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(kUnloggedSwitch), action});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    const QString err = QString::fromLocal8Bit(child.readAllStandardError());
    QVERIFY2(err.contains(QLatin1String("refusing to ") + action), qPrintable(err));
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], kUnloggedSwitch) == 0)
        return runUnlogged(argv[2]);
    QCoreApplication app(argc, argv);
    tst_LogindPower test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logindpower.moc"
