#pragma once

#include "platform/InstanceLock.h"

#include <map>
#include <memory>
#include <string>

namespace platform {

class RuntimeFolderWatch;

// A named mutex is a lock file in the runtime folder, held with flock(): the kernel lets go
// of it when the holder ends, however it ends, so a crashed launcher never blocks the next.
// Lock files are never removed: removing one while another process waits for it would let
// two processes hold "the same" lock on two different files. Should someone else remove a
// held one, or the whole folder, the holder takes a new file of that name at once (when it
// runs an event loop), so that the next start still finds the name taken.
class PosixInstanceLock : public InstanceLock
{
public:
    PosixInstanceLock();
    ~PosixInstanceLock() override;
    PosixInstanceLock(const PosixInstanceLock &) = delete;
    PosixInstanceLock &operator=(const PosixInstanceLock &) = delete;

    MutexHandle createMutex(const std::u16string &name, bool *alreadyExists) override;
    void closeMutex(MutexHandle mutex) override;
    bool mutexHeld(const std::u16string &name) override;

    // The lock file that stands for `name` in `folder`.
    static std::string lockFilePath(const std::string &folder, const std::u16string &name);

    // Takes `operation` (LOCK_EX, LOCK_SH) on `fd` without blocking, through `lock` (flock, or a
    // test's stand-in). EWOULDBLOCK (another process is looking, see mutexHeld()) and EINTR are
    // tried again a few times; any other error ends the attempt. 0 when taken, else the errno
    // of the last attempt.
    using LockCall = int (*)(int fd, int operation);
    static int tryLock(int fd, int operation, LockCall lock = nullptr);

private:
    struct Held
    {
        // -1 for a handle that holds nothing (a name another process holds, or no name).
        int fd = -1;
        std::u16string name;
        // Whether a failure to take the name again has been reported.
        bool reported = false;
    };

    void restoreLockFiles();

    std::map<MutexHandle, Held> handles;
    MutexHandle lastHandle = kNoMutex;
    std::unique_ptr<RuntimeFolderWatch> watch;
};

} // namespace platform
