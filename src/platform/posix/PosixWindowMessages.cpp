#include "PosixWindowMessages.h"

namespace platform {

WindowHandle PosixWindowMessages::findWindow(const std::u16string &, const std::u16string &)
{
    return kNoWindow;
}

bool PosixWindowMessages::showWindow(WindowHandle, int)
{
    return false;
}

bool PosixWindowMessages::postMessage(WindowHandle, unsigned, std::uintptr_t, std::intptr_t)
{
    return false;
}

bool PosixWindowMessages::sendMessage(WindowHandle, unsigned, std::uintptr_t, std::intptr_t, unsigned)
{
    return false;
}

unsigned PosixWindowMessages::registerWindowMessage(const std::u16string &)
{
    return 0;
}

bool PosixWindowMessages::setForegroundWindow(WindowHandle)
{
    return false;
}

WindowHandle PosixWindowMessages::registerWindow(const std::u16string &, const std::u16string &, std::uintptr_t,
                                                 MessageHandler)
{
    return kNoWindow;
}

void PosixWindowMessages::unregisterWindow(WindowHandle)
{
}

void PosixWindowMessages::setMessageFilter(MessageHandler)
{
}

} // namespace platform
