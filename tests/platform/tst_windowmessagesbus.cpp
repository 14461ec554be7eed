// Window messages between launcher processes. This executable starts copies of itself: as
// endpoints (a window on the bus in a GUI application, logging what reaches its filter and
// its handler, ending on WM_CLOSE as the launcher does), as senders without any application
// object, and as a sender of another user.

#include "ScopedVariable.h"
#include "TestFiles.h"
#include "TestPlatform.h"
#include "WindowCases.h"

#include "platform/posix/BusDirectory.h"
#include "platform/posix/BusFrame.h"
#include "platform/posix/BusSocket.h"
#include "platform/posix/PosixInstanceLock.h"
#include "platform/posix/PosixWindowMessages.h"
#include "platform/posix/RuntimeFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <grp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kEndpointSwitch[] = "--endpoint";
const char kPostSwitch[] = "--post";
const char kForeignPostSwitch[] = "--post-as-user";
const char kMessageNumberSwitch[] = "--message-number";

constexpr unsigned kPlain = platform::kWmUser + 7;
// The endpoints' filter answers true for this one: their handler must never see it.
constexpr unsigned kSwallowed = platform::kWmUser + 9;
constexpr uid_t kNobody = 65534;
const std::u16string kLockName = u"lumbra-test";
constexpr int kWait = 30000;

using platform::WindowHandle;
using platform::WindowMessage;

const char *threadName()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread() ? "gui" : "other";
}

int runEndpoint(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    FILE *log = std::fopen(argv[4], "a");
    if (!log)
        return 2;
    const auto write = [log](const char *who, const WindowMessage &message) {
        std::fprintf(log, "%s %u %llu %s\n", who, message.message, static_cast<unsigned long long>(message.wParam),
                     threadName());
        std::fflush(log);
    };
    // The instance lock beside the window, as the launcher has it.
    platform::PosixInstanceLock lock;
    bool taken = false;
    lock.createMutex(kLockName, &taken);
    platform::PosixWindowMessages bus;
    bus.setMessageFilter([&](const WindowMessage &message) {
        write("filter", message);
        if (message.message == platform::kWmClose)
            QCoreApplication::exit(0);
        return message.message == kSwallowed;
    });
    const WindowHandle window = bus.registerWindow(QString::fromLocal8Bit(argv[2]).toStdU16String(),
                                                   QString::fromLocal8Bit(argv[3]).toStdU16String(), 0,
                                                   [&](const WindowMessage &message) {
                                                       write("handler", message);
                                                       return false;
                                                   });
    if (window == platform::kNoWindow)
        return 2;
    std::printf("%llu\n", static_cast<unsigned long long>(window));
    std::fflush(stdout);
    app.exec();
    bus.unregisterWindow(window);
    std::fclose(log);
    return 0;
}

// No application object at all, as an uninstaller's "--close" may run.
int runPost(char **argv)
{
    platform::PosixWindowMessages bus;
    const WindowHandle window = bus.findWindow(QString::fromLocal8Bit(argv[2]).toStdU16String(),
                                               QString::fromLocal8Bit(argv[3]).toStdU16String());
    if (window == platform::kNoWindow)
        return 3;
    return bus.postMessage(window, unsigned(std::atoi(argv[4])), std::uintptr_t(std::atoll(argv[5])), 0) ? 0 : 1;
}

// Exit status of the foreign sender that could not become the other user.
constexpr int kCannotChangeUser = 4;

// Started as root, it becomes `uid` and posts straight to a socket it was let into.
int runForeignPost(char **argv)
{
    const uid_t uid = uid_t(std::atoi(argv[2]));
    if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0) {
        std::fprintf(stderr, "cannot become user %u: %s\n", unsigned(uid), std::strerror(errno));
        return kCannotChangeUser;
    }
    const int fd = platform::connectTo(argv[3], argv[4]);
    if (fd < 0) {
        std::fprintf(stderr, "connect: %s\n", std::strerror(-fd));
        return 2;
    }
    // The launcher may refuse the connection before the frame is written: getting in is all
    // this side can tell.
    std::printf("connected\n");
    std::fflush(stdout);
    const platform::BusFrame::Bytes bytes = platform::BusFrame{platform::BusFrame::Kind::Post, kPlain, 99, 0}.encode();
    platform::sendAll(fd, bytes.data(), bytes.size());
    return 0;
}

// An endpoint child: a window of class and title on the bus, and the log of what it got.
class Endpoint
{
public:
    Endpoint(const QString &className, const QString &title, const QString &logPath)
        : logPath(logPath)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationFilePath(),
                      {QLatin1String(kEndpointSwitch), className, title, logPath});
        while (!process.canReadLine() && process.waitForReadyRead(kWait)) {
        }
        window = WindowHandle(process.readLine().trimmed().toULongLong());
    }
    ~Endpoint()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kWait);
        }
    }

    // The endpoint opens its log before it tells its window: the file is there from the start.
    QStringList log() const { return QString::fromLocal8Bit(fileBytes(logPath)).split(u'\n', Qt::SkipEmptyParts); }
    qint64 pid() const { return process.processId(); }

    QString logPath;
    QProcess process;
    WindowHandle window = platform::kNoWindow;
};

QString socketPath(const QString &folder, WindowHandle window)
{
    return folder + u'/' + QString::fromStdString(platform::BusDirectory::socketName(window));
}

QString infoPath(const QString &folder, WindowHandle window)
{
    QString path = socketPath(folder, window);
    path.chop(5);
    return path + QStringLiteral(".info");
}

QStringList openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

QString line(const char *who, unsigned message, unsigned long long wParam)
{
    return QStringLiteral("%1 %2 %3 gui").arg(QLatin1String(who)).arg(message).arg(wParam);
}

} // namespace

class tst_WindowMessagesBus : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void findsWindowsOfOtherProcesses_data();
    void findsWindowsOfOtherProcesses();
    void findsTheLiveWindowPastSilentOnes_data();
    void findsTheLiveWindowPastSilentOnes();
    void endpointsComeBackWhenRemoved_data();
    void endpointsComeBackWhenRemoved();
    void filterSeesMessagesBeforeTheHandler_data();
    void filterSeesMessagesBeforeTheHandler();
    void postsArriveInTheOrderSent();
    void brokenSendersDoNotHoldOthersBack_data();
    void brokenSendersDoNotHoldOthersBack();
    void framesDecodeOnlyWhole_data();
    void framesDecodeOnlyWhole();
    void sendersNeedNoApplication();
    void ownWindowsTakeMessagesToo();
    void aHandlerMayTakeItsWindowOffTheBus();
    void registeringNeedsTheApplicationThread();
    void showAndForegroundArePosted();
    void aHungWindowNeverHangsTheSender();
    void endpointsOfEndedProcessesAreRemoved_data();
    void endpointsOfEndedProcessesAreRemoved();
    void ignoresWhatIsNotAnEndpoint_data();
    void ignoresWhatIsNotAnEndpoint();
    void closeEndsEveryLauncher();
    void anotherUserIsRefused();
    void messageNumbersAgreeAcrossProcesses_data();
    void messageNumbersAgreeAcrossProcesses();
    void runtimeFolderFollowsTheEnvironment_data();
    void runtimeFolderFollowsTheEnvironment();
    void unsafeFoldersAreRefused_data();
    void unsafeFoldersAreRefused();
    void deepFoldersStillWork();
    void aFullDiskLeavesNoInfoFile();
    void anIdTakenElsewhereIsPassedOver();

private:
    QString path(const QString &relative) const { return root->filePath(relative); }
    QString busFolder() const { return path(QStringLiteral("bus")); }
    std::unique_ptr<Endpoint> startEndpoint(const QString &className, const QString &title);
    WindowHandle registerOwnWindow(QStringList *seen);

    std::unique_ptr<QTemporaryDir> root;
    std::unique_ptr<ScopedVariable> folderOverride;
    platform::PosixWindowMessages bus;
    WindowHandle ownWindow = platform::kNoWindow;
    int endpoints = 0;
};

void tst_WindowMessagesBus::init()
{
    root = std::make_unique<QTemporaryDir>();
    QVERIFY(root->isValid());
    folderOverride = std::make_unique<ScopedVariable>("LUMBRA_RUNTIME_DIR", QFile::encodeName(busFolder()));
}

void tst_WindowMessagesBus::cleanup()
{
    bus.setMessageFilter(nullptr);
    folderOverride.reset();
    root.reset();
}

std::unique_ptr<Endpoint> tst_WindowMessagesBus::startEndpoint(const QString &className, const QString &title)
{
    return std::make_unique<Endpoint>(className, title, path(QStringLiteral("log-%1.txt").arg(++endpoints)));
}

void tst_WindowMessagesBus::findsWindowsOfOtherProcesses_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");

    // The rows the Windows backend answers too (tests/win32).
    for (const contract::FindWindowCase &row : contract::kFindWindowCases)
        QTest::newRow(row.name) << QString::fromUtf16(row.className) << QString::fromUtf16(row.title)
                                << QString::fromLatin1(row.expected);
}

void tst_WindowMessagesBus::findsWindowsOfOtherProcesses()
{
    QFETCH(QString, className);
    QFETCH(QString, title);
    QFETCH(QString, expected);

    const auto launcher = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    const auto shutDown = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra Shut Down App"));
    QVERIFY(launcher->window != platform::kNoWindow);
    QVERIFY(shutDown->window != platform::kNoWindow);
    QVERIFY(launcher->window != shutDown->window);

    const WindowHandle found = bus.findWindow(className.toStdU16String(), title.toStdU16String());
    if (expected == QLatin1String("launcher"))
        QCOMPARE(found, launcher->window);
    else if (expected == QLatin1String("shutdown"))
        QCOMPARE(found, shutDown->window);
    else if (expected == QLatin1String("either"))
        QVERIFY(found == launcher->window || found == shutDown->window);
    else
        QCOMPARE(found, platform::kNoWindow);
}

void tst_WindowMessagesBus::findsTheLiveWindowPastSilentOnes_data()
{
    QTest::addColumn<bool>("stopped");
    QTest::newRow("a stopped launcher") << true;
    QTest::newRow("a socket no one serves") << false;
}

// A hung launcher, or an endpoint no process serves, must not hide the live one: a second
// start would restore nothing, and "--close" would not reach it. Windows are looked at in
// the order of their handles: the silent one comes first.
void tst_WindowMessagesBus::findsTheLiveWindowPastSilentOnes()
{
    QFETCH(bool, stopped);
    const auto a = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    const auto b = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    QVERIFY(a->window != platform::kNoWindow && b->window != platform::kNoWindow);
    const auto [first, second] = a->window < b->window ? std::pair(a.get(), b.get()) : std::pair(b.get(), a.get());
    const std::string folder = QFile::encodeName(busFolder()).toStdString();
    // No process gives itself handle 2.
    const int unserved = stopped ? -1 : platform::listenAt(folder, platform::BusDirectory::socketName(2));
    QVERIFY(stopped ? ::kill(pid_t(first->pid()), SIGSTOP) == 0
                    : platform::BusDirectory(folder).writeInfo({2, u"QWidget", u"Lumbra"}));
    const WindowHandle found = bus.findWindow(u"QWidget", u"Lumbra");
    ::kill(pid_t(first->pid()), SIGCONT);
    ::close(unserved);
    QCOMPARE(found, stopped ? second->window : first->window);
}

void tst_WindowMessagesBus::endpointsComeBackWhenRemoved_data()
{
    QTest::addColumn<QString>("removed");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("the runtime folder") << "folder" << false;
    QTest::newRow("the folder, made again at once") << "folder" << true;
    QTest::newRow("the folder and the one above it") << "above" << false;
    QTest::newRow("its socket") << "socket" << false;
    QTest::newRow("its socket, a dead one in its place") << "socket" << true;
    QTest::newRow("its info file") << "info" << false;
    QTest::newRow("the lock file") << "lock" << false;
    QTest::newRow("the lock file, an empty one in its place") << "lock" << true;
}

// A cleaner that empties the runtime folder while the launcher runs: it puts its endpoint and
// lock back, so that a second start finds both. Twice: what is made in their place is watched.
void tst_WindowMessagesBus::endpointsComeBackWhenRemoved()
{
    QFETCH(QString, removed);
    QFETCH(bool, replaced);
    const bool above = removed == QLatin1String("above");
    const QString runtime = above ? path(QStringLiteral("above/bus")) : busFolder();
    QVERIFY(QDir().mkpath(QFileInfo(runtime).path()));
    const ScopedVariable chosen("LUMBRA_RUNTIME_DIR", QFile::encodeName(runtime));
    const auto launcher = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    QVERIFY(launcher->window != platform::kNoWindow);
    const std::string folder = QFile::encodeName(runtime).toStdString();
    const QString file = removed == QLatin1String("socket") ? socketPath(runtime, launcher->window)
        : removed == QLatin1String("info")                  ? infoPath(runtime, launcher->window)
                                 : QString::fromStdString(platform::PosixInstanceLock::lockFilePath(folder, kLockName));
    platform::PosixInstanceLock lock;
    const auto back = [&] {
        const int fd = platform::connectTo(folder, platform::BusDirectory::socketName(launcher->window));
        return fd >= 0 && ::close(fd) == 0 && QFile::exists(infoPath(runtime, launcher->window))
            && lock.mutexHeld(kLockName);
    };
    QByteArray err;
    for (int round = 0; round < 2; ++round) {
        if (removed == QLatin1String("folder") || above) {
            // Moved away whole: the launcher may put its files back before a removal is done.
            const QString gone = above ? QFileInfo(runtime).path() : runtime;
            QVERIFY(QDir().rename(gone, gone + QStringLiteral(".gone")));
            QVERIFY(QDir(gone + QStringLiteral(".gone")).removeRecursively());
            // The folder above comes back once the launcher has found it cannot make its own.
            if (above)
                QTRY_VERIFY_WITH_TIMEOUT((err += launcher->process.readAllStandardError()).contains("cannot use"), kWait);
            if (above || replaced)
                QVERIFY(::mkdir(QFile::encodeName(gone).constData(), 0700) == 0 || errno == EEXIST);
        } else {
            QVERIFY(QFile::remove(file));
            // Something else of that name in its place, unless the launcher was quicker.
            if (replaced && removed == QLatin1String("socket"))
                ::close(platform::listenAt(folder, platform::BusDirectory::socketName(launcher->window)));
            else if (replaced)
                QFile(file).open(QIODevice::WriteOnly | QIODevice::NewOnly);
        }
        QTRY_VERIFY_WITH_TIMEOUT(back(), kWait);
        QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), launcher->window);
        bool exists = false;
        lock.closeMutex(lock.createMutex(kLockName, &exists));
        QVERIFY(exists);
    }
    // A lock file left in place is not taken for a lost one.
    err += launcher->process.readAllStandardError();
    if (removed == QLatin1String("socket") || removed == QLatin1String("info"))
        QVERIFY2(!err.contains("lock file"), err.constData());
}

void tst_WindowMessagesBus::filterSeesMessagesBeforeTheHandler_data()
{
    QTest::addColumn<bool>("send");
    QTest::addColumn<unsigned>("message");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("posted") << false << kPlain << QStringList{line("filter", kPlain, 5), line("handler", kPlain, 5)};
    QTest::newRow("sent") << true << kPlain << QStringList{line("filter", kPlain, 5), line("handler", kPlain, 5)};
    QTest::newRow("posted, kept by the filter") << false << kSwallowed << QStringList{line("filter", kSwallowed, 5)};
    QTest::newRow("sent, kept by the filter") << true << kSwallowed << QStringList{line("filter", kSwallowed, 5)};
}

void tst_WindowMessagesBus::filterSeesMessagesBeforeTheHandler()
{
    QFETCH(bool, send);
    QFETCH(unsigned, message);
    QFETCH(QStringList, expected);

    const auto launcher = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    const WindowHandle window = bus.findWindow(u"QWidget", u"Lumbra");
    QCOMPARE(window, launcher->window);
    if (send) {
        // Handled by the time the send returns: nothing to wait for.
        QVERIFY(bus.sendMessage(window, message, 5, 0, kWait));
        QCOMPARE(launcher->log(), expected);
    } else {
        QVERIFY(bus.postMessage(window, message, 5, 0));
        QTRY_COMPARE_WITH_TIMEOUT(launcher->log().size(), expected.size(), kWait);
        // A post to a window that swallows it leaves nothing else to wait for; a second
        // message shows that the first was dealt with in full.
        QVERIFY(bus.sendMessage(window, kPlain, 6, 0, kWait));
        QCOMPARE(launcher->log().mid(0, expected.size()), expected);
    }
}

void tst_WindowMessagesBus::postsArriveInTheOrderSent()
{
    const auto launcher = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    QVERIFY(launcher->window != platform::kNoWindow);
    QStringList expected;
    for (unsigned n = 0; n < 300; ++n) {
        QVERIFY(bus.postMessage(launcher->window, kPlain, n, 0));
        expected << line("filter", kPlain, n) << line("handler", kPlain, n);
    }
    QVERIFY(bus.sendMessage(launcher->window, kPlain, 300, 0, kWait));
    expected << line("filter", kPlain, 300) << line("handler", kPlain, 300);
    QCOMPARE(launcher->log(), expected);
}

void tst_WindowMessagesBus::brokenSendersDoNotHoldOthersBack_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("staysOpen");

    const platform::BusFrame::Bytes frame = platform::BusFrame{platform::BusFrame::Kind::Post, kPlain, 1, 0}.encode();
    const QByteArray whole(reinterpret_cast<const char *>(frame.data()), int(frame.size()));
    QByteArray otherVersion = whole;
    otherVersion[3] = 2;
    QByteArray unknownKind = whole;
    unknownKind[4] = 9;
    QTest::newRow("silent, open") << QByteArray() << true;
    QTest::newRow("half a frame, open") << whole.left(10) << true;
    QTest::newRow("half a frame, closed") << whole.left(10) << false;
    QTest::newRow("another version") << otherVersion << false;
    QTest::newRow("an unknown kind") << unknownKind << false;
    QTest::newRow("text") << QByteArray("GET / HTTP/1.0\r\n\r\n GET / HTTP/1.0\r\n\r\n") << false;
    QTest::newRow("one byte short, closed") << whole.left(31) << false;
    // A connection carries one frame: a valid one with more behind it is not taken either.
    QTest::newRow("a frame and one byte more") << whole + 'x' << false;
    QTest::newRow("two frames at once") << whole + whole << false;
    QTest::newRow("a frame and 4 KB more, open") << whole + QByteArray(4096, '\xff') << true;
}

// Senders that connect and write nothing, or something that is not a frame, hold no message
// back and are never taken for one: 300 of them, more than the endpoint keeps waiting.
void tst_WindowMessagesBus::brokenSendersDoNotHoldOthersBack()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, staysOpen);

    const auto launcher = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    QVERIFY(launcher->window != platform::kNoWindow);
    std::vector<int> open;
    for (int n = 0; n < 300; ++n) {
        const int fd = platform::connectTo(QFile::encodeName(busFolder()).toStdString(),
                                           platform::BusDirectory::socketName(launcher->window));
        QVERIFY(fd >= 0);
        QVERIFY(platform::sendAll(fd, bytes.constData(), std::size_t(bytes.size())));
        if (staysOpen)
            open.push_back(fd);
        else
            ::close(fd);
    }
    QVERIFY(bus.postMessage(launcher->window, kPlain, 2, 0));
    const bool sent = bus.sendMessage(launcher->window, kPlain, 3, 0, kWait);
    for (const int fd : open)
        ::close(fd);
    QVERIFY(sent);
    QCOMPARE(launcher->log(), (QStringList{line("filter", kPlain, 2), line("handler", kPlain, 2),
                                           line("filter", kPlain, 3), line("handler", kPlain, 3)}));
}

void tst_WindowMessagesBus::framesDecodeOnlyWhole_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("decodes");

    QTest::newRow("as encoded") << -1 << 0 << true;
    for (int at = 0; at < 4; ++at)
        QTest::addRow("magic byte %d changed", at) << at << 0x5A << false;
    for (int at = 12; at < 16; ++at)
        QTest::addRow("reserved byte %d set", at) << at << 1 << false;
    QTest::newRow("kind 0") << 4 << 0 << false;
    QTest::newRow("kind 3, a look-up") << 4 << 3 << true;
    QTest::newRow("kind 4") << 4 << 4 << false;
    QTest::newRow("kind 0x102") << 5 << 1 << false;
    QTest::newRow("any message number") << 8 << 0xFF << true;
    QTest::newRow("any wParam byte") << 23 << 0xFF << true;
    QTest::newRow("any lParam byte") << 31 << 0x80 << true;
}

// Only the frame's own magic, version, kinds and an empty reserved field decode; the
// numbers it carries may be anything.
void tst_WindowMessagesBus::framesDecodeOnlyWhole()
{
    QFETCH(int, offset);
    QFETCH(int, value);
    QFETCH(bool, decodes);
    const platform::BusFrame sent{platform::BusFrame::Kind::Send, kPlain, 0x0102030405060708u, -9};
    platform::BusFrame::Bytes bytes = sent.encode();
    if (offset >= 0)
        bytes[std::size_t(offset)] = static_cast<unsigned char>(value);
    platform::BusFrame decoded;
    QCOMPARE(platform::BusFrame::decode(bytes, &decoded), decodes);
    if (offset < 0) {
        QCOMPARE(decoded.kind, sent.kind);
        QCOMPARE(decoded.message, sent.message);
        QCOMPARE(decoded.wParam, sent.wParam);
        QCOMPARE(decoded.lParam, sent.lParam);
        // Sent once and whole, though an earlier call (the event loop's poll) left errno at EINTR.
        int pair[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
        errno = EINTR;
        QVERIFY(platform::sendAll(pair[0], bytes.data(), bytes.size()));
        std::vector<unsigned char> arrived(bytes.size() * 2);
        QCOMPARE(::recv(pair[1], arrived.data(), arrived.size(), MSG_DONTWAIT), ssize_t(bytes.size()));
        QVERIFY(std::equal(bytes.begin(), bytes.end(), arrived.begin()));
        ::close(pair[0]);
        ::close(pair[1]);
    }
}

// A window of this process on the bus; its filter, which keeps kSwallowed, and its handler
// note what reaches them as the endpoints' log has it.
WindowHandle tst_WindowMessagesBus::registerOwnWindow(QStringList *seen)
{
    const auto note = [seen](const char *who, const WindowMessage &message) {
        seen->append(QStringLiteral("%1 %2 %3 %4")
                         .arg(QLatin1String(who), QString::number(message.message), QString::number(message.wParam),
                              QLatin1String(threadName())));
    };
    bus.setMessageFilter([note](const WindowMessage &message) {
        note("filter", message);
        return message.message == kSwallowed;
    });
    ownWindow = bus.registerWindow(u"QWidget", u"Lumbra", 0, [this, note](const WindowMessage &message) {
        note(message.window == ownWindow ? "handler" : "handler of another window", message);
        return false;
    });
    return ownWindow;
}

void tst_WindowMessagesBus::sendersNeedNoApplication()
{
    QStringList seen;
    const WindowHandle window = registerOwnWindow(&seen);
    QVERIFY(window != platform::kNoWindow);

    QProcess sender;
    sender.start(QCoreApplication::applicationFilePath(),
                 {QLatin1String(kPostSwitch), QStringLiteral("qwidget"), QStringLiteral("lumbra"),
                  QString::number(kPlain), QStringLiteral("77")});
    QVERIFY(sender.waitForFinished(kWait));
    QCOMPARE(sender.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, kWait);
    QCOMPARE(seen, (QStringList{line("filter", kPlain, 77), line("handler", kPlain, 77)}));
    bus.unregisterWindow(window);
}

void tst_WindowMessagesBus::ownWindowsTakeMessagesToo()
{
    QStringList seen;
    const WindowHandle window = registerOwnWindow(&seen);
    QVERIFY(window != platform::kNoWindow);
    QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), window);

    // A send to a window of the sending thread is handled at once, whatever its time limit.
    QVERIFY(bus.sendMessage(window, kPlain, 1, 0, 0));
    QVERIFY(bus.sendMessage(window, kSwallowed, 2, 0, 0));
    QCOMPARE(seen, (QStringList{line("filter", kPlain, 1), line("handler", kPlain, 1), line("filter", kSwallowed, 2)}));
    // A post waits for the event loop.
    QVERIFY(bus.postMessage(window, kPlain, 3, 0));
    QCOMPARE(seen.size(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 5, kWait);
    QCOMPARE(seen.mid(3), (QStringList{line("filter", kPlain, 3), line("handler", kPlain, 3)}));

    bus.unregisterWindow(window);
    QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), platform::kNoWindow);
    QVERIFY(!bus.postMessage(window, kPlain, 4, 0));
    QVERIFY(!bus.sendMessage(window, kPlain, 4, 0, 100));
    QCOMPARE(QDir(busFolder()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), QStringList());
}

// The launcher's window goes away while its own message is being handled.
void tst_WindowMessagesBus::aHandlerMayTakeItsWindowOffTheBus()
{
    int handled = 0;
    WindowHandle window = platform::kNoWindow;
    window = bus.registerWindow(u"QWidget", u"Lumbra", 0, [&](const WindowMessage &) {
        ++handled;
        bus.unregisterWindow(window);
        return true;
    });
    QVERIFY(window != platform::kNoWindow);
    QVERIFY(bus.postMessage(window, kPlain, 1, 0));
    QVERIFY(bus.postMessage(window, kPlain, 2, 0));
    QTRY_COMPARE_WITH_TIMEOUT(handled, 1, kWait);
    QVERIFY(!bus.postMessage(window, kPlain, 3, 0));
    // The second post was queued before the window went; it is dropped, not delivered.
    for (int pass = 0; pass < 10; ++pass)
        QCoreApplication::processEvents();
    QCOMPARE(handled, 1);
}

// Messages arrive in the event loop of the application's thread; a window registered from
// any other thread would never hear of them.
void tst_WindowMessagesBus::registeringNeedsTheApplicationThread()
{
    StderrCapture capture;
    WindowHandle window = 1;
    std::thread other([&] { window = bus.registerWindow(u"QWidget", u"Lumbra", 0, nullptr); });
    other.join();
    const QStringList lines = capture.lines();
    QCOMPARE(window, platform::kNoWindow);
    QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), platform::kNoWindow);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(QLatin1String("Lumbra")), qPrintable(lines.first()));
}

void tst_WindowMessagesBus::showAndForegroundArePosted()
{
    const auto shutDown = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra Shut Down App"));
    QVERIFY(shutDown->window != platform::kNoWindow);
    // Callers may set the lowest bit of a handle, as SetForegroundWindow's callers do.
    QVERIFY(bus.setForegroundWindow(shutDown->window | 1));
    QVERIFY(bus.showWindow(shutDown->window, platform::kSwShowNormal));
    QVERIFY(bus.showWindow(shutDown->window, 0));
    QVERIFY(bus.sendMessage(shutDown->window, kPlain, 0, 0, kWait));
    QCOMPARE(shutDown->log(), (QStringList{line("filter", platform::kWmActivate, 1),
                                           line("handler", platform::kWmActivate, 1),
                                           line("filter", platform::kWmShowWindow, 1),
                                           line("handler", platform::kWmShowWindow, 1),
                                           line("filter", platform::kWmShowWindow, 0),
                                           line("handler", platform::kWmShowWindow, 0),
                                           line("filter", kPlain, 0), line("handler", kPlain, 0)}));
    QVERIFY(!bus.showWindow(platform::kNoWindow, platform::kSwShowNormal));
    QVERIFY(!bus.setForegroundWindow(platform::kNoWindow));
}

void tst_WindowMessagesBus::aHungWindowNeverHangsTheSender()
{
    const auto launcher = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    QVERIFY(launcher->window != platform::kNoWindow);
    QCOMPARE(::kill(pid_t(launcher->pid()), SIGSTOP), 0);
    // A hung launcher is still there to be found and posted to.
    QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), launcher->window);
    const bool sent = bus.sendMessage(launcher->window, kPlain, 1, 0, 300);
    const bool posted = bus.postMessage(launcher->window, kPlain, 2, 0);
    QCOMPARE(::kill(pid_t(launcher->pid()), SIGCONT), 0);
    QVERIFY(!sent);
    QVERIFY(posted);
    QTRY_VERIFY_WITH_TIMEOUT(launcher->log().contains(line("handler", kPlain, 2)), kWait);
    // It answered a sender that had given up on it, and lived.
    QTRY_VERIFY_WITH_TIMEOUT(launcher->log().contains(line("handler", kPlain, 1)), kWait);
    QVERIFY(bus.sendMessage(launcher->window, kPlain, 3, 0, kWait));
    QCOMPARE(launcher->process.state(), QProcess::Running);
}

void tst_WindowMessagesBus::endpointsOfEndedProcessesAreRemoved_data()
{
    QTest::addColumn<bool>("killed");
    QTest::addColumn<bool>("messageFirst"); // else a search looks first
    QTest::newRow("killed, searched for") << true << false;
    QTest::newRow("killed, sent a message") << true << true;
    QTest::newRow("ended normally") << false << false;
}

void tst_WindowMessagesBus::endpointsOfEndedProcessesAreRemoved()
{
    QFETCH(bool, killed);
    QFETCH(bool, messageFirst);
    const auto launcher = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    const WindowHandle window = launcher->window;
    QVERIFY(window != platform::kNoWindow);
    QVERIFY(QFile::exists(socketPath(busFolder(), window)));
    QVERIFY(QFile::exists(infoPath(busFolder(), window)));
    if (killed)
        launcher->process.kill();
    else
        QVERIFY(bus.postMessage(window, platform::kWmClose, 0, 0));
    QVERIFY(launcher->process.waitForFinished(kWait));
    // A killed process leaves its files behind, until someone looks.
    QCOMPARE(QFile::exists(infoPath(busFolder(), window)), killed);

    if (messageFirst)
        QVERIFY(!bus.postMessage(window, kPlain, 0, 0));
    else
        QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), platform::kNoWindow);
    QCOMPARE(QDir(busFolder()).entryList({QStringLiteral("w*")}, QDir::AllEntries | QDir::System), QStringList());
    QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), platform::kNoWindow);
    QVERIFY(!bus.postMessage(window, kPlain, 0, 0));
    QVERIFY(!bus.sendMessage(window, kPlain, 0, 0, 100));
}

void tst_WindowMessagesBus::ignoresWhatIsNotAnEndpoint_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");

    const QByteArray good("lumbra-endpoint 1\nQWidget\nLumbra\n");
    QTest::newRow("no socket beside it") << "w0000000000000002.info" << good;
    QTest::newRow("another header") << "w0000000000000002.info" << QByteArray("something 2\nQWidget\nLumbra\n");
    QTest::newRow("cut short") << "w0000000000000002.info" << QByteArray("lumbra-endpoint 1\nQWidget");
    QTest::newRow("empty") << "w0000000000000002.info" << QByteArray();
    QTest::newRow("binary") << "w0000000000000002.info" << QByteArray("\0\xff\xfe\n\n\n", 6);
    QTest::newRow("huge") << "w0000000000000002.info" << good + QByteArray(200000, 'x');
    QTest::newRow("not a hex name") << "wzz00000000000002.info" << good;
    QTest::newRow("handle zero") << "w0000000000000000.info" << good;
    QTest::newRow("a folder") << "w0000000000000004.info/" << QByteArray();
    QTest::newRow("a link") << "w0000000000000006.info->/dev/zero" << QByteArray();
    QTest::newRow("a pipe") << "w0000000000000008.info|" << QByteArray();
}

void tst_WindowMessagesBus::ignoresWhatIsNotAnEndpoint()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);

    QVERIFY(QDir().mkpath(busFolder()));
    QVERIFY(QFile::setPermissions(busFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString file = busFolder() + u'/' + name.section(QLatin1String("->"), 0, 0).remove(u'|');
    if (name.endsWith(u'/')) {
        QVERIFY(QDir().mkpath(file));
    } else if (name.contains(QLatin1String("->"))) {
        QVERIFY(QFile::link(name.section(QLatin1String("->"), 1), file));
    } else if (name.endsWith(u'|')) {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    } else {
        QVERIFY(writeFile(file, content));
    }
    QCOMPARE(bus.findWindow(u"", u""), platform::kNoWindow);
    QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), platform::kNoWindow);
    // A window registered beside it is still found.
    const WindowHandle window = bus.registerWindow(u"QWidget", u"Lumbra", 0, nullptr);
    QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), window);
    bus.unregisterWindow(window);
}

// The real "--close" against two windows titled "Lumbra" in two processes.
void tst_WindowMessagesBus::closeEndsEveryLauncher()
{
    const auto first = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    const auto second = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    QVERIFY(first->window != platform::kNoWindow);
    QVERIFY(second->window != platform::kNoWindow);

    QProcess close;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LUMBRA_REGISTRY"), path(QStringLiteral("registry.sqlite")));
    close.setProcessEnvironment(environment);
    close.start(QStringLiteral(LUMBRA_EXECUTABLE), {QStringLiteral("--close")});
    QVERIFY(close.waitForFinished(kWait));
    QCOMPARE(close.exitCode(), 0);
    const QString err = QString::fromLocal8Bit(close.readAllStandardError());
    QVERIFY2(err.count(QLatin1String("FindWindow() for Lumbra")) >= 2, qPrintable(err));

    for (Endpoint *endpoint : {first.get(), second.get()}) {
        QVERIFY(endpoint->process.waitForFinished(kWait));
        QCOMPARE(endpoint->process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(endpoint->process.exitCode(), 0);
        QVERIFY(endpoint->log().contains(line("filter", platform::kWmClose, 0)));
    }
    QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), platform::kNoWindow);
}

// A socket that another user could reach, through a careless folder mode: the launcher
// still drops what that user sends.
void tst_WindowMessagesBus::anotherUserIsRefused()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as a second user: run the tests as root to check it");
    const auto launcher = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    QVERIFY(launcher->window != platform::kNoWindow);
    const QFile::Permissions traversable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(root->path(), traversable));
    QVERIFY(QFile::setPermissions(busFolder(), traversable));
    QCOMPARE(::chmod(QFile::encodeName(socketPath(busFolder(), launcher->window)).constData(), 0666), 0);

    QProcess foreign;
    foreign.start(QCoreApplication::applicationFilePath(),
                  {QLatin1String(kForeignPostSwitch), QString::number(kNobody), busFolder(),
                   QString::fromStdString(platform::BusDirectory::socketName(launcher->window))});
    QVERIFY(foreign.waitForFinished(kWait));
    // Root in a container may lack the right to change its user.
    if (foreign.exitCode() == kCannotChangeUser)
        QSKIP(foreign.readAllStandardError().trimmed().constData());
    QVERIFY2(foreign.exitCode() == 0, foreign.readAllStandardError().constData());
    QCOMPARE(foreign.readAllStandardOutput(), QByteArray("connected\n"));

    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += launcher->process.readAllStandardError()).contains("refused"), kWait);
    QVERIFY2(err.contains(QByteArray::number(kNobody)), err.constData());
    // Refused when the connection came in, before a byte of it was read.
    QVERIFY(bus.sendMessage(launcher->window, kPlain, 1, 0, kWait));
    QCOMPARE(launcher->log(), (QStringList{line("filter", kPlain, 1), line("handler", kPlain, 1)}));
}

void tst_WindowMessagesBus::messageNumbersAgreeAcrossProcesses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sameAs");

    for (const contract::MessageNameCase &row : contract::kMessageNameCases)
        QTest::newRow(row.name) << QString::fromUtf16(row.registered) << QString::fromUtf16(row.sameAs);
}

void tst_WindowMessagesBus::messageNumbersAgreeAcrossProcesses()
{
    QFETCH(QString, name);
    QFETCH(QString, sameAs);

    const unsigned number = bus.registerWindowMessage(name.toStdU16String());
    QVERIFY(number >= 0xC000u && number <= 0xFFFFu);
    QCOMPARE(bus.registerWindowMessage(sameAs.toStdU16String()), number);
    QProcess other;
    other.start(QCoreApplication::applicationFilePath(), {QLatin1String(kMessageNumberSwitch), name});
    QVERIFY(other.waitForFinished(kWait));
    QCOMPARE(other.readAllStandardOutput().trimmed().toUInt(), number);
    QCOMPARE(bus.registerWindowMessage(u""), 0u);
}

void tst_WindowMessagesBus::runtimeFolderFollowsTheEnvironment_data()
{
    QTest::addColumn<QString>("lumbraFolder");
    QTest::addColumn<QString>("sessionFolder");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("needsRoot");

    const QString tmp = QStringLiteral("/tmp/lumbra-%1").arg(::geteuid());
    QTest::newRow("chosen") << "{root}/chosen" << "{root}/session" << "{root}/chosen" << false;
    QTest::newRow("chosen, relative") << "chosen" << "{root}/session" << "{root}/session/lumbra" << false;
    QTest::newRow("the session's") << "" << "{root}/session" << "{root}/session/lumbra" << false;
    QTest::newRow("session relative") << "" << "session" << tmp << false;
    QTest::newRow("session missing") << "" << "{root}/gone" << tmp << false;
    QTest::newRow("session of another user") << "" << "{root}/foreign" << tmp << true;
    QTest::newRow("neither") << "" << "" << tmp << false;
}

void tst_WindowMessagesBus::runtimeFolderFollowsTheEnvironment()
{
    QFETCH(QString, lumbraFolder);
    QFETCH(QString, sessionFolder);
    QFETCH(QString, expected);
    QFETCH(bool, needsRoot);
    if (needsRoot && ::geteuid() != 0)
        QSKIP("needs root to make a folder of another user");

    QVERIFY(QDir().mkpath(path(QStringLiteral("session"))));
    QVERIFY(QDir().mkpath(path(QStringLiteral("foreign"))));
    if (::geteuid() == 0)
        QCOMPARE(::chown(QFile::encodeName(path(QStringLiteral("foreign"))).constData(), kNobody, kNobody), 0);
    const auto expand = [this](QString text) { return text.replace(QLatin1String("{root}"), root->path()); };
    const ScopedVariable chosen("LUMBRA_RUNTIME_DIR", QFile::encodeName(expand(lumbraFolder)));
    const ScopedVariable session("XDG_RUNTIME_DIR", QFile::encodeName(expand(sessionFolder)));
    QCOMPARE(QString::fromStdString(platform::runtimeFolderPath()), expand(expected));
}

void tst_WindowMessagesBus::unsafeFoldersAreRefused_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("usable");

    QTest::newRow("missing: made private") << "missing" << true;
    QTest::newRow("private") << "0700" << true;
    QTest::newRow("others may read") << "0755" << true;
    QTest::newRow("the group may write") << "0770" << false;
    QTest::newRow("anyone may write") << "0777" << false;
    QTest::newRow("anyone may write, sticky") << "1777" << false;
    QTest::newRow("a link to a private folder") << "link" << false;
    QTest::newRow("a file") << "file" << false;
    QTest::newRow("its parent missing") << "orphan" << false;
    QTest::newRow("another user's") << "foreign" << false;
}

void tst_WindowMessagesBus::unsafeFoldersAreRefused()
{
    QFETCH(QString, setup);
    QFETCH(bool, usable);
    if (setup == QLatin1String("foreign") && ::geteuid() != 0)
        QSKIP("needs root to make a folder of another user");

    QString folder = busFolder();
    const QByteArray encoded = QFile::encodeName(folder);
    bool ok = true;
    if (setup == QLatin1String("link")) {
        ok = QDir().mkpath(path(QStringLiteral("private"))) && QFile::link(path(QStringLiteral("private")), folder);
    } else if (setup == QLatin1String("file")) {
        ok = writeFile(folder, QByteArray());
    } else if (setup == QLatin1String("orphan")) {
        folder = path(QStringLiteral("gone/bus"));
    } else if (setup == QLatin1String("foreign")) {
        ok = ::mkdir(encoded.constData(), 0700) == 0 && ::chown(encoded.constData(), kNobody, kNobody) == 0;
    } else if (setup != QLatin1String("missing")) {
        ok = ::mkdir(encoded.constData(), 0700) == 0 && ::chmod(encoded.constData(), setup.toUInt(nullptr, 8)) == 0;
    }
    QVERIFY(ok);
    const ScopedVariable chosen("LUMBRA_RUNTIME_DIR", QFile::encodeName(folder));

    StderrCapture capture;
    const WindowHandle window = bus.registerWindow(u"QWidget", u"Lumbra", 0, nullptr);
    const WindowHandle found = bus.findWindow(u"QWidget", u"Lumbra");
    platform::PosixInstanceLock lock;
    bool exists = true;
    const platform::MutexHandle mutex = lock.createMutex(u"name", &exists);
    const QStringList lines = capture.lines();
    bus.unregisterWindow(window);
    lock.closeMutex(mutex);

    QCOMPARE(window != platform::kNoWindow, usable);
    QCOMPARE(found, window);
    QCOMPARE(mutex != platform::kNoMutex, usable);
    QVERIFY(!exists);
    if (usable) {
        QCOMPARE(lines, QStringList());
        struct stat info;
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &info), 0);
        QCOMPARE(info.st_uid, ::geteuid());
        if (setup == QLatin1String("missing"))
            QCOMPARE(info.st_mode & 07777, 0700u);
    } else {
        // Once per folder, however often it is asked for.
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(folder), qPrintable(lines.first()));
    }
}

// Deeper than a socket address can name: the folder is reached through its descriptor.
void tst_WindowMessagesBus::deepFoldersStillWork()
{
    const QString deep = path(QString(60, u'd') + u'/' + QString(60, u'e'));
    QVERIFY(QDir().mkpath(deep));
    const QString folder = deep + QStringLiteral("/bus");
    QVERIFY(folder.size() > 110);
    const ScopedVariable chosen("LUMBRA_RUNTIME_DIR", QFile::encodeName(folder));

    const auto launcher = startEndpoint(QStringLiteral("QWidget"), QStringLiteral("Lumbra"));
    QVERIFY(launcher->window != platform::kNoWindow);
    QVERIFY(QFile::exists(socketPath(folder, launcher->window)));
    const QStringList before = openDescriptors();
    QCOMPARE(bus.findWindow(u"QWidget", u"Lumbra"), launcher->window);
    QVERIFY(bus.sendMessage(launcher->window, kPlain, 8, 0, kWait));
    QCOMPARE(launcher->log(), (QStringList{line("filter", kPlain, 8), line("handler", kPlain, 8)}));
    // The folder's descriptor is closed after each use: a launcher runs for months.
    QCOMPARE(openDescriptors(), before);
}

// An info file is there whole or not at all: a full disk leaves neither a cut one nor its draft.
void tst_WindowMessagesBus::aFullDiskLeavesNoInfoFile()
{
    QVERIFY(QDir().mkpath(busFolder()));
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{8, limit.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    const platform::BusDirectory directory(QFile::encodeName(busFolder()).toStdString());
    const bool written = directory.writeInfo({2, u"QWidget", u"Lumbra"});
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    QVERIFY(!written);
    QCOMPARE(QDir(busFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// A process in another namespace may have taken the id this one picks first: its socket
// answers, and the id is passed over, with no descriptor kept for it.
void tst_WindowMessagesBus::anIdTakenElsewhereIsPassedOver()
{
    const auto registerOnce = [] {
        platform::PosixWindowMessages own;
        const WindowHandle window = own.registerWindow(u"QWidget", u"Lumbra", 0, [](const WindowMessage &) { return true; });
        own.unregisterWindow(window);
        return window;
    };
    const WindowHandle first = registerOnce();
    QVERIFY(first != platform::kNoWindow);
    const int taken = platform::listenAt(QFile::encodeName(busFolder()).toStdString(),
                                         platform::BusDirectory::socketName(first));
    QVERIFY(taken >= 0);
    const QStringList before = openDescriptors();
    const WindowHandle next = registerOnce();
    QVERIFY(next != platform::kNoWindow && next != first);
    QCOMPARE(openDescriptors(), before);
    ::close(taken);
}

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], kEndpointSwitch) == 0)
        return runEndpoint(argc, argv);
    if (argc == 6 && std::strcmp(argv[1], kPostSwitch) == 0)
        return runPost(argv);
    if (argc == 5 && std::strcmp(argv[1], kForeignPostSwitch) == 0)
        return runForeignPost(argv);
    if (argc == 3 && std::strcmp(argv[1], kMessageNumberSwitch) == 0) {
        platform::PosixWindowMessages bus;
        std::printf("%u\n", bus.registerWindowMessage(QString::fromLocal8Bit(argv[2]).toStdU16String()));
        return 0;
    }
    QCoreApplication app(argc, argv);
    tst_WindowMessagesBus test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowmessagesbus.moc"
