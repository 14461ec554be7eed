#include "LogindPower.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

void reportFailure(const char *action, const QString &reason)
{
    std::fprintf(stderr, "lumbra: cannot %s: %s\n", action, reason.toLocal8Bit().constData());
}

// One write of the whole line with O_APPEND, so that lines of several processes never mix.
bool appendToLog(const char *path, const char *action)
{
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        reportFailure(action, QStringLiteral("cannot write to LUMBRA_POWER_LOG \"%1\": %2")
                                  .arg(QString::fromLocal8Bit(path), QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    const std::string line = std::string(action) + "\n";
    const bool written = ::write(fd, line.data(), line.size()) == ssize_t(line.size());
    ::close(fd);
    if (!written)
        reportFailure(action, QStringLiteral("cannot write to LUMBRA_POWER_LOG"));
    return written;
}

[[noreturn]] void refuseForTests(const char *action)
{
    std::fprintf(stderr,
                 "lumbra: refusing to %s for real: LUMBRA_POWER_FORBIDDEN is set and LUMBRA_POWER_LOG is not\n",
                 action);
    std::abort();
}

bool callLogind(const char *action, const char *method)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        reportFailure(action, QStringLiteral("the system bus is not available: ") + bus.lastError().message());
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QString::fromLatin1(method));
    // Interactive: polkit may ask for a password where the session needs one.
    call << true;
    const QDBusMessage reply = bus.call(call);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        reportFailure(action, reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
        return false;
    }
    return true;
}

// A log that is set but empty still means "not for real".
bool act(const char *action, const char *method)
{
    if (std::getenv("LUMBRA_POWER_LOG"))
        return appendToLog(std::getenv("LUMBRA_POWER_LOG"), action);
    if (std::getenv("LUMBRA_POWER_FORBIDDEN"))
        refuseForTests(action);
    return callLogind(action, method);
}

} // namespace

bool LogindPower::enableShutdownPrivilege()
{
    return true;
}

bool LogindPower::suspend()
{
    return act("suspend", "Suspend");
}

bool LogindPower::reboot()
{
    return act("reboot", "Reboot");
}

bool LogindPower::powerOff()
{
    return act("poweroff", "PowerOff");
}

} // namespace platform
