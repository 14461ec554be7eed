#include "FifoWatch.h"

#include <QFile>

#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FifoWatch::FifoWatch(const QString &path)
    : path(path)
{
    made = ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    if (made)
        watcher = std::thread(&FifoWatch::watch, this);
}

FifoWatch::~FifoWatch()
{
    stop = true;
    if (watcher.joinable())
        watcher.join();
    if (made)
        ::unlink(QFile::encodeName(path).constData());
}

// A writer opened without waiting succeeds only while a reader has the pipe open.
void FifoWatch::watch()
{
    const QByteArray name = QFile::encodeName(path);
    while (!stop) {
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            opened = true;
            ::close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
