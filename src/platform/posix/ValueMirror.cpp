#include "ValueMirror.h"

namespace platform {

void ValueMirror::clear()
{
    keys.clear();
    dropped.clear();
    entries.clear();
    names.clear();
    bytes.clear();
    all = false;
    lastChain = nullptr;
    foundIndex = kEnd;
}

bool ValueMirror::holds(std::int64_t key) const
{
    return keys.count(key) != 0 || (all && dropped.count(key) == 0);
}

void ValueMirror::hold(std::int64_t key)
{
    dropped.erase(key);
    chainOf(key);
}

void ValueMirror::drop(std::int64_t key)
{
    keys.erase(key);
    dropped.insert(key);
    lastChain = nullptr;
    foundIndex = kEnd;
}

void ValueMirror::holdAll()
{
    all = true;
}

ValueMirror::Chain &ValueMirror::chainOf(std::int64_t key)
{
    // Elements of an unordered_map stay where they are when it grows.
    if (!lastChain || key != lastKey) {
        lastChain = &keys[key];
        lastKey = key;
    }
    return *lastChain;
}

void ValueMirror::place(Entry &entry, const char16_t *folded, std::size_t length, std::uint32_t type,
                        const std::uint8_t *data, std::size_t size)
{
    entry.name = names.size();
    entry.nameLength = length;
    entry.type = type;
    entry.data = bytes.size();
    entry.size = size;
    names.append(folded, length);
    if (size > 0)
        bytes.insert(bytes.end(), data, data + size);
}

void ValueMirror::add(std::int64_t key, const char16_t *folded, std::size_t length, std::uint32_t type,
                      const std::uint8_t *data, std::size_t size)
{
    if (dropped.count(key))
        return;
    Chain &chain = chainOf(key);
    Entry entry{};
    place(entry, folded, length, type, data, size);
    entry.next = kEnd;
    entries.push_back(entry);
    const std::size_t index = entries.size() - 1;
    if (chain.last == kEnd)
        chain.first = index;
    else
        entries[chain.last].next = index;
    chain.last = index;
}

bool ValueMirror::named(const Entry &entry, const std::u16string &folded) const
{
    return entry.nameLength == folded.size() && names.compare(entry.name, entry.nameLength, folded) == 0;
}

std::size_t ValueMirror::indexOf(const Chain &chain, const std::u16string &folded, std::size_t *previous) const
{
    *previous = kEnd;
    for (std::size_t index = chain.first; index != kEnd; index = entries[index].next) {
        if (named(entries[index], folded))
            return index;
        *previous = index;
    }
    return kEnd;
}

void ValueMirror::set(std::int64_t key, const std::u16string &folded, std::uint32_t type, const std::uint8_t *data,
                      std::size_t size)
{
    if (!holds(key))
        return;
    std::size_t previous = kEnd;
    const std::size_t index = indexOf(chainOf(key), folded, &previous);
    // The old bytes stay in the buffer, unused, until the mirror is cleared: a scope writes
    // far less than it reads.
    if (index != kEnd)
        place(entries[index], folded.data(), folded.size(), type, data, size);
    else
        add(key, folded.data(), folded.size(), type, data, size);
}

void ValueMirror::remove(std::int64_t key, const std::u16string &folded)
{
    const auto found = keys.find(key);
    if (found == keys.end())
        return;
    Chain &chain = found->second;
    std::size_t previous = kEnd;
    const std::size_t index = indexOf(chain, folded, &previous);
    if (index == kEnd)
        return;
    // An entry out of its chain keeps its link: it must not lead a lookup on.
    foundIndex = kEnd;
    const std::size_t next = entries[index].next;
    if (previous == kEnd)
        chain.first = next;
    else
        entries[previous].next = next;
    if (chain.last == index)
        chain.last = previous;
}

bool ValueMirror::find(std::int64_t key, const std::u16string &folded, Value *value) const
{
    std::size_t index = foundIndex != kEnd && foundKey == key ? entries[foundIndex].next : kEnd;
    if (index == kEnd || !named(entries[index], folded)) {
        const auto found = keys.find(key);
        if (found == keys.end())
            return false;
        std::size_t previous = kEnd;
        index = indexOf(found->second, folded, &previous);
        if (index == kEnd)
            return false;
    }
    foundKey = key;
    foundIndex = index;
    const Entry &entry = entries[index];
    *value = {entry.type, bytes.data() + entry.data, entry.size};
    return true;
}

} // namespace platform
