#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform {

// The values of a store's keys as one scope has read them, for answering the scope's further
// reads without asking the store. Names are kept folded, as lookups compare them. The names
// and bytes of all values lie in two shared buffers, so that holding a whole store costs a
// few allocations rather than several per value.
class ValueMirror
{
public:
    struct Value
    {
        std::uint32_t type;
        const std::uint8_t *data;
        std::size_t size;
    };

    void clear();
    // Whether the values of `key` are held: every one of them, or none because it has none.
    bool holds(std::int64_t key) const;
    // `key`'s values are held from now on (those added for it, or none).
    void hold(std::int64_t key);
    // Every key's values are held: a key not seen has none.
    void holdAll();
    bool holdsAll() const { return all; }
    // `key`'s values are not held (not all of them were read), until it is held again.
    void drop(std::int64_t key);
    // Adds or replaces a value of a held key; a key not held is left to be read later.
    void set(std::int64_t key, const std::u16string &folded, std::uint32_t type, const std::uint8_t *data,
             std::size_t size);
    void remove(std::int64_t key, const std::u16string &folded);
    // The value, if `key` holds one of that name: valid until the next change of the mirror.
    bool find(std::int64_t key, const std::u16string &folded, Value *value) const;
    // A value read from the store, for a key being filled.
    void add(std::int64_t key, const char16_t *folded, std::size_t length, std::uint32_t type,
             const std::uint8_t *data, std::size_t size);

private:
    static constexpr std::size_t kEnd = ~std::size_t(0);

    // A value: where its name and bytes lie in the buffers, and the next value of its key.
    struct Entry
    {
        std::size_t name;
        std::size_t nameLength;
        std::uint32_t type;
        std::size_t data;
        std::size_t size;
        std::size_t next;
    };
    // The values of a key, chained through `entries` in the order they came.
    struct Chain
    {
        std::size_t first = kEnd;
        std::size_t last = kEnd;
    };

    Chain &chainOf(std::int64_t key);
    std::size_t indexOf(const Chain &chain, const std::u16string &folded, std::size_t *previous) const;
    bool named(const Entry &entry, const std::u16string &folded) const;
    void place(Entry &entry, const char16_t *folded, std::size_t length, std::uint32_t type, const std::uint8_t *data,
               std::size_t size);

    std::unordered_map<std::int64_t, Chain> keys;
    std::unordered_set<std::int64_t> dropped;
    std::vector<Entry> entries;
    std::u16string names;
    std::vector<std::uint8_t> bytes;
    bool all = false;
    // The key added to last: a scan gives the values of a key one after the other.
    std::int64_t lastKey = 0;
    Chain *lastChain = nullptr;
    // The value found last: a record is read in the order it was written, so the value
    // after it is mostly the one asked for next.
    mutable std::int64_t foundKey = 0;
    mutable std::size_t foundIndex = kEnd;
};

} // namespace platform
