#pragma once

#include <QString>

#include <atomic>
#include <thread>

// A named pipe where a picture is expected, watched from a thread of its own. Opening a pipe
// for reading waits until a writer comes, so code that opens it hangs; the watch then comes
// as the writer (which lets the reader go on to an empty read) and remembers that it had to.
class FifoWatch
{
public:
    // Makes the pipe at `path`; isValid() tells whether that worked.
    explicit FifoWatch(const QString &path);
    ~FifoWatch();
    FifoWatch(const FifoWatch &) = delete;
    FifoWatch &operator=(const FifoWatch &) = delete;

    bool isValid() const { return made; }
    // True once some code opened the pipe to read it.
    bool wasOpened() const { return opened; }

private:
    void watch();

    QString path;
    bool made = false;
    std::atomic<bool> stop{false};
    std::atomic<bool> opened{false};
    std::thread watcher;
};
