#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;

// Window messages by their Windows numbers.
constexpr unsigned kWmActivate = 0x0006;
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
constexpr unsigned kVkControl = 0x11;
constexpr unsigned kVkLeft = 0x25;
constexpr unsigned kVkUp = 0x26;
constexpr unsigned kVkRight = 0x27;
constexpr unsigned kVkDown = 0x28;
constexpr unsigned kVkDelete = 0x2E;
constexpr unsigned kVkZ = 0x5A;

constexpr int kSwShowNormal = 1;

// A message as a window procedure receives it.
struct WindowMessage
{
    WindowHandle window = kNoWindow;
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// Answers true when the message has been dealt with and must go no further.
using MessageHandler = std::function<bool(const WindowMessage &message)>;

// Top-level windows of this and other programs, as user32 offers them, and the messages
// between them. Messages to this program's own windows arrive on the GUI thread: first at
// the application's filter, then at the handler of the window they are for.
class WindowMessages
{
public:
    virtual ~WindowMessages() = default;

    // FindWindowW: a top-level window by class name and title (names compare without regard
    // to case; an empty title matches any); kNoWindow when there is none.
    virtual WindowHandle findWindow(const std::u16string &className, const std::u16string &title) = 0;
    // ShowWindow: false when the window does not exist.
    virtual bool showWindow(WindowHandle window, int command) = 0;
    // PostMessageW: queues the message and returns at once; false when it cannot be delivered.
    virtual bool postMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
    // SendMessageW: waits until the window has handled the message, but never longer than
    // `timeoutMs`; false when it was not handled in time or not delivered.
    virtual bool sendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                             std::intptr_t lParam, unsigned timeoutMs) = 0;
    // RegisterWindowMessageW: the same number (0xC000 ... 0xFFFF) for the same name in every
    // process of the session; 0 on failure.
    virtual unsigned registerWindowMessage(const std::u16string &name) = 0;
    // SetForegroundWindow.
    virtual bool setForegroundWindow(WindowHandle window) = 0;

    // Makes one of this program's top-level windows findable by class and title. `nativeId`
    // is the window system's own id of the window (the HWND on Windows), 0 where there is none.
    virtual WindowHandle registerWindow(const std::u16string &className, const std::u16string &title,
                                        std::uintptr_t nativeId, MessageHandler handler) = 0;
    virtual void unregisterWindow(WindowHandle window) = 0;
    // The application-wide filter that sees every message to this program's windows first.
    virtual void setMessageFilter(MessageHandler filter) = 0;
};

} // namespace platform
