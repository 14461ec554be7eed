#pragma once

#include "platform/WindowMessages.h"

namespace platform {

// Windows of other launcher processes; until the message bus exists it finds none.
class PosixWindowMessages : public WindowMessages
{
public:
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
};

} // namespace platform
