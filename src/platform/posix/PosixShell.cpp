#include "PosixShell.h"

#include "DetachedProcess.h"
#include "GioDesktopEntry.h"
#include "platform/CodeUnits.h"
#include "platform/TargetAddress.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QString>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Stored targets are written the way a Windows command line quotes a path with blanks;
// the quotes are not part of the name.
QString unquoted(const std::u16string &text)
{
    QString result = fromCodeUnits(text);
    if (result.size() >= 2 && result.startsWith(u'"') && result.endsWith(u'"'))
        result = result.mid(1, result.size() - 2);
    return result;
}

void reportFailure(const char *action, const QString &name, const QString &reason)
{
    std::fprintf(stderr, "lumbra: cannot %s \"%s\": %s\n", action, name.toLocal8Bit().constData(),
                 reason.toLocal8Bit().constData());
}

QString reasonFor(int error, const QByteArray &path)
{
    if (error == EISDIR)
        return QStringLiteral("it is a folder, not a program");
    if (error == ENOEXEC)
        return QStringLiteral("it is not a program this system can run");
    // exec says "not found" for a script whose interpreter (its #! line) is missing.
    if (error == ENOENT && !path.isEmpty() && ::access(path.constData(), F_OK) == 0)
        return QStringLiteral("the interpreter it names on its first line is not installed");
    return QString::fromLocal8Bit(std::strerror(error));
}

// A NUL would end the argument early, and the program would be given something else.
bool holdsNul(const std::vector<std::u16string> &arguments)
{
    for (const std::u16string &argument : arguments) {
        if (argument.find(u'\0') != std::u16string::npos)
            return true;
    }
    return false;
}

// What exec itself would say about `path`, checked ahead so that the common mistakes get
// a clear reason; exec still has the last word.
int executableError(const QByteArray &path)
{
    struct stat info;
    if (::stat(path.constData(), &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISREG(info.st_mode) || ::access(path.constData(), X_OK) != 0)
        return EACCES;
    return 0;
}

// A bare name is looked up in $PATH as a shell would; a name with a slash is taken as it
// stands, relative names against the launcher's own folder (where its settings point).
QByteArray programPath(const QString &program, int *error)
{
    const QByteArray name = QFile::encodeName(program);
    if (program.isEmpty() || program.contains(QChar(u'\0'))) {
        *error = ENOENT;
        return QByteArray();
    }
    if (program.contains(u'/')) {
        const QByteArray path = QFile::encodeName(QDir::current().absoluteFilePath(program));
        *error = executableError(path);
        return path;
    }
    const char *searchPath = std::getenv("PATH");
    const QByteArray folders = searchPath ? QByteArray(searchPath) : QByteArray("/usr/local/bin:/usr/bin:/bin");
    *error = ENOENT;
    for (const QByteArray &folder : folders.split(':')) {
        const QByteArray candidate = (folder.isEmpty() ? QByteArray(".") : folder) + '/' + name;
        const int candidateError = executableError(candidate);
        if (candidateError == 0) {
            *error = 0;
            return candidate;
        }
        // A file of that name that cannot run says more than "not found".
        if (candidateError != ENOENT && candidateError != ENOTDIR)
            *error = candidateError;
    }
    return QByteArray();
}

// An empty or missing folder is not an error: the program starts in the launcher's folder.
QByteArray existingFolder(const QString &folder)
{
    if (folder.isEmpty() || folder.contains(QChar(u'\0')) || !QFileInfo(folder).isDir())
        return QByteArray();
    return QFile::encodeName(folder);
}

// A desktop entry is started, not opened in a text editor as its file type would have it.
bool isDesktopEntry(const QUrl &url)
{
    return url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".desktop"));
}

bool launchDesktopEntry(const QString &target, const QString &path)
{
    std::string reason;
    if (GioDesktopEntry::launch(QFile::encodeName(path).toStdString(), &reason))
        return true;
    reportFailure("start", target, QString::fromUtf8(reason.c_str()));
    return false;
}

// A relative document is looked for in the folder it was given with, as the shell does.
QString localPath(const QString &target, const QString &folder)
{
    if (QDir::isAbsolutePath(target))
        return target;
    const QString base = QFileInfo(folder).isDir() ? folder : QDir::currentPath();
    return QDir(base).absoluteFilePath(target);
}

// The offscreen and minimal platforms (tests, servers) have no desktop services; Qt would
// only warn. On a desktop Qt picks the session's opener: xdg-open, a portal in a sandbox.
bool desktopServicesAvailable()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

bool openWithXdgOpen(const QUrl &url)
{
    int error = 0;
    const QByteArray opener = programPath(QStringLiteral("xdg-open"), &error);
    if (error)
        return false;
    return startDetachedProcess(opener, {url.toEncoded()}, QByteArray()) == 0;
}

// The desktops' own task managers, in the order they are tried, then top in a terminal.
const char *const kGnome[] = {"gnome-system-monitor", nullptr};
const char *const kPlasma[] = {"plasma-systemmonitor", nullptr};
const char *const kXfce[] = {"xfce4-taskmanager", nullptr};
const char *const kLxde[] = {"lxtask", nullptr};
const char *const kMate[] = {"mate-system-monitor", nullptr};
const char *const kTerminal[] = {"x-terminal-emulator", "-e", "top", nullptr};
const char *const kXterm[] = {"xterm", "-e", "top", nullptr};
const char *const *const kTaskManagers[] = {kGnome, kPlasma, kXfce, kLxde, kMate, kTerminal, kXterm};

// The words of a command line as a shell splits them: blanks between words, '...' taken
// literally, "..." with \\ before " \\ $ ` escaping it, and \\ outside quotes escaping any
// character. False for a quote that is never closed.
bool splitWords(const QString &commandLine, QStringList *words)
{
    QString word;
    bool inWord = false;
    QChar quote;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine.at(i);
        if (quote == u'\'') {
            if (c == u'\'')
                quote = QChar();
            else
                word += c;
        } else if (quote == u'"') {
            if (c == u'"')
                quote = QChar();
            else if (c == u'\\' && i + 1 < commandLine.size() && QStringView(u"\"\\$`").contains(commandLine.at(i + 1)))
                word += commandLine.at(++i);
            else
                word += c;
        } else if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inWord)
                words->append(word);
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == u'\'' || c == u'"')
                quote = c;
            else if (c == u'\\' && i + 1 < commandLine.size())
                word += commandLine.at(++i);
            else
                word += c;
        }
    }
    if (inWord)
        words->append(word);
    return quote.isNull();
}

// A command line chosen by the user: split into words as a shell splits them, with no other
// shell syntax, so that a missing program is reported by its name.
bool startCommandLine(const QString &commandLine)
{
    QStringList words;
    if (!splitWords(commandLine, &words)) {
        reportFailure("start", commandLine, QStringLiteral("a quote is not closed"));
        return false;
    }
    if (words.isEmpty()) {
        reportFailure("start", commandLine, QStringLiteral("no program given"));
        return false;
    }
    int error = 0;
    const QByteArray path = programPath(words.first(), &error);
    if (error == 0) {
        QList<QByteArray> arguments;
        for (const QString &word : words.mid(1))
            arguments.append(QFile::encodeName(word));
        error = startDetachedProcess(path, arguments, QByteArray());
    }
    if (error != 0)
        reportFailure("start", words.first(), reasonFor(error, path));
    return error == 0;
}

} // namespace

bool PosixShell::startDetached(const std::u16string &program, const std::vector<std::u16string> &arguments,
                               const std::u16string &workingDirectory)
{
    const QString name = unquoted(program);
    if (name.isEmpty()) {
        reportFailure("start", name, QStringLiteral("no program given"));
        return false;
    }
    if (holdsNul(arguments)) {
        reportFailure("start", name, QStringLiteral("an argument holds a NUL character"));
        return false;
    }
    int error = 0;
    const QByteArray path = programPath(name, &error);
    if (error == 0) {
        QList<QByteArray> list;
        for (const std::u16string &argument : arguments)
            list.append(QFile::encodeName(fromCodeUnits(argument)));
        error = startDetachedProcess(path, list, existingFolder(unquoted(workingDirectory)));
    }
    if (error != 0)
        reportFailure("start", name, reasonFor(error, path));
    return error == 0;
}

bool PosixShell::shellOpen(const std::u16string &file, const std::u16string &directory)
{
    const QString target = unquoted(file);
    if (target.trimmed().isEmpty()) {
        reportFailure("open", target, QStringLiteral("nothing to open"));
        return false;
    }
    // An address of any scheme goes to the handler the desktop has for that scheme, as one
    // word of its command line, encoded: never through a shell.
    const QUrl url = isAddress(target.toStdU16String()) ? QUrl(target)
                                                       : QUrl::fromLocalFile(localPath(target, unquoted(directory)));
    if (!url.isValid()) {
        reportFailure("open", target, QStringLiteral("not a valid address"));
        return false;
    }
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        reportFailure("open", target, QStringLiteral("no such file or folder"));
        return false;
    }
    if (isDesktopEntry(url))
        return launchDesktopEntry(target, url.toLocalFile());
    const bool opened = desktopServicesAvailable() ? QDesktopServices::openUrl(url) : openWithXdgOpen(url);
    if (!opened)
        reportFailure("open", target, QStringLiteral("no program to open it with was found"));
    return opened;
}

bool PosixShell::startTaskManager()
{
    const QString chosen = qEnvironmentVariable("LUMBRA_TASKMANAGER");
    if (!chosen.trimmed().isEmpty())
        return startCommandLine(chosen);
    for (const char *const *command : kTaskManagers) {
        int error = 0;
        const QByteArray path = programPath(QString::fromLatin1(command[0]), &error);
        if (error != 0)
            continue;
        QList<QByteArray> arguments;
        for (const char *const *argument = command + 1; *argument; ++argument)
            arguments.append(*argument);
        if (startDetachedProcess(path, arguments, QByteArray()) == 0)
            return true;
    }
    std::fprintf(stderr, "lumbra: cannot start a task manager: none of gnome-system-monitor, plasma-systemmonitor, "
                         "xfce4-taskmanager, lxtask, mate-system-monitor, x-terminal-emulator or xterm could be "
                         "started (LUMBRA_TASKMANAGER may name another)\n");
    return false;
}

DesktopEntry PosixShell::readDesktopEntry(const std::u16string &path, const std::u16string &locale)
{
    const QString file = fromCodeUnits(path);
    if (file.isEmpty() || file.contains(QChar(u'\0')))
        return DesktopEntry();
    return GioDesktopEntry::read(QFile::encodeName(file).toStdString(),
                                 fromCodeUnits(locale).toStdString());
}

} // namespace platform
