#include "XServer.h"

#include "Polling.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <csignal>

#include <sys/prctl.h>

namespace {

// The dummy driver's screen: every mode the tests switch to is listed, the first is the start.
const char kDummyConfig[] = R"(Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 65536
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
    Modeline "1366x768" 85.50 1366 1436 1579 1792 768 771 777 798 +hsync +vsync
    Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
    Modeline "1024x600" 48.96 1024 1064 1168 1312 600 601 604 622 -hsync +vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1024x768" "1920x1080" "1366x768" "1024x600" "800x600"
    EndSubSection
EndSection
)";

QString lastLines(const QString &path, int count)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QStringList lines = QString::fromLocal8Bit(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    return lines.mid(std::max<qsizetype>(0, lines.size() - count)).join(u'\n');
}

} // namespace

XServer::XServer(const QString &size)
{
    startServer(QStringLiteral("exec Xvfb -displayfd 3 -screen 0 \"$1\" -nolisten tcp 3>\"$2\""), {size});
    if (!isRunning())
        why = QStringLiteral("Xvfb did not start (is it installed?)");
}

XServer::XServer(const Resizable &where)
{
    const QString config = QDir(where.folder).filePath(QStringLiteral("xorg.conf"));
    const QString log = QDir(where.folder).filePath(QStringLiteral("Xorg.log"));
    const QString configFolder = QDir(where.folder).filePath(QStringLiteral("xorg.conf.d"));
    QFile file(config);
    if (!QDir().mkpath(configFolder) || !file.open(QIODevice::WriteOnly) || file.write(kDummyConfig) < 0) {
        why = QStringLiteral("cannot write the Xorg configuration in ") + where.folder;
        return;
    }
    file.close();
    // No input devices and no switch of virtual terminals: the server must not take the
    // keyboard or the screen of a person working at this machine.
    startServer(QStringLiteral("exec Xorg -displayfd 3 -config \"$1\" -configdir \"$2\" -logfile \"$3\" "
                               "-noreset -nolisten tcp -novtswitch -br 3>\"$5\" 2>\"$4\""),
                {config, configFolder, log, log + QStringLiteral(".stderr")});
    if (isRunning())
        return;
    QString said = lastLines(log, 5);
    if (said.isEmpty())
        said = lastLines(log + QStringLiteral(".stderr"), 5);
    why = QStringLiteral("Xorg with the dummy driver did not start here (it needs xserver-xorg-video-dummy, and "
                         "root or an Xorg.wrap that allows anybody): ")
        + (said.isEmpty() ? QStringLiteral("it said nothing") : said);
}

void XServer::startServer(const QString &command, const QStringList &arguments)
{
    // The server picks a free display number itself and writes it to the descriptor named
    // by -displayfd; the shell points that descriptor at a file.
    numberFile.open();
    // Ended with the test, should the test end without its destructors.
    server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    server.start(QStringLiteral("/bin/sh"), QStringList{QStringLiteral("-c"), command, QStringLiteral("xserver")}
                                                + arguments + QStringList{numberFile.fileName()});
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && server.state() != QProcess::NotRunning) {
        QFile file(numberFile.fileName());
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray number = file.readAll();
            if (number.endsWith('\n')) {
                display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
                return;
            }
        }
        // Also notices a server that ended at once.
        server.waitForFinished(50);
    }
}

XServer::~XServer()
{
    server.terminate();
    if (!server.waitForFinished(5000))
        server.kill();
    server.waitForFinished();
}

QString XServer::run(const QString &program, const QStringList &arguments, int timeoutMs) const
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    tool.setProcessEnvironment(environment);
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        tool.kill();
        tool.waitForFinished();
        return QString();
    }
    const QString output = QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    return output.isEmpty() ? QStringLiteral("") : output;
}

QString XServer::xdotool(const QStringList &arguments, int timeoutMs) const
{
    return run(QStringLiteral("xdotool"), arguments, timeoutMs);
}

QString XServer::waitForWindow(const QString &title, int timeoutMs) const
{
    QString found;
    const bool shown = pollUntil([&] {
        found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), u'^' + title + u'$'});
        return !found.isEmpty();
    }, timeoutMs);
    return shown ? found.split(u'\n').first() : QString();
}

bool XServer::screenshot(const QString &path) const
{
    return !run(QStringLiteral("/usr/bin/import"), {QStringLiteral("-window"), QStringLiteral("root"), path}).isNull();
}
