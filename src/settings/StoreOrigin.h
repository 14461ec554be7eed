#pragma once

#include <cstdint>

// Where the settings in memory came from: what the last load found, and the generation of
// the store it read (platform::Registry::generation), which a change compares with the
// store's own before it writes.
struct StoreOrigin
{
    enum class State {
        NotLoaded,  // nothing has been loaded into this store
        Loaded,     // the language's tree was read
        NoTree,     // the store was read, but it holds no tree for the language
        Unreadable, // the store could not be read at all, so nothing was loaded
    };

    State state = State::NotLoaded;
    std::uint64_t generation = 0;
};
