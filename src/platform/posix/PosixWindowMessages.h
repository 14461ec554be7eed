#pragma once

#include "platform/WindowMessages.h"

#include <map>
#include <memory>
#include <string>

namespace platform {

class BusListener;
class RuntimeFolderWatch;

// Windows of this user's launcher processes, on a message bus of Unix domain sockets in the
// runtime folder: each registered window listens on a socket of its own, named after its
// handle, and is found by the class and title written beside it. A handle is the same in
// every process (the process id and a number counted in it), so one process's handle can be
// handed to another. Windows of other programs are not on the bus and are never found.
//
// A look-up passes over windows whose process does not answer within a moment (stopped, hung,
// or a socket no one serves) while another window of that class and title answers; with no
// other, it finds the silent one, as FindWindowW finds a hung window. Registered windows are
// put back on the bus when their files, or the whole runtime folder, are removed while they
// live.
//
// Messages to a window arrive on the thread that registered it (the GUI thread), in its
// event loop: first at the message filter, then at the window's handler. A send waits for
// the handler, but never past its time limit; a send to a window of this process calls it
// at once. ShowWindow posts WM_SHOWWINDOW (wParam 1 to show, 0 to hide) and
// SetForegroundWindow posts WM_ACTIVATE (wParam WA_ACTIVE) for the owner to act on.
// Finding, posting and sending need no application object; registering needs the running
// application's event loop. Used from the GUI thread only.
class PosixWindowMessages : public WindowMessages
{
public:
    PosixWindowMessages();
    ~PosixWindowMessages() override;
    PosixWindowMessages(const PosixWindowMessages &) = delete;
    PosixWindowMessages &operator=(const PosixWindowMessages &) = delete;

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

private:
    struct Window;

    bool dispatch(const WindowMessage &message);
    WindowHandle freeHandle(const std::string &folder);
    void restoreEndpoints();

    MessageHandler filter;
    std::map<WindowHandle, std::unique_ptr<Window>> windows;
    unsigned lastNumber = 0;
    std::unique_ptr<RuntimeFolderWatch> watch;
};

} // namespace platform
