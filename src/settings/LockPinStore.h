#pragma once

#include "platform/RegistryTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace platform {
class Registry;
}

// The caregiver lock as the store keeps it, in the current language's System key: LOCK_PIN,
// the PIN's hash, and beside it LOCK_WRONG_TRIES, the wrong PINs given in a row, so that the
// growing wait after them outlasts a restart. Both are written only here. They are read afresh
// at every check rather than from the settings loaded at start, so that a PIN set or cleared
// while the launcher runs counts at once, and a save of all settings never writes them, which
// would put back the values the launcher loaded.
//
// The lock last known (loaded at start, read since, or written here) is remembered: while the
// store cannot be read or has lost the tree, the lock stays as it was, and a save that makes
// the tree anew writes it in again.
class LockPinStore
{
public:
    enum class Status { Done, NoSettings, NotStored };

    // The stored hash; empty when the lock is off. The remembered one while the tree cannot
    // be read.
    static QString read();
    // Stores `hash`; an empty one removes the value, so the tree is as if never locked.
    static Status write(const QString &hash);
    // The lock the process loaded at start.
    static void remember(const QString &hash);
    // For a save, in its write scope and before it writes the System key: when the tree is
    // gone (the store was deleted meanwhile), the remembered lock goes into the new one.
    static void keepInNewTree();

    // Wrong PINs in a row as stored; 0 when none, or when the store cannot be read.
    static int wrongTries();
    // Stores the count with the lock's own writer; 0 removes the value.
    static Status writeWrongTries(int count);

    // A lock set in one language's tree, as an import finds it before it changes anything.
    struct Lock
    {
        QString language;
        std::vector<std::uint8_t> hash;
        std::vector<std::uint8_t> wrongTries; // empty when there is no such value
    };
    // Every lock set below the settings root of `registry`, read in the caller's scope.
    static QList<Lock> locksIn(platform::Registry &registry);
    // Puts back each of `locks` whose tree is still there but holds no lock any more (the
    // import deleted and wrote the tree, set LOCK_PIN empty or deleted it); a tree given
    // another lock keeps that one, and a tree the import deleted takes its lock with it.
    // `kept` gets the languages whose lock was put back; the answer is the first refused write.
    static long keepLocks(platform::Registry &registry, const QList<Lock> &locks, QStringList *kept);
};
