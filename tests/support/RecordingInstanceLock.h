#pragma once

#include "platform/InstanceLock.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// Named mutexes inside this process only, with the names "another process" holds set by the
// test; installed as the process's instance lock for the lifetime of the object.
class RecordingInstanceLock : public platform::InstanceLock
{
public:
    RecordingInstanceLock();
    ~RecordingInstanceLock() override;
    RecordingInstanceLock(const RecordingInstanceLock &) = delete;
    RecordingInstanceLock &operator=(const RecordingInstanceLock &) = delete;

    platform::MutexHandle createMutex(const std::u16string &name, bool *alreadyExists) override;
    void closeMutex(platform::MutexHandle mutex) override;
    bool mutexHeld(const std::u16string &name) override;

    // Names held by some other launcher, as the test pretends.
    QSet<QString> heldElsewhere;
    // Every name asked for, and every handle closed, in order.
    QStringList created;
    QList<platform::MutexHandle> closed;
    // createMutex fails (kNoMutex) while this is set.
    bool fail = false;

    // Names this process holds now.
    QStringList heldHere() const;

private:
    QMap<platform::MutexHandle, QString> owned;
    platform::MutexHandle lastHandle = platform::kNoMutex;
    platform::InstanceLock *previous;
};
