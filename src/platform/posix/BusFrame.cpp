#include "BusFrame.h"

#include <cstring>

namespace platform {

namespace {

// "LMB" and the version of the record's layout.
constexpr unsigned char kMagic[4] = {'L', 'M', 'B', 1};

struct Layout
{
    unsigned char magic[4];
    std::uint32_t kind;
    std::uint32_t message;
    std::uint32_t reserved;
    std::uint64_t wParam;
    std::int64_t lParam;
};
static_assert(sizeof(Layout) == BusFrame::kSize, "the frame has a fixed size");

} // namespace

BusFrame::Bytes BusFrame::encode() const
{
    Layout layout = {};
    std::memcpy(layout.magic, kMagic, sizeof kMagic);
    layout.kind = std::uint32_t(kind);
    layout.message = message;
    layout.wParam = wParam;
    layout.lParam = lParam;
    Bytes bytes;
    std::memcpy(bytes.data(), &layout, kSize);
    return bytes;
}

bool BusFrame::decode(const Bytes &bytes, BusFrame *frame)
{
    Layout layout;
    std::memcpy(&layout, bytes.data(), kSize);
    if (std::memcmp(layout.magic, kMagic, sizeof kMagic) != 0 || layout.reserved != 0)
        return false;
    if (layout.kind < std::uint32_t(Kind::Post) || layout.kind > std::uint32_t(Kind::LookUp))
        return false;
    frame->kind = Kind(layout.kind);
    frame->message = layout.message;
    frame->wParam = std::uintptr_t(layout.wParam);
    frame->lParam = std::intptr_t(layout.lParam);
    return true;
}

} // namespace platform
