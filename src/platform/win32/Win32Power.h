#pragma once

#include "platform/Power.h"

namespace platform {

// SeShutdownPrivilege through OpenProcessToken and AdjustTokenPrivileges, then
// SetSystemPowerState and ExitWindowsEx, forced, as the shut-down dialog asks for them.
//
// With %LUMBRA_POWER_LOG% set, an action only appends its name ("suspend", "reboot",
// "poweroff") as one line to that file and calls nothing. With %LUMBRA_POWER_FORBIDDEN% set
// (test processes), an action without the log aborts the process instead.
class Win32Power : public Power
{
public:
    bool enableShutdownPrivilege() override;
    bool suspend() override;
    bool reboot() override;
    bool powerOff() override;
};

} // namespace platform
