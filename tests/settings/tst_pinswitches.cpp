// --setPin and --clearPin as a carer runs them: the real executable, a store file of its own,
// the PINs on standard input.

#include "TestFiles.h"
#include "TestPlatform.h"

#include "platform/Platform.h"
#include "platform/posix/SqliteRegistry.h"
#include "settings/LockPinStore.h"
#include "settings/PinHash.h"
#include "settings/RegistryPaths.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

const QByteArray kRegFile =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\System]\r\n"
    "\"LUMBRA_WINDOWTITLE\"=\"Lumbra\"\r\n"
    "\"NUMBER_OF_TABS\"=\"0\"\r\n";

} // namespace

class tst_PinSwitches : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void setPinTakesTheSamePinTwice_data();
    void setPinTakesTheSamePinTwice();
    void aSetLockNeedsItsPin_data();
    void aSetLockNeedsItsPin();
    void damagedLockCanBeReplaced();
    void noSettingsNoLock_data();
    void noSettingsNoLock();
    void lockTravelsWithTheExport();

private:
    Run run(const QString &store, const QString &switchName, const QByteArray &input);
    Run run(const QString &switchName, const QByteArray &input) { return run(storePath(), switchName, input); }
    // What the store holds as LOCK_PIN, read the way the launcher reads it.
    QString storedLock(const QString &store);
    QString storedLock() { return storedLock(storePath()); }
    void install(const QString &store);
    QString storePath() const { return folder->filePath(QStringLiteral("store.sqlite")); }

    std::unique_ptr<QTemporaryDir> folder;
};

void tst_PinSwitches::init()
{
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    install(storePath());
}

Run tst_PinSwitches::run(const QString &store, const QString &switchName, const QByteArray &input)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMBRA_REGISTRY"), store);
    environment.insert(QStringLiteral("LUMBRA_LANGID"), QStringLiteral("0x0409"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder->path());
    process.start(QStringLiteral(LUMBRA_EXECUTABLE), switchName.split(u' '));
    Run result;
    if (!process.waitForStarted(60000))
        return result;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void tst_PinSwitches::install(const QString &store)
{
    QVERIFY(writeFile(folder->filePath(QStringLiteral("EN.reg")), kRegFile));
    QCOMPARE(run(store, QStringLiteral("--installRegister"), QByteArray()).exitCode, 0);
}

QString tst_PinSwitches::storedLock(const QString &store)
{
    platform::SqliteRegistry registry(QFile::encodeName(store).toStdString());
    platform::useRegistry(&registry);
    systemKeyPath = QStringLiteral("Software\\ORTAN\\Lumbra\\EN\\System");
    LockPinStore::remember(QString());
    const QString hash = LockPinStore::read();
    platform::useRegistry(nullptr);
    return hash;
}

void tst_PinSwitches::setPinTakesTheSamePinTwice_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("pin");
    QTest::addColumn<QString>("error");

    QTest::newRow("same twice") << QByteArray("4711\n4711\n") << 0 << QStringLiteral("4711") << QString();
    QTest::newRow("Windows line ends") << QByteArray("4711\r\n4711\r\n") << 0 << QStringLiteral("4711") << QString();
    QTest::newRow("no line end at the end") << QByteArray("123456\n123456") << 0 << QStringLiteral("123456")
                                            << QString();
    QTest::newRow("two different") << QByteArray("4711\n4712\n") << 2 << QString() << QStringLiteral("differ");
    QTest::newRow("only once") << QByteArray("4711\n") << 2 << QString() << QStringLiteral("once");
    QTest::newRow("nothing") << QByteArray() << 2 << QString() << QStringLiteral("no PIN");
    QTest::newRow("too short") << QByteArray("123\n123\n") << 2 << QString() << QStringLiteral("4 to 12 digits");
    QTest::newRow("letters") << QByteArray("abcd\nabcd\n") << 2 << QString() << QStringLiteral("4 to 12 digits");
    QTest::newRow("empty lines") << QByteArray("\n\n") << 2 << QString() << QStringLiteral("4 to 12 digits");
    QTest::newRow("huge line") << QByteArray(1 << 20, '7') + "\n" << 2 << QString()
                               << QStringLiteral("4 to 12 digits");
}

void tst_PinSwitches::setPinTakesTheSamePinTwice()
{
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, pin);
    QFETCH(QString, error);
    const Run result = run(QStringLiteral("--setPin"), input);
    QCOMPARE(result.exitCode, exitCode);
    const QString stored = storedLock();
    if (exitCode == 0) {
        QVERIFY2(result.err.isEmpty(), result.err.constData());
        QVERIFY(PinHash::matches(pin, stored));
        QVERIFY(!stored.contains(pin));
    } else {
        QVERIFY(stored.isEmpty());
        QCOMPARE(result.err.count('\n'), 1);
        QVERIFY2(QString::fromLocal8Bit(result.err).contains(error), result.err.constData());
    }
    // The PIN is never shown, whatever went wrong.
    for (const QByteArray &line : input.split('\n')) {
        const QByteArray typed = line.trimmed();
        if (typed.size() >= 3) {
            QVERIFY(!result.out.contains(typed.left(64)));
            QVERIFY(!result.err.contains(typed.left(64)));
        }
    }
}

void tst_PinSwitches::aSetLockNeedsItsPin_data()
{
    QTest::addColumn<QString>("switchName");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("lockAfter"); // the PIN that opens it then; "2580": unchanged

    QTest::newRow("cleared with the PIN") << "--clearPin" << QByteArray("2580\n") << 0 << QString();
    QTest::newRow("cleared with a wrong one") << "--clearPin" << QByteArray("2581\n") << 2 << "2580";
    QTest::newRow("cleared with nothing") << "--clearPin" << QByteArray() << 2 << "2580";
    QTest::newRow("cleared with the stored hash") << "--clearPin" << QByteArray("<hash>\n") << 2 << "2580";
    QTest::newRow("changed with a wrong one") << "--setPin" << QByteArray("9999\n2222\n2222\n") << 2 << "2580";
    QTest::newRow("changed with nothing") << "--setPin" << QByteArray() << 2 << "2580";
    QTest::newRow("changed with the PIN") << "--setPin" << QByteArray("2580\n2222\n2222\n") << 0 << "2222";
}

void tst_PinSwitches::aSetLockNeedsItsPin()
{
    QFETCH(QString, switchName);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, lockAfter);
    QCOMPARE(run(QStringLiteral("--setPin"), "2580\n2580\n").exitCode, 0);
    const QString hash = storedLock();
    input.replace("<hash>", hash.toLatin1());
    const Run result = run(switchName, input);
    QCOMPARE(result.exitCode, exitCode);
    // A refusal is said once, in one line.
    QVERIFY(exitCode == 0
            || ((result.err.contains("wrong") || result.err.contains("no PIN")) && result.err.count('\n') == 1));
    if (lockAfter == QLatin1String("2580"))
        QCOMPARE(storedLock(), hash);
    else
        QVERIFY(lockAfter.isNull() ? storedLock().isEmpty() : PinHash::matches(lockAfter, storedLock()));
    QVERIFY(!result.err.contains("2580") && !result.out.contains("2580"));
    QCOMPARE(result.out == "The caregiver lock is off.\n", lockAfter.isNull());
    // Cleared twice is still cleared, and said so.
    if (lockAfter.isNull())
        QCOMPARE(run(QStringLiteral("--clearPin"), QByteArray()).exitCode, 0);
}

// A lock nobody can check (a hand-edited value) is no way to keep the carer out.
void tst_PinSwitches::damagedLockCanBeReplaced()
{
    QVERIFY(writeFile(folder->filePath(QStringLiteral("EN.reg")),
                      kRegFile + "\"LOCK_PIN\"=\"pbkdf2-sha256:broken\"\r\n"));
    for (const char *switchName : {"--clearPin", "--setPin"}) {
        QCOMPARE(run(QStringLiteral("--installRegister"), QByteArray()).exitCode, 0);
        const Run replaced = run(QLatin1String(switchName), "3333\n3333\n");
        QCOMPARE(replaced.exitCode, 0);
        QVERIFY(replaced.err.contains("could not be read"));
    }
    QVERIFY(PinHash::matches(QStringLiteral("3333"), storedLock()));
}

void tst_PinSwitches::noSettingsNoLock_data()
{
    QTest::addColumn<QString>("switchName");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("error"); // else: a tree locked with 1234 in a store that refuses writes
    QTest::newRow("--setPin") << "--setPin" << QByteArray("1234\n1234\n") << QByteArray("--installRegister");
    QTest::newRow("--clearPin") << "--clearPin" << QByteArray("1234\n") << QByteArray("--installRegister");
    QTest::newRow("--setPin, refused") << "--setPin" << QByteArray("1234\n5678\n5678\n")
                                       << QByteArray("could not be stored");
    QTest::newRow("--clearPin, refused") << "--clearPin" << QByteArray("1234\n") << QByteArray("stays on");
}

// Without settings, or with a store that takes no write, the lock stays as it was and the
// carer is told so, never that it is on or off.
void tst_PinSwitches::noSettingsNoLock()
{
    QFETCH(QString, switchName);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, error);
    QString store = folder->filePath(QStringLiteral("empty.sqlite"));
    if (!error.startsWith("--")) {
        store = storePath();
        QCOMPARE(run(QStringLiteral("--setPin"), "1234\n1234\n").exitCode, 0);
        for (const char *change : {"INSERT", "UPDATE", "DELETE"})
            QVERIFY(executeOnStore(store, QStringLiteral("CREATE TRIGGER refuse%1 BEFORE %1 ON reg_values BEGIN "
                                                         "SELECT RAISE(ABORT, 'read-only'); END").arg(change)));
    }
    const QString before = storedLock(store);
    const Run result = run(store, switchName, input);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.contains(error), result.err.constData());
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(storedLock(store), before);
}

// A carer locks one PC, exports its settings and installs them on another: the same PIN
// opens the lock there.
void tst_PinSwitches::lockTravelsWithTheExport()
{
    QCOMPARE(run(QStringLiteral("--setPin"), "8642\n8642\n").exitCode, 0);
    const Run exported = run(QStringLiteral("--exportRegister --utf8"), QByteArray());
    QCOMPARE(exported.exitCode, 0);
    QVERIFY(exported.out.contains("\"LOCK_PIN\"="));
    QVERIFY(writeFile(folder->filePath(QStringLiteral("EN.reg")), exported.out));
    const QString other = folder->filePath(QStringLiteral("other.sqlite"));
    QCOMPARE(run(other, QStringLiteral("--installRegister"), QByteArray()).exitCode, 0);
    QCOMPARE(storedLock(other), storedLock());
    QCOMPARE(run(other, QStringLiteral("--clearPin"), "8641\n").exitCode, 2);
    QCOMPARE(run(other, QStringLiteral("--clearPin"), "8642\n").exitCode, 0);
    QVERIFY(storedLock(other).isEmpty());
    // Cleared, the value is gone, as in a tree that never had a lock.
    QVERIFY(!run(other, QStringLiteral("--exportRegister --utf8"), QByteArray()).out.contains("LOCK_PIN"));
}

QTEST_MAIN(tst_PinSwitches)
#include "tst_pinswitches.moc"
