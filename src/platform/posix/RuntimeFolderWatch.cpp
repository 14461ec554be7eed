#include "RuntimeFolderWatch.h"

#include "RuntimeFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileSystemWatcher>
#include <QString>
#include <QThread>
#include <QTimer>

#include <sys/stat.h>

namespace platform {

namespace {

constexpr int kRetryMs = 3000;

bool isApplicationThread()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

} // namespace

RuntimeFolderWatch::RuntimeFolderWatch(std::function<void()> check)
    : check(std::move(check))
{
    if (!isApplicationThread())
        return;
    watcher = std::make_unique<QFileSystemWatcher>();
    retry = std::make_unique<QTimer>();
    retry->setInterval(kRetryMs);
    QObject::connect(watcher.get(), &QFileSystemWatcher::directoryChanged, watcher.get(), [this] { changed(); });
    QObject::connect(retry.get(), &QTimer::timeout, retry.get(), [this] { changed(); });
    watchFolder();
}

RuntimeFolderWatch::~RuntimeFolderWatch() = default;

void RuntimeFolderWatch::changed()
{
    check();
    watchFolder();
}

// A removed folder is not always dropped by the watcher: while this process keeps files open
// in it (its lock, its sockets), the kernel reports the files removed but not the folder. So
// the folder at the path is compared with the one watched, and the one made in its place (or
// at another path, when the session folder went with it) is watched from then on.
void RuntimeFolderWatch::watchFolder()
{
    const QString folder = QString::fromStdString(runtimeFolderPath());
    struct stat info;
    const bool there = ::stat(QFile::encodeName(folder).constData(), &info) == 0;
    const QStringList watched = watcher->directories();
    if (!there || info.st_dev != watchedDevice || info.st_ino != watchedInode || watched != QStringList{folder}) {
        if (!watched.isEmpty())
            watcher->removePaths(watched);
        if (there && watcher->addPath(folder)) {
            watchedDevice = info.st_dev;
            watchedInode = info.st_ino;
        }
    }
    if (watcher->directories().isEmpty())
        retry->start();
    else
        retry->stop();
}

} // namespace platform
