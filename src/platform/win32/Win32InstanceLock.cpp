#include "Win32InstanceLock.h"

#include "Win32Text.h"

#include <windows.h>

namespace platform {

Win32InstanceLock::~Win32InstanceLock()
{
    while (!handles.empty())
        closeMutex(handles.begin()->first);
}

MutexHandle Win32InstanceLock::createMutex(const std::u16string &name, bool *alreadyExists)
{
    if (alreadyExists)
        *alreadyExists = false;
    if (holdsNul(name))
        return kNoMutex;
    // An empty name makes a mutex nobody else can open, as no name at all does.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, wideOrNull(name));
    const bool existed = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    if (!mutex)
        return kNoMutex;
    if (alreadyExists)
        *alreadyExists = existed;
    const auto handle = reinterpret_cast<MutexHandle>(mutex);
    handles[handle] = !existed;
    return handle;
}

// Closing a handle does not give up ownership; a mutex its owner only closed would stay
// owned by a thread that no longer wants it until that thread ends.
void Win32InstanceLock::closeMutex(MutexHandle mutex)
{
    const auto found = handles.find(mutex);
    if (found == handles.end())
        return;
    HANDLE native = reinterpret_cast<HANDLE>(mutex);
    if (found->second)
        ReleaseMutex(native);
    CloseHandle(native);
    handles.erase(found);
}

bool Win32InstanceLock::mutexHeld(const std::u16string &name)
{
    if (name.empty() || holdsNul(name))
        return false;
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, wide(name));
    if (!mutex)
        return false;
    CloseHandle(mutex);
    return true;
}

} // namespace platform
