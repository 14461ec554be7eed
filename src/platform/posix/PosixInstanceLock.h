#pragma once

#include "platform/InstanceLock.h"

namespace platform {

class PosixInstanceLock : public InstanceLock
{
public:
    MutexHandle createMutex(const std::u16string &name, bool *alreadyExists) override;
    void closeMutex(MutexHandle mutex) override;
    bool mutexHeld(const std::u16string &name) override;
};

} // namespace platform
