#include "PictureFiles.h"

#include "platform/CodeUnits.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"

#include <QDir>
#include <QFileInfo>

QString PictureFiles::located(const QString &name)
{
    if (name.isEmpty() || QFileInfo(name).isFile())
        return name;
    const QString copy = userCopyOf(name);
    return !copy.isEmpty() && QFileInfo(copy).isFile() ? copy : name;
}

QString PictureFiles::userCopyOf(const QString &name)
{
    if (name.isEmpty() || QDir::isAbsolutePath(name))
        return QString();
    const QString relative = QDir::cleanPath(name);
    if (relative == QLatin1String("..") || relative.startsWith(QLatin1String("../")))
        return QString();
    const QString folder = platform::fromCodeUnits(platform::system().userDataDirectory());
    return folder.isEmpty() ? QString() : QDir::fromNativeSeparators(folder) + u'/' + relative;
}
