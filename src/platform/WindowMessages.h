#pragma once

#include <cstdint>
#include <string>

namespace platform {

using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;

// Window messages by their Windows numbers.
constexpr unsigned kWmClose = 0x0010;
constexpr unsigned kWmShowWindow = 0x0018;
constexpr unsigned kWmDisplayChange = 0x007E;
constexpr unsigned kWmKeyDown = 0x0100;
constexpr unsigned kWmKeyUp = 0x0101;
constexpr unsigned kWmUser = 0x0400;

// Virtual-key codes the launcher handles.
constexpr unsigned kVkTab = 0x09;
constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kVkShift = 0x10;
constexpr unsigned kVkLeft = 0x25;
constexpr unsigned kVkUp = 0x26;
constexpr unsigned kVkRight = 0x27;
constexpr unsigned kVkDown = 0x28;
constexpr unsigned kVkDelete = 0x2E;

constexpr int kSwShowNormal = 1;

// Top-level windows of this and other programs, as user32 offers them.
class WindowMessages
{
public:
    virtual ~WindowMessages() = default;

    // FindWindowW: a top-level window by class name and title (names compare without regard
    // to case); kNoWindow when there is none.
    virtual WindowHandle findWindow(const std::u16string &className, const std::u16string &title) = 0;
    // ShowWindow: false when the window does not exist.
    virtual bool showWindow(WindowHandle window, int command) = 0;
};

} // namespace platform
