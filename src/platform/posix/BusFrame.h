#pragma once

#include "platform/WindowMessages.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace platform {

// What travels over one connection to a window's endpoint: a single fixed-size record.
// A posted message gets no answer; a sent one gets one byte back once it has been handled.
// A look-up is answered by the endpoint itself, without reaching the window: the answer says
// that the process is alive and its event loop turning.
// Both ends run on the same machine, so the numbers are in the machine's own byte order.
struct BusFrame
{
    enum class Kind : std::uint32_t { Post = 1, Send = 2, LookUp = 3 };
    static constexpr std::size_t kSize = 32;
    using Bytes = std::array<unsigned char, kSize>;

    Kind kind = Kind::Post;
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;

    Bytes encode() const;
    // False for anything that is not a frame of this version.
    static bool decode(const Bytes &bytes, BusFrame *frame);
};

} // namespace platform
