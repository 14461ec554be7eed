#include "PosixInstanceLock.h"

#include "platform/CodeUnits.h"

#include "RuntimeFolder.h"
#include "RuntimeFolderWatch.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Longer names are shortened to a digest, so that every name fits in a file name.
constexpr int kMaxNameBytes = 128;
// mutexHeld() takes the lock for an instant to look; a start that tries at that very
// moment must not take it for a running launcher.
constexpr int kLockAttempts = 5;
constexpr std::chrono::milliseconds kLockRetryPause(2);

int openLockFile(const std::string &path, int flags)
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void reportFailure(const std::string &path, int error)
{
    std::fprintf(stderr, "lumbra: cannot use the lock file \"%s\": %s\n", path.c_str(), std::strerror(error));
}

void reportLost(const std::string &path, int error)
{
    std::fprintf(stderr, "lumbra: the lock file \"%s\" was removed and cannot be taken again: %s\n", path.c_str(),
                 error == EWOULDBLOCK ? "another start holds it now" : std::strerror(error));
}

bool isFileAt(int fd, const std::string &path)
{
    struct stat held;
    struct stat there;
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &there) == 0 && held.st_dev == there.st_dev
        && held.st_ino == there.st_ino;
}

} // namespace

PosixInstanceLock::PosixInstanceLock() = default;

PosixInstanceLock::~PosixInstanceLock()
{
    watch.reset();
    for (const auto &entry : handles) {
        if (entry.second.fd >= 0)
            ::close(entry.second.fd);
    }
}

// Percent-encoded, so that two names never share a file and no name leads out of the folder
// ("/", "\\" and a leading "." are encoded). A long name becomes a digest, marked with a "%"
// that the encoding itself never writes.
std::string PosixInstanceLock::lockFilePath(const std::string &folder, const std::u16string &name)
{
    QByteArray safe = fromCodeUnits(name).toUtf8().toPercentEncoding("{}");
    if (safe.startsWith('.'))
        safe = "%2E" + safe.mid(1);
    if (safe.size() > kMaxNameBytes)
        safe = "%sha256-" + QCryptographicHash::hash(safe, QCryptographicHash::Sha256).toHex();
    return folder + "/" + safe.toStdString() + ".lock";
}

int PosixInstanceLock::tryLock(int fd, int operation, LockCall lock)
{
    int error = 0;
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        if ((lock ? lock : ::flock)(fd, operation | LOCK_NB) == 0)
            return 0;
        error = errno;
        if (error != EWOULDBLOCK && error != EINTR)
            return error;
        std::this_thread::sleep_for(kLockRetryPause);
    }
    return error;
}

MutexHandle PosixInstanceLock::createMutex(const std::u16string &name, bool *alreadyExists)
{
    if (alreadyExists)
        *alreadyExists = false;
    int fd = -1;
    // An unnamed mutex is never shared, so it can never exist already.
    if (!name.empty()) {
        const std::string folder = preparedRuntimeFolder();
        if (folder.empty())
            return kNoMutex;
        const std::string path = lockFilePath(folder, name);
        fd = openLockFile(path, O_RDWR | O_CREAT);
        if (fd < 0) {
            reportFailure(path, errno);
            return kNoMutex;
        }
        const int error = tryLock(fd, LOCK_EX);
        if (error == EWOULDBLOCK) {
            if (alreadyExists)
                *alreadyExists = true;
            ::close(fd);
            fd = -1;
        } else if (error != 0) {
            reportFailure(path, error);
            ::close(fd);
            return kNoMutex;
        }
    }
    handles[++lastHandle] = Held{fd, name};
    if (fd >= 0 && !watch)
        watch = std::make_unique<RuntimeFolderWatch>([this] { restoreLockFiles(); });
    return lastHandle;
}

void PosixInstanceLock::closeMutex(MutexHandle mutex)
{
    const auto entry = handles.find(mutex);
    if (entry == handles.end())
        return;
    if (entry->second.fd >= 0)
        ::close(entry->second.fd);
    handles.erase(entry);
}

// The lock on a removed file still holds, but no one looks there: a second start would make
// a new file, take it, and run a second launcher.
void PosixInstanceLock::restoreLockFiles()
{
    const std::string folder = preparedRuntimeFolder();
    if (folder.empty())
        return;
    for (auto &[handle, held] : handles) {
        const std::string path = lockFilePath(folder, held.name);
        if (held.fd < 0 || isFileAt(held.fd, path))
            continue;
        const int fd = openLockFile(path, O_RDWR | O_CREAT);
        const int error = fd < 0 ? errno : tryLock(fd, LOCK_EX);
        if (error == 0) {
            ::close(held.fd);
            held.fd = fd;
            held.reported = false;
            continue;
        }
        if (fd >= 0)
            ::close(fd);
        if (!held.reported)
            reportLost(path, error);
        held.reported = true;
    }
}

bool PosixInstanceLock::mutexHeld(const std::u16string &name)
{
    if (name.empty())
        return false;
    const std::string folder = preparedRuntimeFolder();
    if (folder.empty())
        return false;
    const int fd = openLockFile(lockFilePath(folder, name), O_RDONLY);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

} // namespace platform
