#include "XServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>


XServer::XServer(const QString &size)
{
    // Xvfb picks a free display number itself and writes it to the descriptor named by
    // -displayfd; the shell points that descriptor at a file.
    numberFile.open();
    server.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("exec Xvfb -displayfd 3 -screen 0 \"$1\" -nolisten tcp 3>\"$2\""),
                  QStringLiteral("xvfb"), size, numberFile.fileName()});
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
        QThread::msleep(50);
    }
}

XServer::~XServer()
{
    server.terminate();
    if (!server.waitForFinished(5000))
        server.kill();
    server.waitForFinished();
}

QString XServer::xdotool(const QStringList &arguments, int timeoutMs) const
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(timeoutMs) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        tool.kill();
        tool.waitForFinished();
        return QString();
    }
    const QString output = QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    return output.isEmpty() ? QStringLiteral("") : output;
}

QString XServer::waitForWindow(const QString &title, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QString found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), u'^' + title + u'$'});
        if (!found.isEmpty())
            return found.split(u'\n').first();
        QThread::msleep(100);
    }
    return QString();
}

bool XServer::screenshot(const QString &path) const
{
    QProcess import;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    import.setProcessEnvironment(environment);
    import.start(QStringLiteral("/usr/bin/import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
    return import.waitForFinished(20000) && import.exitCode() == 0;
}
