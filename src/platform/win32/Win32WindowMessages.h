#pragma once

#include "platform/WindowMessages.h"

#include <map>

namespace platform {

// user32's windows and messages, called as they are. A registered window is made findable
// by a hidden top-level window of its own, of the class and with the title asked for
// ("QWidget", "Lumbra"), because Qt 6 names the classes of its native windows itself: the
// handle other processes find and send to is that window's HWND. Messages to it (WM_CLOSE,
// WM_USER + 1, WM_SHOWWINDOW from ShowWindow, registered messages) go to the message filter,
// then to the window's handler, on the thread that registered it. The messages of the Qt
// window itself (keys, display changes) come through dispatchNativeMessage below.
//
// The hidden window is never shown and never destroyed by WM_CLOSE; only unregisterWindow
// takes it away. Used from the GUI thread only.
class Win32WindowMessages : public WindowMessages
{
public:
    Win32WindowMessages() = default;
    ~Win32WindowMessages() override;
    Win32WindowMessages(const Win32WindowMessages &) = delete;
    Win32WindowMessages &operator=(const Win32WindowMessages &) = delete;

    WindowHandle findWindow(const std::u16string &className, const std::u16string &title) override;
    bool showWindow(WindowHandle window, int command) override;
    bool postMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    bool sendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                     std::intptr_t lParam, unsigned timeoutMs) override;
    unsigned registerWindowMessage(const std::u16string &name) override;
    bool setForegroundWindow(WindowHandle window) override;
    WindowHandle registerWindow(const std::u16string &className, const std::u16string &title,
                                std::uintptr_t nativeId, MessageHandler handler) override;
    void unregisterWindow(WindowHandle window) override;
    void setMessageFilter(MessageHandler filter) override;

    // The filter, then the handler of `window` (a registered handle), with the message.
    bool dispatch(const WindowMessage &message);

private:
    struct Window
    {
        MessageHandler handler;
        std::uintptr_t nativeId = 0;
    };

    MessageHandler filter;
    std::map<WindowHandle, Window> windows;
};

// For the application's native event filter (a QAbstractNativeEventFilter on
// "windows_generic_MSG"): a message to the native window `hwnd` of a registered window goes
// to the filter and then to that window's handler, as a WindowMessage for the registered
// handle. True when they dealt with it and Qt must not; false for any other window.
bool dispatchNativeMessage(std::uintptr_t hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

} // namespace platform
