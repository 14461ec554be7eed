#pragma once

#include <cstdint>
#include <string>

namespace platform {

using MutexHandle = std::uintptr_t;
constexpr MutexHandle kNoMutex = 0;

// Named mutexes, as kernel32 offers them for telling a first start from a second one.
class InstanceLock
{
public:
    virtual ~InstanceLock() = default;

    // CreateMutexW(no security attributes, initially owned, name). `alreadyExists` answers
    // what GetLastError() == ERROR_ALREADY_EXISTS would: another process holds the name, and
    // this one then does not own it. kNoMutex when it cannot be created at all.
    virtual MutexHandle createMutex(const std::u16string &name, bool *alreadyExists) = 0;
    // CloseHandle: a held mutex is released.
    virtual void closeMutex(MutexHandle mutex) = 0;
    // Whether some process holds a mutex of this name (OpenMutexW succeeding).
    virtual bool mutexHeld(const std::u16string &name) = 0;
};

} // namespace platform
