#include "XdgAutostart.h"

#include "platform/CodeUnits.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

void reportFailure(const char *what, const QString &path, const QString &reason)
{
    std::fprintf(stderr, "lumbra: cannot %s the autostart entry \"%s\": %s\n", what, path.toLocal8Bit().constData(),
                 reason.toLocal8Bit().constData());
}

QString homeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return home;
    const passwd *entry = ::getpwuid(::geteuid());
    return entry && entry->pw_dir ? QFile::decodeName(entry->pw_dir) : QString();
}

// Characters that make a desktop entry's Exec argument need quotes.
bool needsQuotes(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    for (const QChar c : argument) {
        if (reserved.contains(c))
            return true;
    }
    return argument.isEmpty();
}

QString quotedArgument(const QString &argument)
{
    if (!needsQuotes(argument))
        return argument;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

// The escapes of every string value in a desktop entry, applied over the Exec quoting.
QString escapedValue(const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        if (c == u'\\')
            escaped += QLatin1String("\\\\");
        else if (c == u'\n')
            escaped += QLatin1String("\\n");
        else if (c == u'\t')
            escaped += QLatin1String("\\t");
        else if (c == u'\r')
            escaped += QLatin1String("\\r");
        else
            escaped += c;
    }
    return escaped;
}

bool writeEntry(const QString &path)
{
    const QString program = fromCodeUnits(platform::system().executablePath());
    if (program.isEmpty() || !QDir::isAbsolutePath(program)) {
        reportFailure("write", path, QStringLiteral("the path of the running program is not known"));
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).path())) {
        reportFailure("write", path, QStringLiteral("its folder cannot be made"));
        return false;
    }
    QSaveFile file(path);
    const QByteArray text = "[Desktop Entry]\nType=Application\nName=Lumbra\nExec="
        + XdgAutostart::execValue(program).toUtf8() + "\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        reportFailure("write", path, file.errorString());
        return false;
    }
    return true;
}

bool removeEntry(const QString &path)
{
    const QFileInfo entry(path);
    if (!entry.exists() && !entry.isSymLink())
        return true;
    QFile file(path);
    if (entry.isDir() || !file.remove()) {
        reportFailure("remove", path, entry.isDir() ? QStringLiteral("it is a folder") : file.errorString());
        return false;
    }
    return true;
}

} // namespace

QString XdgAutostart::entryPath()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(configHome)) {
        const QString home = homeFolder();
        if (!QDir::isAbsolutePath(home))
            return QString();
        configHome = home + QStringLiteral("/.config");
    }
    return configHome + QStringLiteral("/autostart/lumbra.desktop");
}

QString XdgAutostart::execValue(const QString &program)
{
    // A literal % would start a field code.
    return escapedValue(quotedArgument(program).replace(u'%', QLatin1String("%%")));
}

bool XdgAutostart::setStartAtLogin(bool on)
{
    const QString path = entryPath();
    if (path.isEmpty()) {
        reportFailure(on ? "write" : "remove", QStringLiteral("lumbra.desktop"),
                      QStringLiteral("neither XDG_CONFIG_HOME nor a home folder is known"));
        return false;
    }
    return on ? writeEntry(path) : removeEntry(path);
}

} // namespace platform
