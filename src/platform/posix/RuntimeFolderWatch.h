#pragma once

#include <functional>
#include <memory>

#include <sys/types.h>

class QFileSystemWatcher;
class QTimer;

namespace platform {

// Calls `check` on the thread that made it (the GUI thread) whenever something in the
// runtime folder changes or the folder itself is removed, so that what its owner keeps
// there can be put back. inotify, through QFileSystemWatcher; while there is no folder to
// watch (it is gone and cannot be made again, its parent gone too), a look every few seconds. Made only where an
// event loop will run it: a watch made on another thread, or without an application, does
// nothing.
class RuntimeFolderWatch
{
public:
    explicit RuntimeFolderWatch(std::function<void()> check);
    ~RuntimeFolderWatch();
    RuntimeFolderWatch(const RuntimeFolderWatch &) = delete;
    RuntimeFolderWatch &operator=(const RuntimeFolderWatch &) = delete;

private:
    void changed();
    void watchFolder();

    std::function<void()> check;
    std::unique_ptr<QFileSystemWatcher> watcher;
    std::unique_ptr<QTimer> retry;
    dev_t watchedDevice = 0;
    ino_t watchedInode = 0;
};

} // namespace platform
