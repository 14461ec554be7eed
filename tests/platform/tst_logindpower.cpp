// The power backend as tests may use it: with LUMBRA_POWER_LOG every action is one line in
// that file and nothing else; without it, a test process aborts before reaching logind. And
// what goes over the system bus, to a logind of the test's own on a bus of its own.

#include "E2eSession.h"
#include "ScopedVariable.h"
#include "TestFiles.h"
#include "TestPlatform.h"

#include "platform/posix/LogindPower.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

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

// logind's manager object: each call is recorded as "interface.member signature arguments"
// and answered, with an error while `refusing`. It answers from a thread of its own, since
// the backend's call blocks the main one.
class FakeLogind : public QDBusVirtualObject
{
public:
    QString introspect(const QString &) const override { return QString(); }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        QStringList call{message.interface() + u'.' + message.member(), message.signature()};
        for (const QVariant &argument : message.arguments())
            call << argument.toString();
        calls << call.join(u' ');
        connection.send(refusing ? message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                                            QStringLiteral("Access denied"))
                                 : message.createReply());
        return true;
    }
    QStringList calls;
    bool refusing = false;
};

} // namespace

class tst_LogindPower : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void actionsGoToTheLog_data();
    void actionsGoToTheLog();
    void withoutALogATestAborts_data();
    void withoutALogATestAborts();
    void actionsReachLogind_data();
    void actionsReachLogind();

private:
    std::unique_ptr<QTemporaryDir> root;
    // The system bus of this process, from the start: the bus of a session of its own.
    std::unique_ptr<E2eSession> session;
    std::unique_ptr<ScopedVariable> systemBus;
    QThread logindThread;
    FakeLogind logind;
};

void tst_LogindPower::initTestCase()
{
    E2eSession::Options offscreen;
    offscreen.offscreen = true;
    session = std::make_unique<E2eSession>(offscreen);
    QVERIFY2(session->failure().isEmpty(), qPrintable(session->failure()));
    const QString address = session->environment().value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    systemBus = std::make_unique<ScopedVariable>("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    QDBusConnection logindBus = QDBusConnection::connectToBus(address, QStringLiteral("logind"));
    logind.moveToThread(&logindThread);
    logindThread.start();
    QVERIFY(logindBus.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &logind));
    QVERIFY(logindBus.registerService(QStringLiteral("org.freedesktop.login1")));
    // Only once the system bus is known to be the test's own may the backend use it.
    QCOMPARE(QDBusConnection::systemBus().interface()->serviceOwner(QStringLiteral("org.freedesktop.login1")).value(),
             logindBus.baseService());
}

void tst_LogindPower::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
    logindThread.quit();
    logindThread.wait();
}

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
    QTest::newRow("on a full disk") << "/dev/full" << QStringList{"reboot"} << QByteArray() << QByteArray();
}

void tst_LogindPower::actionsGoToTheLog()
{
    QFETCH(QString, log);
    QFETCH(QStringList, actions);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    log.replace(QLatin1String("{root}"), root->path());
    if (!before.isEmpty())
        QVERIFY(writeFile(log, before));
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
    QCOMPARE(fileBytes(log), after);
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

void tst_LogindPower::actionsReachLogind_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("refusing");
    QTest::addColumn<QString>("call");
    const QString manager = QStringLiteral("org.freedesktop.login1.Manager.");
    // Interactive: polkit may ask for a password.
    QTest::newRow("stand-by") << "suspend" << false << manager + "Suspend b true";
    QTest::newRow("restart") << "reboot" << false << manager + "Reboot b true";
    QTest::newRow("shut down") << "poweroff" << false << manager + "PowerOff b true";
    QTest::newRow("shut down, refused") << "poweroff" << true << manager + "PowerOff b true";
}

void tst_LogindPower::actionsReachLogind()
{
    QFETCH(QString, action);
    QFETCH(bool, refusing);
    QFETCH(QString, call);
    logind.calls.clear();
    logind.refusing = refusing;
    const ScopedVariable noLog("LUMBRA_POWER_LOG", QByteArray());
    const ScopedVariable allowed("LUMBRA_POWER_FORBIDDEN", QByteArray());
    platform::LogindPower power;
    StderrCapture capture;
    QCOMPARE(act(power, action), !refusing);
    QCOMPARE(capture.lines().size(), refusing ? 1 : 0);
    QCOMPARE(logind.calls, QStringList{call});
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
