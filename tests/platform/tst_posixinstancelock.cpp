// The named mutex that tells a first start from a second one, between real processes: this
// executable starts a copy of itself that takes a name and holds it until it is killed.

#include "ScopedVariable.h"
#include "TestFiles.h"
#include "TestPlatform.h"

#include "platform/posix/PosixInstanceLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char kHoldSwitch[] = "--hold";
const std::u16string kInstanceName = u"{d6044399-0b9e-4084-a9ac-c4b7c7800fcf}";
constexpr int kWait = 30000;

// Takes the name, says whether it found it taken, and keeps it until killed.
int runHolder(const char *name)
{
    platform::PosixInstanceLock lock;
    bool exists = false;
    const platform::MutexHandle mutex = lock.createMutex(QString::fromLocal8Bit(name).toStdU16String(), &exists);
    std::printf("%s\n", mutex == platform::kNoMutex ? "failed" : exists ? "exists" : "held");
    std::fflush(stdout);
    for (;;)
        ::pause();
}

// Descriptors of this process open on `path`, with their close-on-exec flag.
QList<bool> descriptorsOn(const QString &path)
{
    QList<bool> flags;
    const QString target = QFileInfo(path).canonicalFilePath();
    for (const QString &entry : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System | QDir::Files)) {
        if (QFileInfo(QStringLiteral("/proc/self/fd/") + entry).symLinkTarget() == target)
            flags.append((::fcntl(entry.toInt(), F_GETFD) & FD_CLOEXEC) != 0);
    }
    return flags;
}

// What each flock() call answers, in turn (0: taken, else its errno), and how many came.
QList<int> flockAnswers;
int flockCalls = 0;

int scriptedFlock(int, int operation)
{
    const int answer = flockAnswers.value(flockCalls++, EBADF);
    errno = answer;
    return (operation & LOCK_NB) && answer == 0 ? 0 : -1;
}

} // namespace

class tst_PosixInstanceLock : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void heldUntilItsHolderEnds();
    void aSecondHandleInOneProcess();
    void namesStayInTheFolder_data();
    void namesStayInTheFolder();
    void unnamedMutexesAreNeverShared();
    void whichLockErrorsAreTriedAgain_data();
    void whichLockErrorsAreTriedAgain();

private:
    QString folder() const { return root->filePath(QStringLiteral("run")); }
    std::unique_ptr<QProcess> startHolder(const QString &name);

    std::unique_ptr<QTemporaryDir> root;
    std::unique_ptr<ScopedVariable> chosenFolder;
};

void tst_PosixInstanceLock::init()
{
    root = std::make_unique<QTemporaryDir>();
    QVERIFY(root->isValid());
    chosenFolder = std::make_unique<ScopedVariable>("LUMBRA_RUNTIME_DIR", QFile::encodeName(folder()));
}

void tst_PosixInstanceLock::cleanup()
{
    chosenFolder.reset();
    root.reset();
}

std::unique_ptr<QProcess> tst_PosixInstanceLock::startHolder(const QString &name)
{
    auto holder = std::make_unique<QProcess>();
    holder->start(QCoreApplication::applicationFilePath(), {QLatin1String(kHoldSwitch), name});
    while (!holder->canReadLine() && holder->waitForReadyRead(kWait)) {
    }
    return holder;
}

void tst_PosixInstanceLock::heldUntilItsHolderEnds()
{
    platform::PosixInstanceLock lock;
    QVERIFY(!lock.mutexHeld(kInstanceName));
    const auto holder = startHolder(QString::fromStdU16String(kInstanceName));
    QCOMPARE(holder->readLine(), QByteArray("held\n"));
    QVERIFY(lock.mutexHeld(kInstanceName));

    bool exists = false;
    const platform::MutexHandle second = lock.createMutex(kInstanceName, &exists);
    QVERIFY(second != platform::kNoMutex);
    QVERIFY(exists);
    // The second start's handle owns nothing: closing it leaves the first one's lock alone.
    lock.closeMutex(second);
    // Looking does not take it: the holder still has it, and a third start sees that.
    QVERIFY(lock.mutexHeld(kInstanceName));
    const platform::MutexHandle third = lock.createMutex(kInstanceName, &exists);
    QVERIFY(exists);
    lock.closeMutex(third);

    // A crash gives the name back: the kernel drops the lock with the process.
    holder->kill();
    QVERIFY(holder->waitForFinished(kWait));
    QVERIFY(!lock.mutexHeld(kInstanceName));
    const platform::MutexHandle mine = lock.createMutex(kInstanceName, &exists);
    QVERIFY(mine != platform::kNoMutex);
    QVERIFY(!exists);
    // (A holder gone with the statement that started it is killed.)
    QCOMPARE(startHolder(QString::fromStdU16String(kInstanceName))->readLine(), QByteArray("exists\n"));

    lock.closeMutex(mine);
    QVERIFY(!lock.mutexHeld(kInstanceName));
    QCOMPARE(startHolder(QString::fromStdU16String(kInstanceName))->readLine(), QByteArray("held\n"));
}

// As on Windows, a process that creates the name again is told that it exists. Programs the
// launcher starts must not keep its lock after it ends.
void tst_PosixInstanceLock::aSecondHandleInOneProcess()
{
    platform::PosixInstanceLock lock;
    bool exists = true;
    const platform::MutexHandle first = lock.createMutex(kInstanceName, &exists);
    QVERIFY(!exists);
    const platform::MutexHandle second = lock.createMutex(kInstanceName, &exists);
    QVERIFY(exists);
    QVERIFY(first != second);
    const QString file = QString::fromStdString(
        platform::PosixInstanceLock::lockFilePath(QFile::encodeName(folder()).toStdString(), kInstanceName));
    QCOMPARE(descriptorsOn(file), QList<bool>{true});
    lock.closeMutex(second);
    lock.closeMutex(second + first + 1);
    lock.closeMutex(platform::kNoMutex);
    QVERIFY(lock.mutexHeld(kInstanceName));
    lock.closeMutex(first);
    QVERIFY(!lock.mutexHeld(kInstanceName));
    QCOMPARE(descriptorsOn(file), QList<bool>());
    // Closing twice does nothing more.
    lock.closeMutex(first);

    // Removed under a running launcher, the folder and the file come back; a file another
    // start made and took meanwhile is that start's, and said to be lost, once.
    lock.createMutex(kInstanceName, &exists);
    QVERIFY(QDir(folder()).removeRecursively());
    QTRY_COMPARE(descriptorsOn(file), QList<bool>{true});
    QFile::remove(file);
    platform::PosixInstanceLock other;
    StderrCapture said;
    QVERIFY(other.createMutex(kInstanceName, &exists) != platform::kNoMutex && !exists);
    QTRY_VERIFY(fileBytes(QStringLiteral("/proc/self/fd/2")).contains("cannot be taken again: another start holds it now"));
    QVERIFY(said.lines().size() == 1 && descriptorsOn(file).size() == 1);
    // A folder where the file goes: no lock, and said why.
    StderrCapture refused;
    QVERIFY(QFile::remove(file) && QDir().mkdir(file));
    QCOMPARE(lock.createMutex(kInstanceName, &exists), platform::kNoMutex);
    QVERIFY(refused.lines().value(0).startsWith("lumbra: cannot use the lock file"));
}

void tst_PosixInstanceLock::namesStayInTheFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("other");

    QTest::newRow("instance name") << QString::fromStdU16String(kInstanceName) << "{D6044399}";
    QTest::newRow("Windows namespace") << "Global\\lumbra" << "Global_lumbra";
    QTest::newRow("slashes") << "a/b" << "a_b";
    QTest::newRow("climbing out") << "../../../etc/lumbra" << "..";
    QTest::newRow("dots") << "." << "..";
    QTest::newRow("hidden") << ".lumbra" << "%2Elumbra";
    QTest::newRow("percent") << "%2F" << "/";
    QTest::newRow("long") << QString(300, u'x') << QString(301, u'x');
    QTest::newRow("long and short") << "%sha256-" + QString(64, u'0') << QString(300, u'y');
    QTest::newRow("beyond ASCII") << "Ünïcode ✓" << "Unicode";
}

void tst_PosixInstanceLock::namesStayInTheFolder()
{
    QFETCH(QString, name);
    QFETCH(QString, other);

    platform::PosixInstanceLock lock;
    bool exists = true;
    const platform::MutexHandle mutex = lock.createMutex(name.toStdU16String(), &exists);
    QVERIFY(mutex != platform::kNoMutex);
    QVERIFY(!exists);
    const QStringList files = QDir(folder()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    QCOMPARE(files.size(), 1);
    QVERIFY(QFileInfo(folder() + u'/' + files.first()).isFile());
    QCOMPARE(QDir(root->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"run"});
    // A different name is a different lock.
    QVERIFY(!lock.mutexHeld(other.toStdU16String()));
    const platform::MutexHandle second = lock.createMutex(other.toStdU16String(), &exists);
    QVERIFY(!exists);
    lock.closeMutex(second);
    lock.closeMutex(mutex);
}

void tst_PosixInstanceLock::unnamedMutexesAreNeverShared()
{
    platform::PosixInstanceLock lock;
    bool exists = true;
    const platform::MutexHandle first = lock.createMutex(u"", &exists);
    QVERIFY(first != platform::kNoMutex);
    QVERIFY(!exists);
    const platform::MutexHandle second = lock.createMutex(u"", &exists);
    QVERIFY(!exists);
    QVERIFY(!lock.mutexHeld(u""));
    lock.closeMutex(first);
    lock.closeMutex(second);
}

void tst_PosixInstanceLock::whichLockErrorsAreTriedAgain_data()
{
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("calls");
    QTest::newRow("taken at once") << QList<int>{0} << 0 << 1;
    QTest::newRow("a signal between") << QList<int>{EINTR, 0} << 0 << 2;
    QTest::newRow("someone looking, then free") << QList<int>{EWOULDBLOCK, EWOULDBLOCK, EWOULDBLOCK, EWOULDBLOCK, 0}
                                                << 0 << 5;
    QTest::newRow("held") << QList<int>(5, EWOULDBLOCK) << EWOULDBLOCK << 5;
    QTest::newRow("signals only") << QList<int>(5, EINTR) << EINTR << 5;
    QTest::newRow("no locks left") << QList<int>{ENOLCK, 0} << ENOLCK << 1;
    QTest::newRow("a signal, then no locks") << QList<int>{EINTR, ENOLCK, 0} << ENOLCK << 2;
    QTest::newRow("not a descriptor") << QList<int>{EBADF, 0} << EBADF << 1;
}

void tst_PosixInstanceLock::whichLockErrorsAreTriedAgain()
{
    QFETCH(QList<int>, answers);
    QFETCH(int, result);
    QFETCH(int, calls);
    flockAnswers = answers;
    flockCalls = 0;
    QElapsedTimer waited;
    waited.start();
    QCOMPARE(platform::PosixInstanceLock::tryLock(3, LOCK_EX, scriptedFlock), result);
    QCOMPARE(flockCalls, calls);
    // Each look again comes after a pause: a start that only looks gets the time to let go.
    QVERIFY(waited.nsecsElapsed() >= (calls - 1) * 2'000'000LL);
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], kHoldSwitch) == 0)
        return runHolder(argv[2]);
    QCoreApplication app(argc, argv);
    tst_PosixInstanceLock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_posixinstancelock.moc"
