#include "E2eSession.h"

#include "Polling.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <csignal>

#include <sys/prctl.h>

namespace {

// The launcher's tray icons are windows of its own class, docked inside the tray host.
const QRegularExpression kDockedLine(QStringLiteral(R"(^\s*(0x[0-9a-f]+) .*\("lumbra" "[^"]*"\)\s+\d+x\d+\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$)"),
                                     QRegularExpression::CaseInsensitiveOption);

int numberIn(const QString &text, const QString &name)
{
    const QRegularExpressionMatch match =
        QRegularExpression(u'^' + name + QStringLiteral("=(-?\\d+)$"), QRegularExpression::MultilineOption).match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// A test that crashes, or that CTest ends at its time limit, takes the processes of its
// session with it instead of leaving them running.
void endWithTheTest(QProcess *process)
{
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

QString fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

} // namespace

E2eSession::E2eSession()
    : E2eSession(Options())
{
}

E2eSession::E2eSession(const Options &options)
{
    if (!folder.isValid()) {
        why = QStringLiteral("no temporary folder");
        return;
    }
    for (const char *name : {"bin", "home/.config", "home/.local/share", "home/.cache", "runtime", "xdg-runtime", "papers"})
        QDir().mkpath(path(QString::fromLatin1(name)));
    QFile::setPermissions(path(QStringLiteral("xdg-runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    processEnvironment = QProcessEnvironment::systemEnvironment();
    const QString home = path(QStringLiteral("home"));
    const QList<QPair<QString, QString>> values = {
        {QStringLiteral("HOME"), home},
        {QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config")},
        {QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share")},
        {QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache")},
        {QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("xdg-runtime"))},
        {QStringLiteral("LUMBRA_RUNTIME_DIR"), path(QStringLiteral("runtime"))},
        {QStringLiteral("LUMBRA_REGISTRY"), path(QStringLiteral("registry.sqlite"))},
        {QStringLiteral("LUMBRA_POWER_LOG"), path(QStringLiteral("power.log"))},
        {QStringLiteral("LUMBRA_LANGID"), QStringLiteral("0x0409")},
        {QStringLiteral("PATH"), path(QStringLiteral("bin")) + u':' + processEnvironment.value(QStringLiteral("PATH"))},
        {QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(options.offscreen ? "offscreen" : "xcb")},
    };
    for (const auto &[name, value] : values)
        processEnvironment.insert(name, value);
    // Nothing of the desktop the tests run in: not its accessibility bus, its session manager,
    // its display or its own opener (documents go to the xdg-open first on PATH).
    for (const char *name : {"AT_SPI_BUS_ADDRESS", "SESSION_MANAGER", "DISPLAY", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
                             "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "WAYLAND_DISPLAY"})
        processEnvironment.remove(QString::fromLatin1(name));

    if (!options.offscreen) {
        if (options.resizable)
            server = std::make_unique<XServer>(XServer::Resizable{path(QStringLiteral("xorg"))});
        else
            server = std::make_unique<XServer>();
        if (!server->isRunning()) {
            why = server->failure();
            return;
        }
        processEnvironment.insert(QStringLiteral("DISPLAY"), server->displayName());
    }
    if (!startBus())
        why = QStringLiteral("the session bus (dbus-daemon) did not start: ") + fileText(path(QStringLiteral("dbus-daemon.log")));
    else if (!options.offscreen)
        startDesktop(options);
}

void E2eSession::startDesktop(const Options &options)
{
    if (options.windowManager
        && (!startHelper(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}) || !waitForWindowManager())) {
        why = QStringLiteral("the window manager (openbox) did not start");
        return;
    }
    if (options.trayHost) {
        // A strip at the top of the screen; the window manager keeps windows out of it.
        const QStringList arguments = QStringLiteral("--edge top --align right --widthtype request --height 24 "
                                                     "--SetDockType true --SetPartialStrut true --expand true")
                                          .split(u' ');
        if (!startHelper(QStringLiteral("trayer"), arguments) || trayHostWindow().isEmpty()) {
            why = QStringLiteral("the tray host (trayer) did not start");
            return;
        }
    }
    if (options.accessibilityBus && !startAccessibilityBus())
        why = QStringLiteral("the accessibility bus (/usr/libexec/at-spi-bus-launcher) did not start");
}

// With no service folders, a name a launcher asks for starts nothing: the bus holds only
// what the session starts on it.
bool E2eSession::startBus()
{
    const QString socket = path(QStringLiteral("bus"));
    const QString config = path(QStringLiteral("bus.conf"));
    const QString policy = QStringLiteral("<busconfig><type>session</type><listen>unix:path=%1</listen>"
                                          "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                          "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
    if (!writeFile(config, policy.arg(socket).toUtf8())
        || !startHelper(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                                                        QStringLiteral("--nopidfile"), QStringLiteral("--print-address")}))
        return false;
    // It prints its address once it listens.
    if (!readWhenThere(path(QStringLiteral("dbus-daemon.log")), 10000).startsWith(QLatin1String("unix:")))
        return false;
    processEnvironment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + socket);
    return true;
}

bool E2eSession::startAccessibilityBus()
{
    if (!startHelper(QStringLiteral("/usr/libexec/at-spi-bus-launcher"), {QStringLiteral("--launch-immediately")}))
        return false;
    const QStringList ask = {QStringLiteral("--bus=") + processEnvironment.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")),
                             QStringLiteral("--print-reply"), QStringLiteral("--dest=org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                             QStringLiteral("org.a11y.Bus.GetAddress")};
    return pollUntil([&] { return !server->run(QStringLiteral("dbus-send"), ask).isNull(); }, 20000);
}

E2eSession::~E2eSession()
{
    // The helpers in the reverse order of their start: the bus goes last.
    QList<QProcess *> processes = launchers;
    std::for_each(helpers.crbegin(), helpers.crend(), [&](QProcess *helper) { processes.append(helper); });
    for (QProcess *process : std::as_const(processes)) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
            process->waitForFinished();
        }
    }
    qDeleteAll(launchers);
    qDeleteAll(helpers);
    server.reset();
}

bool E2eSession::startHelper(const QString &program, const QStringList &arguments)
{
    auto *process = new QProcess;
    helpers.append(process);
    endWithTheTest(process);
    process->setProcessEnvironment(processEnvironment);
    process->setWorkingDirectory(folder.path());
    const QString log = path(QFileInfo(program).fileName() + QStringLiteral(".log"));
    process->setStandardOutputFile(log);
    process->setStandardErrorFile(log, QIODevice::Append);
    process->start(program, arguments);
    return process->waitForStarted(10000);
}

bool E2eSession::waitForWindowManager() const
{
    return pollUntil([this] {
        return server->run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains(QStringLiteral("window id"));
    }, 20000);
}

QString E2eSession::trayHostWindow() const
{
    QString found;
    const bool shown = pollUntil([&] {
        found = server->xdotool(
            {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"), QStringLiteral("trayer")});
        return !found.isEmpty();
    }, 20000);
    return shown ? found.split(u'\n').first() : QString();
}

bool E2eSession::install(const QByteArray &regFile)
{
    if (!writeFile(path(QStringLiteral("EN.reg")), regFile))
        return false;
    QProcess *install = start({QStringLiteral("--installRegister")});
    return install->waitForFinished(60000) && install->exitStatus() == QProcess::NormalExit && install->exitCode() == 0;
}

QProcess *E2eSession::start(const QStringList &arguments, const QString &errorFile)
{
    auto *process = new QProcess;
    launchers.append(process);
    endWithTheTest(process);
    process->setProcessEnvironment(processEnvironment);
    process->setWorkingDirectory(folder.path());
    if (errorFile.isEmpty())
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    else
        process->setStandardErrorFile(errorFile);
    process->start(QStringLiteral(LUMBRA_EXECUTABLE), arguments);
    return process;
}

QRect E2eSession::geometryOf(const QString &window) const
{
    const QString shell = server->xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    return QRect(numberIn(shell, QStringLiteral("X")), numberIn(shell, QStringLiteral("Y")),
                 numberIn(shell, QStringLiteral("WIDTH")), numberIn(shell, QStringLiteral("HEIGHT")));
}

QRect E2eSession::workArea() const
{
    const QString property = server->run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_WORKAREA")});
    const QRegularExpressionMatch area =
        QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)")).match(property);
    if (area.hasMatch())
        return QRect(area.captured(1).toInt(), area.captured(2).toInt(), area.captured(3).toInt(), area.captured(4).toInt());
    const QStringList size = server->xdotool({QStringLiteral("getdisplaygeometry")}).split(u' ');
    return size.size() == 2 ? QRect(0, 0, size.at(0).toInt(), size.at(1).toInt()) : QRect();
}

QStringList E2eSession::dockedIcons() const
{
    const QString host = trayHostWindow();
    if (host.isEmpty())
        return {};
    const QString tree = server->run(QStringLiteral("xwininfo"), {QStringLiteral("-tree"), QStringLiteral("-id"), host});
    QList<QPair<qlonglong, QString>> found;
    for (const QString &line : tree.split(u'\n')) {
        const QRegularExpressionMatch match = kDockedLine.match(line);
        if (match.hasMatch())
            found.append({match.captured(1).toLongLong(nullptr, 16), match.captured(1)});
    }
    std::sort(found.begin(), found.end());
    QStringList windows;
    for (const auto &icon : std::as_const(found))
        windows.append(icon.second);
    return windows;
}

QString E2eSession::windowState(const QString &window) const
{
    const QString property = server->run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("WM_STATE")});
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("window state: (\\w+)")).match(property);
    return match.hasMatch() ? match.captured(1) : QString();
}

QImage E2eSession::grab(const QRect &area) const
{
    const QString file = path(QStringLiteral("grab.png"));
    QFile::remove(file);
    if (!server->screenshot(file))
        return QImage();
    return QImage(file).copy(area);
}

QImage E2eSession::settledGrab(const QRect &area, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    QImage last = grab(area);
    while (!deadline.hasExpired()) {
        const QImage next = grab(area);
        if (!next.isNull() && next == last)
            return next;
        last = next;
    }
    return QImage();
}

void E2eSession::keepScreenshotOfFailure() const
{
    if (!QTest::currentTestFailed() || !server || !server->isRunning())
        return;
    QString name = QCoreApplication::applicationName() + u'.' + QString::fromLatin1(QTest::currentTestFunction());
    if (const char *tag = QTest::currentDataTag())
        name += u'.' + QString::fromUtf8(tag).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]+")), QStringLiteral("_"));
    const QString file = QDir(QCoreApplication::applicationDirPath()).filePath(name + QStringLiteral(".png"));
    if (server->screenshot(file))
        qWarning("Screenshot of the failure: %s", qPrintable(file));
    else
        qWarning("No screenshot of the failure could be taken");
}

QString E2eSession::readWhenThere(const QString &path, int timeoutMs)
{
    QByteArray bytes;
    const bool there = pollUntil([&] {
        QFile file(path);
        bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return bytes.endsWith('\n');
    }, timeoutMs);
    return there ? QString::fromLocal8Bit(bytes) : QString();
}
