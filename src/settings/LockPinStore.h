#pragma once

#include <QString>

// The LOCK_PIN value of the current language's System key, read and written on its own.
// It is read afresh at every check rather than from the settings loaded at start, so that a
// PIN set or cleared while the launcher runs counts at once, and it is never written by a
// save of all settings, which would put back the value the launcher loaded.
class LockPinStore
{
public:
    enum class Status { Done, NoSettings, NotStored };

    // The stored hash; empty when the lock is off or there is no settings tree.
    static QString read();
    // Stores `hash`; an empty one removes the value, so the tree is as if never locked.
    static Status write(const QString &hash);
};
