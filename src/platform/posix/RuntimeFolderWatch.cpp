#include "RuntimeFolderWatch.h"

#include "RuntimeFolder.h"

#include <QCoreApplication>
#include <QFileSystemWatcher>
#include <QString>
#include <QThread>
#include <QTimer>

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

// A removed folder drops out of the watcher; the one made in its place, or at another path
// when the session folder went with it, is watched from then on.
void RuntimeFolderWatch::watchFolder()
{
    const QString folder = QString::fromStdString(runtimeFolderPath());
    const QStringList watched = watcher->directories();
    if (!watched.contains(folder)) {
        if (!watched.isEmpty())
            watcher->removePaths(watched);
        watcher->addPath(folder);
    }
    if (watcher->directories().isEmpty())
        retry->start();
    else
        retry->stop();
}

} // namespace platform
