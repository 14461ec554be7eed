#include "PosixTargetLookup.h"

#include "platform/CodeUnits.h"
#include "platform/TargetAddress.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QUrl>

#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The same unquoting as the shell backend's: one pair of quotes around the whole target.
QString unquoted(const std::u16string &text)
{
    QString result = fromCodeUnits(text);
    if (result.size() >= 2 && result.startsWith(u'"') && result.endsWith(u'"'))
        result = result.mid(1, result.size() - 2);
    return result;
}

// A NUL would cut the name short and test another file.
bool usableName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QChar(u'\0'));
}

bool isRunnable(const QByteArray &path)
{
    struct stat info;
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.constData(), X_OK) == 0;
}

bool isThere(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

// A bare name is looked for in each folder of PATH, an empty entry meaning the current
// folder, as exec does; without PATH, in the folders a login shell would give.
bool onSearchPath(const QString &name)
{
    const char *searchPath = std::getenv("PATH");
    const QByteArray folders = searchPath ? QByteArray(searchPath) : QByteArray("/usr/local/bin:/usr/bin:/bin");
    const QByteArray encoded = QFile::encodeName(name);
    QList<QByteArray> tried;
    for (const QByteArray &entry : folders.split(':')) {
        const QByteArray folder = entry.isEmpty() ? QByteArray(".") : entry;
        // A folder named twice (a common slip in shell profiles) costs one look, not two.
        if (tried.contains(folder))
            continue;
        tried.append(folder);
        if (isRunnable(folder + '/' + encoded))
            return true;
    }
    return false;
}

bool startsWithScheme(const QString &target, const char *scheme)
{
    return target.startsWith(QLatin1String(scheme), Qt::CaseInsensitive);
}

} // namespace

bool PosixTargetLookup::programExists(const std::u16string &program)
{
    const QString name = unquoted(program);
    if (!usableName(name))
        return false;
    if (name.contains(u'/'))
        return isRunnable(QFile::encodeName(QDir::current().absoluteFilePath(name)));
    return onSearchPath(name);
}

bool PosixTargetLookup::documentExists(const std::u16string &file, const std::u16string &directory)
{
    QString target = unquoted(file);
    if (startsWithScheme(target, "file:"))
        target = QUrl(target).toLocalFile();
    else if (isAddress(target.toStdU16String()))
        return true;
    if (!usableName(target) || target.trimmed().isEmpty())
        return false;
    if (QDir::isAbsolutePath(target))
        return isThere(target);
    const QString folder = unquoted(directory);
    const QString base = usableName(folder) && QFileInfo(folder).isDir() ? folder : QDir::currentPath();
    return isThere(QDir(base).absoluteFilePath(target));
}

} // namespace platform
