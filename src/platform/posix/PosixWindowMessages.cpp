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

} // namespace platform
