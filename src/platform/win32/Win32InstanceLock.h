#pragma once

#include "platform/InstanceLock.h"

#include <map>

namespace platform {

// Named kernel mutexes. Windows closes a dead process's handles, so a crashed launcher
// never blocks the next one; a name exists as long as any process holds a handle to it.
class Win32InstanceLock : public InstanceLock
{
public:
    Win32InstanceLock() = default;
    ~Win32InstanceLock() override;
    Win32InstanceLock(const Win32InstanceLock &) = delete;
    Win32InstanceLock &operator=(const Win32InstanceLock &) = delete;

    MutexHandle createMutex(const std::u16string &name, bool *alreadyExists) override;
    void closeMutex(MutexHandle mutex) override;
    bool mutexHeld(const std::u16string &name) override;

private:
    // Handle to whether this process owns the mutex (and must release it before closing).
    std::map<MutexHandle, bool> handles;
};

} // namespace platform
