#include "RecordingInstanceLock.h"

#include "platform/Platform.h"

RecordingInstanceLock::RecordingInstanceLock()
    : previous(&platform::instanceLock())
{
    platform::useInstanceLock(this);
}

RecordingInstanceLock::~RecordingInstanceLock()
{
    platform::useInstanceLock(previous);
}

platform::MutexHandle RecordingInstanceLock::createMutex(const std::u16string &name, bool *alreadyExists)
{
    const QString text = QString::fromStdU16String(name);
    created.append(text);
    if (alreadyExists)
        *alreadyExists = false;
    if (fail)
        return platform::kNoMutex;
    const bool exists = !text.isEmpty() && (heldElsewhere.contains(text) || owned.values().contains(text));
    if (alreadyExists)
        *alreadyExists = exists;
    ++lastHandle;
    if (!exists)
        owned.insert(lastHandle, text);
    return lastHandle;
}

void RecordingInstanceLock::closeMutex(platform::MutexHandle mutex)
{
    closed.append(mutex);
    owned.remove(mutex);
}

bool RecordingInstanceLock::mutexHeld(const std::u16string &name)
{
    const QString text = QString::fromStdU16String(name);
    return heldElsewhere.contains(text) || owned.values().contains(text);
}

QStringList RecordingInstanceLock::heldHere() const
{
    return owned.values();
}
