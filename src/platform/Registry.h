#pragma once

#include "RegistryTypes.h"

#include <string>
#include <vector>

namespace platform {

struct RegValue
{
    std::u16string name;
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
};

// The registry as advapi32 offers it, at the byte level: a value is a type and the exact
// bytes it was given, names compare without regard to case and keep the case they were
// created with, and every call answers with a Win32 status code.
class Registry
{
public:
    virtual ~Registry() = default;

    // RegOpenKeyExW: a missing key gives kErrorFileNotFound, *result kNoKey, and creates nothing.
    virtual long openKey(RegKey parent, const std::u16string &path, RegKey *result) = 0;
    // RegCreateKeyW: opens the key, creating it and every missing parent.
    virtual long createKey(RegKey parent, const std::u16string &path, RegKey *result) = 0;
    virtual long closeKey(RegKey key) = 0;

    // RegSetValueExW: stores `size` bytes from `data` (which may be null when size is 0).
    virtual long setValue(RegKey key, const std::u16string &name, std::uint32_t type,
                          const std::uint8_t *data, std::uint32_t size) = 0;
    // RegQueryValueExW: `type` and `data` may be null. With data null, *size receives the
    // size and the call succeeds; with *size too small, kErrorMoreData and the size needed.
    virtual long queryValue(RegKey key, const std::u16string &name, std::uint32_t *type,
                            std::uint8_t *data, std::uint32_t *size) = 0;
    virtual long deleteValue(RegKey key, const std::u16string &name) = 0;
    // RegDeleteTreeW on parent\path, the key itself included.
    virtual long deleteTree(RegKey parent, const std::u16string &path) = 0;

    // The names of the direct subkeys, in no promised order.
    virtual long enumKeys(RegKey key, std::vector<std::u16string> *names) = 0;
    // The values of a key as RegEnumValueW gives them: in the order they were created, on
    // POSIX and on Windows in practice (Windows promises no order; Wine sorts them by name).
    virtual long enumValues(RegKey key, std::vector<RegValue> *values) = 0;

    // Everything between begin and commit reaches the store as a whole or not at all, even
    // when the process dies in between. Scopes nest; only the outermost one commits. A write
    // the store refuses inside a scope spoils it: the writes after it are refused too, and
    // its commit rolls everything back and answers that first refusal. Every begin, whatever
    // it answered, is ended by exactly one commit.
    //
    // The Windows registry has no transactions: there each write lands when it is made, and
    // a refusal or a process that dies inside a scope leaves the writes made before it. The
    // rest holds there too (a refusal spoils the scope, nothing is written after it, the
    // commit answers it), and the scopes of all Lumbra processes take turns, so that none
    // reads or writes while another one's scope is open.
    virtual long beginScope() = 0;
    // A scope for readers: every read in it sees the store as one committed state, however
    // long it lasts, and it never holds up a writer. Writes in it are refused. Its commit
    // answers whether every read saw that state; a read the store failed spoils it. On
    // Windows it sees no other Lumbra scope half-done, and a writer's scope waits for it.
    virtual long beginReadScope() = 0;
    virtual long commitScope() = 0;

    // A number that is different after every change any writer made to the store: each write
    // scope that changed something, each change made outside a scope, an import. Two reads
    // that answer the same number saw the same store. Read inside a scope, it belongs to what
    // that scope sees (inside a write scope, with the scope's own changes so far). A store
    // that is not there answers 0.
    virtual long generation(std::uint64_t *value) = 0;
    // Checks the store's own structure, where the store has one of its own to check: answers
    // kErrorSuccess, or kErrorRegistryCorrupt with the first problem found in `problem`.
    // After a failed check this object writes nothing into that store (inside a write scope
    // the scope is spoilt), until a later check of it passes.
    virtual long checkStore(std::string *problem) = 0;
};

} // namespace platform
