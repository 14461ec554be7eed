#include "PosixInstanceLock.h"

namespace platform {

// First version: every start is the first one.
MutexHandle PosixInstanceLock::createMutex(const std::u16string &, bool *alreadyExists)
{
    if (alreadyExists)
        *alreadyExists = false;
    return kNoMutex;
}

void PosixInstanceLock::closeMutex(MutexHandle)
{
}

bool PosixInstanceLock::mutexHeld(const std::u16string &)
{
    return false;
}

} // namespace platform
