#pragma once

#include "platform/WindowMessages.h"

namespace platform {

// Windows of other launcher processes; until the message bus exists it finds none.
class PosixWindowMessages : public WindowMessages
{
public:
    WindowHandle findWindow(const std::u16string &className, const std::u16string &title) override;
    bool showWindow(WindowHandle window, int command) override;
};

} // namespace platform
