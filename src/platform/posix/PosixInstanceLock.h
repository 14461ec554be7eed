#pragma once

#include "platform/InstanceLock.h"

#include <map>
#include <string>

namespace platform {

// A named mutex is a lock file in the runtime folder, held with flock(): the kernel lets go
// of it when the holder ends, however it ends, so a crashed launcher never blocks the next.
// Lock files are never removed: removing one while another process waits for it would let
// two processes hold "the same" lock on two different files.
class PosixInstanceLock : public InstanceLock
{
public:
    PosixInstanceLock() = default;
    ~PosixInstanceLock() override;
    PosixInstanceLock(const PosixInstanceLock &) = delete;
    PosixInstanceLock &operator=(const PosixInstanceLock &) = delete;

    MutexHandle createMutex(const std::u16string &name, bool *alreadyExists) override;
    void closeMutex(MutexHandle mutex) override;
    bool mutexHeld(const std::u16string &name) override;

    // The lock file that stands for `name` in `folder`.
    static std::string lockFilePath(const std::string &folder, const std::u16string &name);

private:
    // Handle to descriptor; -1 for a handle that holds nothing (a name another process
    // holds, or no name at all).
    std::map<MutexHandle, int> handles;
    MutexHandle lastHandle = kNoMutex;
};

} // namespace platform
